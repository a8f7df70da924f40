// The lane kernel body, instantiated once per instruction set by the
// translation units that include this header after <immintrin.h>. Everything
// here has internal linkage and calls nothing but intrinsics, so no copy
// built for one instruction set can be picked by the linker for another.
#pragma once

#include "ea_adpcm_encoder_kernel.h"

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
  constexpr int kMaxVectors = ea_kernel::kMaxSegments * ea_kernel::kMaxLanes / W;

  // State of every vector of every segment, numbered consecutively.
  V cur[kMaxVectors];
  V prev[kMaxVectors];
  V cost[kMaxVectors];
  V largest[kMaxVectors];
  int firstVector[ea_kernel::kMaxSegments + 1];
  int vectors = 0;
  for (int g = 0; g < count; ++g) {
    const ea_kernel::Segment& segment = segments[g];
    firstVector[g] = vectors;
    const int n = (segment.lastLane - segment.firstLane + W - 1) / W;
    const V startCur = Ops::Set(segment.job->cur);
    const V startPrev = Ops::Set(segment.job->prev);
    for (int v = vectors; v < vectors + n; ++v) {
      cur[v] = startCur;
      prev[v] = startPrev;
      cost[v] = Ops::Set(0.0);
      largest[v] = Ops::Set(0.0);
    }
    vectors += n;
  }
  firstVector[count] = vectors;
  const V lowest = Ops::Set(-8.0);
  const V highest = Ops::Set(7.0);
  const V half = Ops::Set(0.5);
  const V minusHalf = Ops::Set(-0.5);
  const V scanStart = Ops::Set(65536.0);
  const V overflow = Ops::Set(32768.0);
  const V penalty = Ops::Set(1000000.0);

  for (int i = 0; i < ea_kernel::kFrameSamples; ++i) {
    for (int g = 0; g < count; ++g) {
      ea_kernel::LaneJob& job = *segments[g].job;
      const V x = Ops::Set(job.x[i]);
      double* deltaOut = job.delta[i];
      for (int v = firstVector[g], lane = segments[g].firstLane; v < firstVector[g + 1]; ++v, lane += W) {
        // p = c1 * cur + c2 * prev: both products are exact in double.
        V p = Ops::Add(Ops::Mul(Ops::Load(job.c1 + lane), cur[v]), Ops::Mul(Ops::Load(job.c2 + lane), prev[v]));
        p = Ops::RoundToFloat(p);
        const V d = Ops::Sub(x, Ops::Truncate(p));
        // d / step is exact; the nearest code is ceil(d / step - 0.5) within
        // -8..7, except that the tie between -step and 0 goes to code 0.
        V t = Ops::Min(Ops::Max(Ops::Mul(d, Ops::Load(job.inverse + lane)), lowest), highest);
        t = Ops::AndNot(Ops::CmpEq(t, minusHalf), t);
        V delta = Ops::Mul(Ops::CeilSmall(Ops::Sub(t, half)), Ops::Load(job.step + lane));
        if (kLarge) {
          // When even the nearest entry is 65536 or more away, the scan
          // never left its starting code 0.
          delta = Ops::AndNot(Ops::CmpGe(Ops::Abs(Ops::Sub(d, delta)), scanStart), delta);
          const V e = Ops::Sub(d, delta);
          const V outside = Ops::CmpGt(Ops::Abs(Ops::Add(e, half)), overflow);
          cost[v] = Ops::Add(cost[v], Ops::Add(Ops::Abs(e), Ops::And(outside, penalty)));
        } else {
          largest[v] = Ops::Max(largest[v], Ops::Abs(d));
          cost[v] = Ops::Add(cost[v], Ops::Abs(Ops::Sub(d, delta)));
        }
        Ops::Store(deltaOut + lane, delta);
        prev[v] = cur[v];
        cur[v] = Ops::RoundToFloat(Ops::Add(p, delta));
      }
    }
  }
  if (!kLarge) {
    for (int v = 0; v < vectors; ++v) {
      if (Ops::Any(Ops::CmpGe(largest[v], overflow))) return false;
    }
  }
  for (int g = 0; g < count; ++g) {
    ea_kernel::LaneJob& job = *segments[g].job;
    for (int v = firstVector[g], lane = segments[g].firstLane; v < firstVector[g + 1]; ++v, lane += W) {
      Ops::Store(job.cost + lane, cost[v]);
      Ops::Store(job.endCur + lane, cur[v]);
      Ops::Store(job.endPrev + lane, prev[v]);
    }
  }
  return true;
}

template <class Ops>
inline void RunLanesWith(const ea_kernel::Segment* segments, int count) {
  if (!CodeSegments<Ops, false>(segments, count)) CodeSegments<Ops, true>(segments, count);
}

}  // namespace
