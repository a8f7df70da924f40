// The lane kernel body, instantiated once per instruction set by the
// translation units that include this header after <immintrin.h>. Everything
// here has internal linkage and calls nothing but intrinsics, so no copy
// built for one instruction set can be picked by the linker for another.
#pragma once

#include "converter/codecs/ea_adpcm_encoder_kernel.h"

namespace {

// Ops provides V (a vector of W doubles) and the operations below.
//
// kLarge selects the full rules. When no |d| reaches 32768 they cannot
// matter: the nearest entry is never farther than code 0 (|d|), so no
// residual leaves the 16-bit range and the scan's 65536 start never decides.
// The common case runs without them and proves it afterwards; a run that
// fails the proof is coded again with them.
template <class Ops, bool kLarge>
inline bool CodeSegments(const ea_kernel::Segment* segments, int count) {
  using V = typename Ops::V;
  constexpr int W = Ops::W;
  constexpr int kMaxVectors = ea_kernel::kMaxSegments * ((ea_kernel::kMaxLanes + W - 1) / W);

  // Every vector of every segment, numbered consecutively; `order` lists the
  // ones still being coded.
  V cur[kMaxVectors];
  V prev[kMaxVectors];
  V cost[kMaxVectors];
  V largest[kMaxVectors];
  V bound[kMaxVectors];
  ea_kernel::LaneJob* job[kMaxVectors];
  int laneOf[kMaxVectors];
  int order[kMaxVectors];
  bool dropped[kMaxVectors];
  int vectors = 0;
  for (int g = 0; g < count; ++g) {
    const ea_kernel::Segment& segment = segments[g];
    const V startCur = Ops::Set(segment.job->cur);
    const V startPrev = Ops::Set(segment.job->prev);
    const V segmentBound = Ops::Set(segment.bound);
    for (int lane = segment.firstLane; lane < segment.lastLane; lane += W, ++vectors) {
      cur[vectors] = startCur;
      prev[vectors] = startPrev;
      cost[vectors] = Ops::Set(0.0);
      largest[vectors] = Ops::Set(0.0);
      bound[vectors] = segmentBound;
      job[vectors] = segment.job;
      laneOf[vectors] = lane;
      order[vectors] = vectors;
      dropped[vectors] = false;
    }
  }
  int active = vectors;
  const V lowest = Ops::Set(-8.5);
  const V highest = Ops::Set(6.5);
  const V half = Ops::Set(0.5);
  const V minusOne = Ops::Set(-1.0);
  const V scanStart = Ops::Set(65536.0);
  const V overflow = Ops::Set(32768.0);
  const V penalty = Ops::Set(1000000.0);

  // Every product below is exact in double (8-bit coefficients times float
  // values, powers of two times integers), so a fused multiply-add rounds
  // exactly where the separate multiply and add would.
  for (int i = 0; i < ea_kernel::kFrameSamples; ++i) {
    for (int a = 0; a < active; ++a) {
      const int v = order[a];
      ea_kernel::LaneJob& j = *job[v];
      const int lane = laneOf[v];
      const V x = Ops::Set(j.x[i]);
      const V step = Ops::Load(j.step + lane);
      // p = c1 * cur + c2 * prev, rounded to float.
      const V p =
          Ops::RoundToFloat(Ops::MulAdd(Ops::Load(j.c1 + lane), cur[v], Ops::Mul(Ops::Load(j.c2 + lane), prev[v])));
      const V d = Ops::Sub(x, Ops::Truncate(p));
      // The nearest code is q = ceil(d / step - 0.5) within -8..7, except
      // that the tie between -step and 0 (d / step - 0.5 = -1) goes to 0.
      V y = Ops::Min(Ops::Max(Ops::MulSub(d, Ops::Load(j.inverse + lane), half), lowest), highest);
      y = Ops::AndNot(Ops::CmpEq(y, minusOne), y);
      V q = Ops::CeilSmall(y);
      if (kLarge) {
        // When even the nearest entry is 65536 or more away, the scan never
        // left its starting code 0.
        q = Ops::AndNot(Ops::CmpGe(Ops::Abs(Ops::NegMulAdd(q, step, d)), scanStart), q);
        const V e = Ops::NegMulAdd(q, step, d);
        const V outside = Ops::CmpGt(Ops::Abs(Ops::Add(e, half)), overflow);
        cost[v] = Ops::Add(cost[v], Ops::Add(Ops::Abs(e), Ops::And(outside, penalty)));
      } else {
        largest[v] = Ops::Max(largest[v], Ops::Abs(d));
        cost[v] = Ops::Add(cost[v], Ops::Abs(Ops::NegMulAdd(q, step, d)));
      }
      Ops::Store(j.code[i] + lane, q);
      prev[v] = cur[v];
      cur[v] = Ops::RoundToFloat(Ops::MulAdd(q, step, p));
    }
    // Costs only grow: a vector whose lanes have all reached their bound is
    // done. Without the full rules that holds only while they cannot apply.
    if (i % 7 == 6 && i + 1 < ea_kernel::kFrameSamples) {
      int kept = 0;
      for (int a = 0; a < active; ++a) {
        const int v = order[a];
        const bool exact = kLarge || !Ops::Any(Ops::CmpGe(largest[v], overflow));
        if (exact && Ops::All(Ops::CmpGe(cost[v], bound[v]))) {
          dropped[v] = true;
        } else {
          order[kept++] = v;
        }
      }
      active = kept;
    }
  }
  if (!kLarge) {
    for (int a = 0; a < active; ++a) {
      if (Ops::Any(Ops::CmpGe(largest[order[a]], overflow))) return false;
    }
  }
  const V droppedCost = Ops::Set(ea_kernel::kDropped);
  for (int v = 0; v < vectors; ++v) {
    ea_kernel::LaneJob& j = *job[v];
    Ops::Store(j.cost + laneOf[v], dropped[v] ? droppedCost : cost[v]);
    Ops::Store(j.endCur + laneOf[v], cur[v]);
    Ops::Store(j.endPrev + laneOf[v], prev[v]);
  }
  return true;
}

template <class Ops>
inline void RunLanesWith(const ea_kernel::Segment* segments, int count) {
  if (!CodeSegments<Ops, false>(segments, count)) CodeSegments<Ops, true>(segments, count);
}

// Coefficient index 0, all samples of the frame side by side for each scale.
template <class Ops>
inline void ZeroPredictionCostsWith(const double* x, double* costs) {
  using V = typename Ops::V;
  constexpr int W = Ops::W;
  const V lowest = Ops::Set(-8.0);
  const V highest = Ops::Set(7.0);
  const V half = Ops::Set(0.5);
  const V minusHalf = Ops::Set(-0.5);
  static_assert(ea_kernel::kFrameSamples % W == 0, "a frame must fill whole vectors");
  V samples[ea_kernel::kFrameSamples / W];
  for (int v = 0; v < ea_kernel::kFrameSamples / W; ++v) samples[v] = Ops::Load(x + v * W);
  for (int s = 0; s <= 12; ++s) {
    const V step = Ops::Set(static_cast<double>(4096 >> s));
    const V inverse = Ops::Set(1.0 / (4096 >> s));
    V sum = Ops::Set(0.0);
    for (int v = 0; v < ea_kernel::kFrameSamples / W; ++v) {
      const V d = samples[v];
      V t = Ops::Min(Ops::Max(Ops::Mul(d, inverse), lowest), highest);
      t = Ops::AndNot(Ops::CmpEq(t, minusHalf), t);
      const V delta = Ops::Mul(Ops::CeilSmall(Ops::Sub(t, half)), step);
      sum = Ops::Add(sum, Ops::Abs(Ops::Sub(d, delta)));
    }
    double lanes[W];
    Ops::Store(lanes, sum);
    double total = 0;
    for (int l = 0; l < W; ++l) total += lanes[l];
    costs[s] = total;
  }
}

}  // namespace
