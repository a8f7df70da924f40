// The encoder's lane kernels: a table of one entry per kernel, and the
// fastest the CPU runs, found once at start-up.
#include "converter/codecs/ea_adpcm_encoder_kernel.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"
#include "converter/codecs/ea_adpcm_encoder_search.h"

namespace {

struct KernelEntry {
  void (*runLanes)(const ea_kernel::Segment* segments, int count);
  void (*zeroPredictionCosts)(const double* x, double* costs);
};

// Indexed by EaAdpcmKernel. A kernel the build lacks gets the scalar entry;
// callers never pass it.
const KernelEntry kKernels[] = {
    {ea_kernel::RunLanesScalar, ea_kernel::ZeroPredictionCostsScalar},
#if defined(__SSE2__)
    {ea_kernel::RunLanesSse2, ea_kernel::ZeroPredictionCostsSse2},
#else
    {ea_kernel::RunLanesScalar, ea_kernel::ZeroPredictionCostsScalar},
#endif
#if defined(EA_KERNEL_HAVE_AVX2)
    {ea_kernel::RunLanesAvx2, ea_kernel::ZeroPredictionCostsAvx2},
#else
    {ea_kernel::RunLanesScalar, ea_kernel::ZeroPredictionCostsScalar},
#endif
};

EaAdpcmKernel DetectKernel() {
#if defined(EA_KERNEL_HAVE_AVX2) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return EaAdpcmKernel::kAvx2;
#endif
#if defined(__SSE2__)
  return EaAdpcmKernel::kSse2;
#else
  return EaAdpcmKernel::kScalar;
#endif
}

const KernelEntry& EntryOf(EaAdpcmKernel kernel) { return kKernels[static_cast<int>(kernel)]; }

bool Wild(double value) { return !(value <= ea_kernel::kHistoryLimit && value >= -ea_kernel::kHistoryLimit); }

}  // namespace

EaAdpcmKernel DetectedEaAdpcmKernel() {
  static const EaAdpcmKernel detected = DetectKernel();
  return detected;
}

namespace ea_search {

// Histories beyond the lane kernels' exact range come only from a caller's
// state, never from coding; such frames take the scalar kernel.
void RunLanes(EaAdpcmKernel kernel, const ea_kernel::Segment* segments, int count) {
  bool wild = false;
  for (int g = 0; g < count; ++g) wild = wild || Wild(segments[g].job->cur) || Wild(segments[g].job->prev);
  (wild ? kKernels[0] : EntryOf(kernel)).runLanes(segments, count);
}

void ZeroPredictionCosts(EaAdpcmKernel kernel, const double* x, double* costs) {
  EntryOf(kernel).zeroPredictionCosts(x, costs);
}

void SetLane(LaneJob& job, int lane, int k, int s) {
  const int step = 4096 >> s;
  job.c1[lane] = kEaCoef1[k];
  job.c2[lane] = kEaCoef2[k];
  job.step[lane] = step;
  job.inverse[lane] = 1.0 / step;
}

void LoadFrame(const int16_t* values, int64_t valueCount, int64_t firstValue, int stride, double* x) {
  for (int i = 0; i < kFrameSamples; ++i) {
    int64_t index = firstValue + static_cast<int64_t>(i) * stride;
    x[i] = index < valueCount ? values[index] : 0;
  }
}

}  // namespace ea_search
