// SSE2 lane kernel: two candidates per vector. SSE2 is the baseline of both
// builds, so this is the kernel that always exists on x86.
#if defined(__SSE2__)
#include <emmintrin.h>

#include "converter/codecs/ea_adpcm_encoder_lanes.h"

namespace {

struct Sse2 {
  using V = __m128d;
  static constexpr int W = 2;
  static V Set(double a) { return _mm_set1_pd(a); }
  static V Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, V a) { _mm_storeu_pd(p, a); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  // a * b + c and the like: the products are always exact here, so these
  // round exactly as the fused forms do.
  static V MulAdd(V a, V b, V c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
  static V MulSub(V a, V b, V c) { return _mm_sub_pd(_mm_mul_pd(a, b), c); }
  static V NegMulAdd(V a, V b, V c) { return _mm_sub_pd(c, _mm_mul_pd(a, b)); }
  static V Min(V a, V b) { return _mm_min_pd(a, b); }
  static V Max(V a, V b) { return _mm_max_pd(a, b); }
  static V And(V a, V b) { return _mm_and_pd(a, b); }
  static V AndNot(V a, V b) { return _mm_andnot_pd(a, b); }
  static V CmpEq(V a, V b) { return _mm_cmpeq_pd(a, b); }
  static V CmpGe(V a, V b) { return _mm_cmpge_pd(a, b); }
  static V CmpGt(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static bool Any(V mask) { return _mm_movemask_pd(mask) != 0; }
  static bool All(V mask) { return _mm_movemask_pd(mask) == 3; }
  static V Abs(V a) { return _mm_andnot_pd(_mm_set1_pd(-0.0), a); }
  static V RoundToFloat(V a) { return _mm_cvtps_pd(_mm_cvtpd_ps(a)); }
  static V Truncate(V a) { return _mm_cvtepi32_pd(_mm_cvttpd_epi32(a)); }
  // ceil(y) for -16 < y < 16: 16 - floor(16 - y), and floor of a positive
  // value is its truncation.
  static V CeilSmall(V y) {
    const V sixteen = _mm_set1_pd(16.0);
    return _mm_sub_pd(sixteen, Truncate(_mm_sub_pd(sixteen, y)));
  }
};

}  // namespace

namespace ea_kernel {
void RunLanesSse2(const Segment* segments, int count) { RunLanesWith<Sse2>(segments, count); }
void ZeroPredictionCostsSse2(const double* x, double* cost) { ZeroPredictionCostsWith<Sse2>(x, cost); }
}  // namespace ea_kernel
#endif
