// AVX2 lane kernel: four candidates per vector, with fused multiply-add. The whole translation unit is
// built for AVX2 and is only entered after a run-time check of the CPU; it
// therefore uses nothing but intrinsics and its own internal functions.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
// GCC and clang spell "everything below is built for AVX2" differently.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC target("avx2,fma")
#endif

#include "converter/codecs/ea_adpcm_encoder_lanes.h"

namespace {

struct Avx2 {
  using V = __m256d;
  static constexpr int W = 4;
  static V Set(double a) { return _mm256_set1_pd(a); }
  static V Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, V a) { _mm256_storeu_pd(p, a); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V MulAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
  static V MulSub(V a, V b, V c) { return _mm256_fmsub_pd(a, b, c); }
  static V NegMulAdd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }
  static V Min(V a, V b) { return _mm256_min_pd(a, b); }
  static V Max(V a, V b) { return _mm256_max_pd(a, b); }
  static V And(V a, V b) { return _mm256_and_pd(a, b); }
  static V AndNot(V a, V b) { return _mm256_andnot_pd(a, b); }
  static V CmpEq(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static V CmpGe(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static V CmpGt(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static bool Any(V mask) { return _mm256_movemask_pd(mask) != 0; }
  static bool All(V mask) { return _mm256_movemask_pd(mask) == 15; }
  static V Abs(V a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
  static V RoundToFloat(V a) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(a)); }
  static V Truncate(V a) { return _mm256_round_pd(a, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC); }
  static V CeilSmall(V y) { return _mm256_round_pd(y, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC); }
};

}  // namespace

namespace ea_kernel {
void RunLanesAvx2(const Segment* segments, int count) { RunLanesWith<Avx2>(segments, count); }
void ZeroPredictionCostsAvx2(const double* x, double* cost) { ZeroPredictionCostsWith<Avx2>(x, cost); }
}  // namespace ea_kernel
#if defined(__clang__)
#pragma clang attribute pop
#endif
#endif
