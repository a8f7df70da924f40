#include "converter/codecs/ea_adpcm.h"

#include <cmath>

const float kEaCoef1[4] = {0.0f, 240.0f / 256, 460.0f / 256, 392.0f / 256};
const float kEaCoef2[4] = {0.0f, 0.0f, -208.0f / 256, -220.0f / 256};

namespace {

struct DeltaTableHolder {
  DeltaTableRows rows;
  DeltaTableHolder() {
    int step = 4096;
    for (int s = 0; s < 16; ++s) {
      for (int n = 0; n < 16; ++n) rows[s][n] = static_cast<float>((n < 8 ? n : n - 16) * step);
      step /= 2;  // 4096 ... 1 for rows 0 to 12, then 0
    }
  }
};

// One prediction step. The sum is formed in double in this order and cannot
// be contracted into a fused multiply-add (the build forbids contraction).
inline float Predict(int k, float cur, float prev, float delta) {
  double value = static_cast<double>(kEaCoef1[k]) * cur;
  value += static_cast<double>(kEaCoef2[k]) * prev;
  value += static_cast<double>(delta);
  return static_cast<float>(value);
}

inline void Record(DecodeEvents* events, DecodeEvent event) {
  if (events) events->list.push_back(event);
}

// Truncates toward zero into 16 bits, recording clipped samples.
inline int16_t ClipSample(float value, DecodeEvents* events) {
  if (value > 32767.0f) {
    Record(events, DecodeEvent::kClippedHigh);
    return 32767;
  }
  if (value < -32768.0f) {
    Record(events, DecodeEvent::kClippedLow);
    return -32768;
  }
  return static_cast<int16_t>(value);
}

inline uint8_t* PutSample(uint8_t* out, int16_t sample) {
  out[0] = static_cast<uint8_t>(sample);
  out[1] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
  return out + 2;
}

// Indices above 3 are recorded and decoded with the first pair.
inline int CheckedCoefficient(int k, bool& corrupt) {
  if (k > 3) {
    corrupt = true;
    return 0;
  }
  return k;
}

}  // namespace

const DeltaTableRows& DeltaTable() {
  static const DeltaTableHolder table;
  return table.rows;
}

int32_t TruncateHistory(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint8_t* DecodeEaAdpcmMono(const uint8_t* source, uint8_t* destination, EaAdpcmState& state) {
  const DeltaTableRows& delta = DeltaTable();
  if (state.count < 15) return destination;
  int frames = state.count / 15;
  uint8_t* out = destination;
  for (int f = 0; f < frames; ++f, source += 15) {
    bool corrupt = false;
    int k = CheckedCoefficient(source[0] >> 4, corrupt);
    if (corrupt) Record(state.events, DecodeEvent::kCorruptFrame);
    const float* row = delta[source[0] & 0x0F];
    float cur = static_cast<float>(state.current1);
    float prev = static_cast<float>(state.previous1);
    for (int i = 1; i < 15; ++i) {
      float high = Predict(k, cur, prev, row[source[i] >> 4]);
      out = PutSample(out, ClipSample(high, state.events));
      float low = Predict(k, high, cur, row[source[i] & 0x0F]);
      out = PutSample(out, ClipSample(low, state.events));
      prev = high;
      cur = low;
    }
    state.current1 = TruncateHistory(cur);
    state.previous1 = TruncateHistory(prev);
  }
  return out;
}

uint8_t* DecodeEaAdpcmStereo(const uint8_t* source, uint8_t* destination, EaAdpcmState& state) {
  const DeltaTableRows& delta = DeltaTable();
  float curL = static_cast<float>(state.current1);
  float prevL = static_cast<float>(state.previous1);
  float curR = static_cast<float>(state.current2);
  float prevR = static_cast<float>(state.previous2);
  uint8_t* out = destination;
  int frames = state.count > 0 ? static_cast<int>((static_cast<int64_t>(state.count) + 27) / 28) : 0;
  for (int f = 0; f < frames; ++f, source += 30) {
    bool corrupt = false;
    int kL = CheckedCoefficient(source[0] >> 4, corrupt);
    int kR = CheckedCoefficient(source[0] & 0x0F, corrupt);
    if (corrupt) Record(state.events, DecodeEvent::kCorruptFrame);
    const float* rowL = delta[source[1] >> 4];
    const float* rowR = delta[source[1] & 0x0F];
    for (int i = 2; i < 30; ++i) {
      float nextL = Predict(kL, curL, prevL, rowL[source[i] >> 4]);
      float nextR = Predict(kR, curR, prevR, rowR[source[i] & 0x0F]);
      out = PutSample(out, ClipSample(nextL, state.events));
      out = PutSample(out, ClipSample(nextR, state.events));
      prevL = curL;
      curL = nextL;
      prevR = curR;
      curR = nextR;
    }
  }
  state.current1 = TruncateHistory(curL);
  state.previous1 = TruncateHistory(prevL);
  state.current2 = TruncateHistory(curR);
  state.previous2 = TruncateHistory(prevR);
  return out;
}
