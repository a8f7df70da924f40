// Internal to the EA ADPCM encoder: what the mono and the stereo searches
// share. The search codes every candidate of a frame on one channel at a
// time: a stereo candidate's cost is the cost of its left half, which depends
// only on (left coefficient, left scale), plus that of its right half. Each
// channel's candidates run side by side in SIMD lanes; the frame's winner is
// then picked from the per-channel costs in the exact order and with the
// exact tie rules of the one-candidate-at-a-time search, so the bytes are
// the same.
#pragma once

#include <cstdint>

#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ea_adpcm_encoder_kernel.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"

namespace ea_search {

using ea_kernel::kFrameSamples;
using ea_kernel::LaneJob;

constexpr int kMonoFrameBytes = 15;
constexpr int kStereoFrameBytes = 30;
constexpr uint32_t kNoWinnerCost = 20000000;

// Codes the segments with the given kernel (the scalar one for histories
// beyond the lane kernels' exact range).
void RunLanes(EaAdpcmKernel kernel, const ea_kernel::Segment* segments, int count);
// Costs of coefficient index 0 at scales 0-12 with the given kernel.
void ZeroPredictionCosts(EaAdpcmKernel kernel, const double* x, double* costs);

// Lane `lane` of job codes coefficient index k at scale s.
void SetLane(LaneJob& job, int lane, int k, int s);

inline uint32_t LaneCost(const LaneJob& job, int lane) { return static_cast<uint32_t>(job.cost[lane]); }

inline int LaneCode(const LaneJob& job, int lane, int i) { return static_cast<int>(job.code[i][lane]) & 0x0F; }

// One channel's samples of a frame: values[firstValue + i * stride], zero
// past valueCount.
void LoadFrame(const int16_t* values, int64_t valueCount, int64_t firstValue, int stride, double* x);

}  // namespace ea_search
