// The lane kernel body, instantiated once per instruction set by the
// translation units that include this header after <immintrin.h>. Everything
// here has internal linkage and calls nothing but intrinsics, so no copy
// built for one instruction set can be picked by the linker for another.
#pragma once

#include "ea_adpcm_encoder_kernel.h"

namespace {

// Ops provides V (a vector of W doubles) and the operations below.
template <class Ops>
inline void RunLanesWith(ea_kernel::LaneJob& job) {
  using V = typename Ops::V;
  constexpr int W = Ops::W;
  constexpr int kMaxVectors = ea_kernel::kMaxLanes / W;
  const int vectors = (job.lanes + W - 1) / W;

  V cur[kMaxVectors];
  V prev[kMaxVectors];
  V cost[kMaxVectors];
  const V startCur = Ops::Set(job.cur);
  const V startPrev = Ops::Set(job.prev);
  for (int v = 0; v < vectors; ++v) {
    cur[v] = startCur;
    prev[v] = startPrev;
    cost[v] = Ops::Set(0.0);
  }
  const V lowest = Ops::Set(-8.0);
  const V highest = Ops::Set(7.0);
  const V half = Ops::Set(0.5);
  const V minusHalf = Ops::Set(-0.5);
  const V scanStart = Ops::Set(65536.0);
  const V overflow = Ops::Set(32768.0);
  const V penalty = Ops::Set(1000000.0);

  for (int i = 0; i < ea_kernel::kFrameSamples; ++i) {
    const V x = Ops::Set(job.x[i]);
    double* deltaOut = job.delta[i];
    for (int v = 0; v < vectors; ++v) {
      const int lane = v * W;
      // p = c1 * cur + c2 * prev: both products are exact in double.
      V p = Ops::Add(Ops::Mul(Ops::Load(job.c1 + lane), cur[v]), Ops::Mul(Ops::Load(job.c2 + lane), prev[v]));
      p = Ops::RoundToFloat(p);
      const V d = Ops::Sub(x, Ops::Truncate(p));
      // d / step is exact; the nearest code is ceil(d / step - 0.5) within
      // -8..7, except that the tie between -step and 0 goes to code 0.
      V t = Ops::Min(Ops::Max(Ops::Mul(d, Ops::Load(job.inverse + lane)), lowest), highest);
      t = Ops::AndNot(Ops::CmpEq(t, minusHalf), t);
      V delta = Ops::Mul(Ops::CeilSmall(Ops::Sub(t, half)), Ops::Load(job.step + lane));
      // When even the nearest entry is 65536 or more away, the scan never
      // left its starting code 0.
      delta = Ops::AndNot(Ops::CmpGe(Ops::Abs(Ops::Sub(d, delta)), scanStart), delta);
      const V e = Ops::Sub(d, delta);
      const V outside = Ops::CmpGt(Ops::Abs(Ops::Add(e, half)), overflow);
      cost[v] = Ops::Add(cost[v], Ops::Add(Ops::Abs(e), Ops::And(outside, penalty)));
      Ops::Store(deltaOut + lane, delta);
      prev[v] = cur[v];
      cur[v] = Ops::RoundToFloat(Ops::Add(p, delta));
    }
  }
  for (int v = 0; v < vectors; ++v) {
    Ops::Store(job.cost + v * W, cost[v]);
    Ops::Store(job.endCur + v * W, cur[v]);
    Ops::Store(job.endPrev + v * W, prev[v]);
  }
}

}  // namespace
