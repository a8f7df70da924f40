// The resampler's inner products of input and filter taps (n a multiple of
// 4): two sums of four lanes, lane k of the first over i % 8 == k and of the
// second over i % 8 == k + 4, added as (0 + 1) + (2 + 3) at the end. Both
// versions add in exactly this order, so they give the same bits.
#pragma once

namespace tunegrab {

float Dot(const float* x, const float* h, int n);

// The products of two channels with the same taps at once: four chains of
// additions instead of two keep the processor's adders busy.
void DotPair(const float* x0, const float* x1, const float* h, int n, float& y0, float& y1);

}  // namespace tunegrab
