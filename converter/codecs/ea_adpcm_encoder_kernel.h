// Internal to the EA ADPCM encoder: codes one channel of one frame for many
// candidates (coefficient pair and scale) at once, one candidate per SIMD
// lane, and reports each candidate's cost, end history and chosen codes.
//
// Every lane follows exactly the scalar rules: the prediction is formed in
// double and rounded to float, the code is the nearest table entry (ties to
// the lower code, the scan's 65536 start), the reconstruction is rounded to
// float. The search over lanes is exact only while the history stays far
// inside the int32 range; the caller checks the frame-start history.
#pragma once

#include <cstdint>

namespace ea_kernel {

constexpr int kFrameSamples = 28;
// 52 mono candidates; stereo needs at most 13 scales x 3 coefficient pairs
// per channel. Padded for four lanes per vector.
constexpr int kMaxLanes = 52;

// A plain aggregate: the AVX2 unit must not emit any inline member of it.
struct LaneJob {
  // Inputs. Lanes of a segment up to the next multiple of four must hold
  // valid parameters (their results are ignored).
  double x[kFrameSamples];  // the channel's samples
  double cur;               // frame-start history, float values
  double prev;
  double c1[kMaxLanes];
  double c2[kMaxLanes];
  double step[kMaxLanes];     // 4096 >> scale
  double inverse[kMaxLanes];  // 1 / step, exact
  // Outputs.
  double cost[kMaxLanes];  // whole numbers below 2^32 (the scalar kernel wraps like uint32)
  double endCur[kMaxLanes];
  double endPrev[kMaxLanes];
  double code[kFrameSamples][kMaxLanes];  // signed code (-8..7) chosen for each sample
};

// A run of lanes of one job: [firstLane, lastLane), firstLane a multiple of
// four; the run is rounded up to whole vectors. A lane whose cost reaches
// `bound` cannot win; the kernels may stop coding it and report kDropped
// instead of its cost and history.
struct Segment {
  LaneJob* job;
  int firstLane;
  int lastLane;
  double bound;
};
constexpr int kMaxSegments = 2;
constexpr double kDropped = -1.0;
constexpr double kNoBound = 4294967296.0;

// Largest frame-start history magnitude for which the lane kernels are exact:
// predictions stay well inside int32 and costs inside 2^32.
constexpr double kHistoryLimit = 1048576.0;

// Runs all segments side by side (independent chains keep the pipeline
// full); at most kMaxSegments.
void RunLanesScalar(const Segment* segments, int count);
#if defined(__SSE2__)
void RunLanesSse2(const Segment* segments, int count);
#endif
#if defined(__x86_64__) || defined(__i386__)
#define EA_KERNEL_HAVE_AVX2 1
// AVX2 with fused multiply-add.
void RunLanesAvx2(const Segment* segments, int count);
#endif

// Coefficient index 0 predicts 0 whatever the history, so its 13 candidates
// (scales 0-12) need no lanes: cost[s] for the frame's samples x, which must
// lie in the 16-bit range (no residual can then leave it).
void ZeroPredictionCostsScalar(const double* x, double* cost);
#if defined(__SSE2__)
void ZeroPredictionCostsSse2(const double* x, double* cost);
#endif
#if defined(EA_KERNEL_HAVE_AVX2)
void ZeroPredictionCostsAvx2(const double* x, double* cost);
#endif

}  // namespace ea_kernel
