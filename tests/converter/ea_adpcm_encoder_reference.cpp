#include "ea_adpcm_encoder_reference.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace reference {
namespace {

constexpr uint32_t kLimit = 20000000;

float Prediction(int k, float cur, float prev) {
  return static_cast<float>(static_cast<double>(kEaCoef1[k]) * cur + static_cast<double>(kEaCoef2[k]) * prev);
}

int Truncated(float p) { return static_cast<int>(p); }

// Scans the row; returns the code and adds the residual's cost.
int ChooseCode(int sample, int prediction, int s, uint32_t& cost) {
  int d = sample - prediction;
  float bestDistance = 65536.0f;
  int code = 0;
  for (int n = 0; n < 16; ++n) {
    float distance = std::fabs(static_cast<float>(d) - DeltaTable()[s][n]);
    if (distance < bestDistance) {
      bestDistance = distance;
      code = n;
    }
  }
  int e = d - static_cast<int>(DeltaTable()[s][code]);
  if (e < -32768 || e > 32767) cost += 1000000;
  cost += static_cast<uint32_t>(std::abs(e));
  return code;
}

float Add(float p, int s, int code) {
  return static_cast<float>(static_cast<double>(p) + static_cast<double>(DeltaTable()[s][code]));
}

int16_t Value(const int16_t* values, int64_t count, int64_t index) { return index < count ? values[index] : 0; }

struct History {
  float cur1, prev1, cur2, prev2;
};

}  // namespace

uint8_t* EncodeMono(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t count = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 55) / 56;
  History h{static_cast<float>(state.current1), static_cast<float>(state.previous1), 0, 0};
  uint8_t store[52][15];
  History ends[52];
  uint32_t costs[52];
  for (int64_t f = 0; f < frames; ++f) {
    const int64_t base = f * 28;
    int c = 0;
    for (int k = 0; k < 4; ++k) {
      for (int s = 0; s <= 12; ++s, ++c) {
        uint8_t* frame = store[c];
        frame[0] = static_cast<uint8_t>(k << 4 | s);
        float cur = h.cur1;
        float prev = h.prev1;
        uint32_t cost = 0;
        for (int i = 0; i < 14; ++i) {
          int x1 = Value(samples, count, base + 2 * i);
          int x2 = Value(samples, count, base + 2 * i + 1);
          float p1 = Prediction(k, cur, prev);
          int na = ChooseCode(x1, Truncated(p1), s, cost);
          float r1 = Add(p1, s, na);
          float p2 = Prediction(k, r1, cur);
          int nb = ChooseCode(x2, Truncated(p2), s, cost);
          float r2 = Add(p2, s, nb);
          frame[1 + i] = static_cast<uint8_t>(na << 4 | nb);
          prev = r1;
          cur = r2;
        }
        costs[c] = cost;
        ends[c] = {cur, prev, 0, 0};
      }
    }
    int best = 0;  // the first candidate when none is below the limit
    uint32_t bestCost = kLimit;
    for (int i = 0; i < 52; ++i) {
      if (costs[i] < bestCost) {
        bestCost = costs[i];
        best = i;
      }
    }
    std::memcpy(output, store[best], 15);
    output += 15;
    h = ends[best];
  }
  state.current1 = TruncateHistory(h.cur1);
  state.previous1 = TruncateHistory(h.prev1);
  return output;
}

