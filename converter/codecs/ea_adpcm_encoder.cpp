#include "ea_adpcm_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../fatal.h"
#include "../state.h"

namespace {

constexpr int kMonoFrameBytes = 15;
constexpr int kStereoFrameBytes = 30;
constexpr int kFrameSamples = 28;
constexpr uint32_t kNoWinnerCost = 20000000;
constexpr uint32_t kOverflowPenalty = 1000000;

// Products of a float history value and an 8-bit coefficient are exact in
// double; only the sum is rounded, once to double and once to float, the
// same on every target that evaluates in SSE.
inline float Predict(int k, float cur, float prev) {
  return static_cast<float>(static_cast<double>(kEaCoef1[k]) * cur + static_cast<double>(kEaCoef2[k]) * prev);
}

inline float Reconstruct(float prediction, float delta) {
  return static_cast<float>(static_cast<double>(prediction) + static_cast<double>(delta));
}

// Truncation of a prediction; histories stay within a few hundred thousand
// for the stable coefficient pairs, but a caller's state may not.
inline int TruncatePrediction(float p) { return TruncateHistory(p); }

// One frame's worth of samples of one channel, zero past the caller's count.
void GatherFrame(const int16_t* values, int64_t valueCount, int64_t first, int stride, int offset, int32_t* out) {
  for (int i = 0; i < kFrameSamples; ++i) {
    int64_t index = (first + i) * stride + offset;
    out[i] = index < valueCount ? values[index] : 0;
  }
}

struct ChannelResult {
  uint32_t cost;
  float cur;
  float prev;
  uint8_t codes[kFrameSamples];
};

// Codes one channel of a frame with a fixed coefficient index and scale.
void CodeChannel(const int32_t* x, int k, int s, float cur, float prev, ChannelResult& result) {
  uint32_t cost = 0;
  const float* row = DeltaTable()[s];
  for (int i = 0; i < kFrameSamples; ++i) {
    float p = Predict(k, cur, prev);
    int n = NearestCode(x[i], TruncatePrediction(p), s, cost);
    float r = Reconstruct(p, row[n]);
    result.codes[i] = static_cast<uint8_t>(n);
    prev = cur;
    cur = r;
  }
  result.cost = cost;
  result.cur = cur;
  result.prev = prev;
}

}  // namespace

int NearestCode(int sample, int prediction, int scale, uint32_t& cost) {
  const float* row = DeltaTable()[scale];
  int d = sample - prediction;
  float best = 65536.0f;
  int code = 0;
  for (int n = 0; n < 16; ++n) {
    float distance = std::abs(static_cast<float>(d) - row[n]);
    if (distance < best) {
      best = distance;
      code = n;
    }
  }
  int e = d - static_cast<int>(row[code]);
  if (e < -32768 || e > 32767) cost += kOverflowPenalty;
  cost += static_cast<uint32_t>(e < 0 ? -static_cast<int64_t>(e) : e);
  return code;
}

uint8_t* EncodeEaAdpcmMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 55) / 56;
  float cur = static_cast<float>(state.current1);
  float prev = static_cast<float>(state.previous1);
  int32_t x[kFrameSamples];
  ChannelResult candidate{};
  ChannelResult best{};
  for (int64_t f = 0; f < frames; ++f) {
    GatherFrame(samples, valueCount, f * kFrameSamples, 1, 0, x);
    uint32_t bestCost = kNoWinnerCost;
    int bestK = -1;
    int bestS = 0;
    for (int k = 0; k < 4; ++k) {
      for (int s = 0; s <= 12; ++s) {
        CodeChannel(x, k, s, cur, prev, candidate);
        // The first candidate stands in when nothing beats the limit.
        if (candidate.cost < bestCost || bestK < 0) {
          if (candidate.cost < bestCost) bestCost = candidate.cost;
          best = candidate;
          bestK = k;
          bestS = s;
        }
      }
    }
    output[0] = static_cast<uint8_t>(bestK << 4 | bestS);
    for (int i = 0; i < 14; ++i) output[1 + i] = static_cast<uint8_t>(best.codes[2 * i] << 4 | best.codes[2 * i + 1]);
    output += kMonoFrameBytes;
    cur = best.cur;
    prev = best.prev;
  }
  state.current1 = TruncateHistory(cur);
  state.previous1 = TruncateHistory(prev);
  return output;
}

namespace {

// Highest scale whose largest positive step still exceeds the frame's range;
// finer scales cannot reach across it.
int FloorScale(const int32_t* left, const int32_t* right) {
  int lo = left[0];
  int hi = left[0];
  for (int i = 0; i < kFrameSamples; ++i) {
    lo = std::min({lo, left[i], right[i]});
    hi = std::max({hi, left[i], right[i]});
  }
  int range = hi - lo;
  for (int s = 12; s >= 0; --s) {
    if (DeltaTable()[s][7] > static_cast<float>(range)) return s;
  }
  return 0;
}

}  // namespace

uint8_t* EncodeEaAdpcmStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t valueCount = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 111) / 112;
  float curL = static_cast<float>(state.current1);
  float prevL = static_cast<float>(state.previous1);
  float curR = static_cast<float>(state.current2);
  float prevR = static_cast<float>(state.previous2);
  int32_t xl[kFrameSamples];
  int32_t xr[kFrameSamples];
  ChannelResult left{};
  ChannelResult right{};
  ChannelResult bestLeft{};
  ChannelResult bestRight{};
  for (int64_t f = 0; f < frames; ++f) {
    GatherFrame(samples, valueCount, f * kFrameSamples, 2, 0, xl);
    GatherFrame(samples, valueCount, f * kFrameSamples, 2, 1, xr);
    const int h = FloorScale(xl, xr);
    uint32_t bestCost = kNoWinnerCost;
    bool haveCandidate = false;
    int bestLeftScale = 0;  // no early stop before a winner exists
    int bestKL = 0, bestKR = 0, bestSL = 0, bestSR = 0;
    int sl = 12;
    int sr = 12;
    for (bool lowerLeft = true;; lowerLeft = !lowerLeft) {
      if (lowerLeft) {
        if (sl == 0) break;
        --sl;
      } else {
        --sr;
      }
      if (sl < h && sr < h) break;
      for (int kr = 1; kr <= 3; ++kr) {
        for (int kl = 1; kl <= 3; ++kl) {
          CodeChannel(xl, kl, sl, curL, prevL, left);
          CodeChannel(xr, kr, sr, curR, prevR, right);
          uint32_t cost = left.cost + right.cost;
          if (cost < bestCost || !haveCandidate) {
            if (cost < bestCost) {
              bestCost = cost;
              bestLeftScale = sl;
            }
            haveCandidate = true;
            bestLeft = left;
            bestRight = right;
            bestKL = kl;
            bestKR = kr;
            bestSL = sl;
            bestSR = sr;
          }
        }
      }
      if (bestLeftScale > sl + 1) break;
    }
    output[0] = static_cast<uint8_t>(bestKL << 4 | bestKR);
    output[1] = static_cast<uint8_t>(bestSL << 4 | bestSR);
    for (int i = 0; i < kFrameSamples; ++i) output[2 + i] = static_cast<uint8_t>(bestLeft.codes[i] << 4 | bestRight.codes[i]);
    output += kStereoFrameBytes;
    curL = bestLeft.cur;
    prevL = bestLeft.prev;
    curR = bestRight.cur;
    prevR = bestRight.prev;
  }
  state.current1 = TruncateHistory(curL);
  state.previous1 = TruncateHistory(prevL);
  state.current2 = TruncateHistory(curR);
  state.previous2 = TruncateHistory(prevR);
  return output;
}

namespace {

// One channel of interleaved stereo as mono frames, from and into the given
// history pair.
uint8_t* EncodeHalf(const int16_t* pcm, int64_t pairs, int channel, uint8_t* output, int32_t& current,
                    int32_t& previous, int32_t halfBytes) {
  std::vector<int16_t> values(static_cast<size_t>(pairs));
  for (int64_t i = 0; i < pairs; ++i) values[static_cast<size_t>(i)] = pcm[2 * i + channel];
  EaAdpcmState half;
  half.current1 = current;
  half.previous1 = previous;
  uint8_t* end = EncodeEaAdpcmMono(values.data(), output, half, halfBytes);
  current = half.current1;
  previous = half.previous1;
  return end;
}

}  // namespace

uint8_t* EncodeEaAdpcm(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  const StreamParams& params = Params();
  uint8_t* end = output;
  if (params.channels == 2 && (params.codecFlags & EA_ADPCM2)) {
    const int64_t pairs = byteCount > 0 ? byteCount / 4 : 0;
    const int32_t halfBytes = byteCount / 2;
    end = EncodeHalf(pcm, pairs, 0, output, state.current1, state.previous1, halfBytes);
    end = EncodeHalf(pcm, pairs, 1, end, state.current2, state.previous2, halfBytes);
  } else if (params.channels == 2) {
    end = EncodeEaAdpcmStereo(pcm, output, state, byteCount);
  } else {
    end = EncodeEaAdpcmMono(pcm, output, state, byteCount);
  }
  if (end <= output) Fatal("encoder returned no data. this is bug!");
  return end;
}
