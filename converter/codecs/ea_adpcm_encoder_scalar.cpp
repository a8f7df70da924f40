// Scalar lane kernel: one candidate at a time by the encoder's own rules,
// with the cost summed in uint32 as the search defines it. It is the kernel
// of CPUs without SSE2, and of frames whose history lies beyond the exact
// range of the vector kernels.
#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/codecs/ea_adpcm_encoder_kernel.h"

namespace {

using ea_kernel::kFrameSamples;
using ea_kernel::LaneJob;

constexpr uint32_t kOverflowPenalty = 1000000;

inline float Reconstruct(float prediction, float delta) {
  return static_cast<float>(static_cast<double>(prediction) + static_cast<double>(delta));
}

void CodeLane(LaneJob& job, int lane) {
  const float c1 = static_cast<float>(job.c1[lane]);
  const float c2 = static_cast<float>(job.c2[lane]);
  const int step = static_cast<int>(job.step[lane]);
  int scale = 0;
  while ((4096 >> scale) != step) ++scale;
  float cur = static_cast<float>(job.cur);
  float prev = static_cast<float>(job.prev);
  uint32_t cost = 0;
  for (int i = 0; i < kFrameSamples; ++i) {
    const float p = static_cast<float>(static_cast<double>(c1) * cur + static_cast<double>(c2) * prev);
    const int n = NearestCode(static_cast<int>(job.x[i]), TruncateHistory(p), scale, cost);
    const float delta = DeltaTable()[scale][n];
    job.code[i][lane] = n < 8 ? n : n - 16;
    prev = cur;
    cur = Reconstruct(p, delta);
  }
  job.cost[lane] = cost;
  job.endCur[lane] = cur;
  job.endPrev[lane] = prev;
}

}  // namespace

int NearestCode(int sample, int prediction, int scale, uint32_t& cost) {
  const float* row = DeltaTable()[scale];
  const int d = sample - prediction;
  float best = 65536.0f;
  int code = 0;
  for (int n = 0; n < 16; ++n) {
    const float distance = static_cast<float>(d) - row[n];
    const float magnitude = distance < 0 ? -distance : distance;
    if (magnitude < best) {
      best = magnitude;
      code = n;
    }
  }
  const int e = d - static_cast<int>(row[code]);
  if (e < -32768 || e > 32767) cost += kOverflowPenalty;
  cost += e < 0 ? 0u - static_cast<uint32_t>(e) : static_cast<uint32_t>(e);
  return code;
}

namespace ea_kernel {

void RunLanesScalar(const Segment* segments, int count) {
  for (int g = 0; g < count; ++g) {
    const int lastLane = segments[g].firstLane + (segments[g].lastLane - segments[g].firstLane + 3) / 4 * 4;
    for (int lane = segments[g].firstLane; lane < lastLane; ++lane) CodeLane(*segments[g].job, lane);
  }
}

void ZeroPredictionCostsScalar(const double* x, double* costs) {
  for (int s = 0; s <= 12; ++s) {
    uint32_t cost = 0;
    for (int i = 0; i < kFrameSamples; ++i) NearestCode(static_cast<int>(x[i]), 0, s, cost);
    costs[s] = cost;
  }
}

}  // namespace ea_kernel