uint8_t* EncodeStereo(const int16_t* samples, uint8_t* output, EaAdpcmState& state, int32_t byteCount) {
  if (byteCount <= 0) return output;
  const int64_t count = byteCount / 2;
  const int64_t frames = (static_cast<int64_t>(byteCount) + 111) / 112;
  History h{static_cast<float>(state.current1), static_cast<float>(state.previous1), static_cast<float>(state.current2),
            static_cast<float>(state.previous2)};
  std::vector<uint8_t> store(216 * 30);
  for (int64_t f = 0; f < frames; ++f) {
    const int64_t base = f * 56;
    int lo = 0, hi = 0;
    for (int i = 0; i < 56; ++i) {
      int v = Value(samples, count, base + i);
      if (i == 0 || v < lo) lo = v;
      if (i == 0 || v > hi) hi = v;
    }
    int floor = 0;
    for (int s = 12; s >= 0; --s) {
      if (DeltaTable()[s][7] > static_cast<float>(hi - lo)) {
        floor = s;
        break;
      }
    }
    uint32_t bestCost = kLimit;
    int best = 0;
    int bestLeftScale = -1;
    History bestEnd{};
    bool first = true;
    int c = 0;
    int sl = 12, sr = 12;
    int turn = 0;
    while (true) {
      if (turn++ % 2 == 0) {
        if (sl == 0) break;
        sl--;
      } else {
        sr--;
      }
      if (sl < floor && sr < floor) break;
      for (int kr = 1; kr <= 3; ++kr) {
        for (int kl = 1; kl <= 3; ++kl, ++c) {
          uint8_t* frame = &store[c * 30];
          frame[0] = static_cast<uint8_t>(kl << 4 | kr);
          frame[1] = static_cast<uint8_t>(sl << 4 | sr);
          History at = h;
          uint32_t cost = 0;
          for (int i = 0; i < 14; ++i) {
            int l1 = Value(samples, count, base + 4 * i);
            int r1 = Value(samples, count, base + 4 * i + 1);
            int l2 = Value(samples, count, base + 4 * i + 2);
            int r2 = Value(samples, count, base + 4 * i + 3);
            float pl1 = Prediction(kl, at.cur1, at.prev1);
            float pr1 = Prediction(kr, at.cur2, at.prev2);
            int nl1 = ChooseCode(l1, Truncated(pl1), sl, cost);
            int nr1 = ChooseCode(r1, Truncated(pr1), sr, cost);
            frame[2 + 2 * i] = static_cast<uint8_t>(nl1 << 4 | nr1);
            float rl1 = Add(pl1, sl, nl1);
            float rr1 = Add(pr1, sr, nr1);
            float pl2 = Prediction(kl, rl1, at.cur1);
            float pr2 = Prediction(kr, rr1, at.cur2);
            int nl2 = ChooseCode(l2, Truncated(pl2), sl, cost);
            int nr2 = ChooseCode(r2, Truncated(pr2), sr, cost);
            frame[3 + 2 * i] = static_cast<uint8_t>(nl2 << 4 | nr2);
            float rl2 = Add(pl2, sl, nl2);
            float rr2 = Add(pr2, sr, nr2);
            at = {rl2, rl1, rr2, rr1};
          }
          if (cost < bestCost) {
            bestCost = cost;
            best = c;
            bestEnd = at;
            bestLeftScale = sl;
          } else if (first) {
            bestEnd = at;
          }
          first = false;
        }
      }
      if (bestLeftScale > sl + 1) break;
    }
    std::memcpy(output, &store[best * 30], 30);
    output += 30;
    h = bestEnd;
  }
  state.current1 = TruncateHistory(h.cur1);
  state.previous1 = TruncateHistory(h.prev1);
  state.current2 = TruncateHistory(h.cur2);
  state.previous2 = TruncateHistory(h.prev2);
  return output;
}

uint8_t* Encode(const int16_t* pcm, uint8_t* output, EaAdpcmState& state, int32_t byteCount, int channels, bool split) {
  if (channels != 2) return EncodeMono(pcm, output, state, byteCount);
  if (!split) return EncodeStereo(pcm, output, state, byteCount);
  const int32_t values = byteCount > 0 ? byteCount / 4 : 0;
  std::vector<int16_t> half(values);
  for (int32_t i = 0; i < values; ++i) half[i] = pcm[2 * i];
  EaAdpcmState left{0, state.current1, state.previous1, 0, 0};
  uint8_t* end = EncodeMono(half.data(), output, left, byteCount / 2);
  for (int32_t i = 0; i < values; ++i) half[i] = pcm[2 * i + 1];
  EaAdpcmState right{0, state.current2, state.previous2, 0, 0};
  end = EncodeMono(half.data(), end, right, byteCount / 2);
  state.current1 = left.current1;
  state.previous1 = left.previous1;
  state.current2 = right.current1;
  state.previous2 = right.previous1;
  return end;
}

}  // namespace reference
