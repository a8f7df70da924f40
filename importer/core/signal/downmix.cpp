#include "importer/core/signal/downmix.h"

#include <algorithm>

namespace tunegrab {

namespace {

constexpr float kMinus3Db = 0.70710678f;

int Speakers(uint32_t mask) {
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

// Which side a speaker bit feeds: -1 left, 1 right, 0 both, 2 none (LFE).
int SideOf(uint32_t bit) {
  switch (bit) {
    case 0x1: case 0x10: case 0x40: case 0x200: case 0x1000: case 0x8000: return -1;   // FL BL FLC SL TFL TBL
    case 0x2: case 0x20: case 0x80: case 0x400: case 0x4000: case 0x20000: return 1;   // FR BR FRC SR TFR TBR
    case kSpeakerLowFrequency: return 2;
    default: return 0;  // FC BC TC TFC TBC and anything unnamed
  }
}

}  // namespace

uint32_t EffectiveChannelMask(int channels, uint32_t mask) {
  if (mask != 0 && Speakers(mask) == channels) return mask;
  switch (channels) {
    case 1: return kSpeakerFrontCenter;
    case 2: return 0x3;
    case 3: return 0x7;      // FL FR FC
    case 4: return 0x33;     // FL FR BL BR
    case 5: return 0x37;     // FL FR FC BL BR
    case 6: return 0x3F;     // 5.1: FL FR FC LFE BL BR
    case 7: return 0x70F;    // 6.1: FL FR FC LFE BC SL SR
    case 8: return 0x63F;    // 7.1: FL FR FC LFE BL BR SL SR
    default: return 0;       // no usual layout: channels alternate left and right
  }
}

DownmixMatrix StereoDownmix(int channels, uint32_t mask) {
  DownmixMatrix m;
  m.left.assign(static_cast<size_t>(std::max(channels, 0)), 0.0f);
  m.right = m.left;
  const uint32_t layout = EffectiveChannelMask(channels, mask);
  uint32_t rest = layout;
  for (int c = 0; c < channels; ++c) {
    int side;
    bool front = false;
    if (layout == 0) {
      side = c % 2 == 0 ? -1 : 1;
      front = c < 2;
    } else {
      const uint32_t bit = rest & (~rest + 1);  // lowest speaker left: channels come in bit order
      rest &= rest - 1;
      side = SideOf(bit);
      front = bit == kSpeakerFrontLeft || bit == kSpeakerFrontRight;
    }
    if (channels == 1) side = 0, front = true;
    const float gain = front ? 1.0f : kMinus3Db;
    const size_t i = static_cast<size_t>(c);
    if (side <= 0) m.left[i] = gain;
    if (side == 0 || side == 1) m.right[i] = gain;
  }
  float sumLeft = 0, sumRight = 0;
  for (size_t i = 0; i < m.left.size(); ++i) sumLeft += m.left[i], sumRight += m.right[i];
  const float norm = std::max({sumLeft, sumRight, 1.0f});
  for (size_t i = 0; i < m.left.size(); ++i) m.left[i] /= norm, m.right[i] /= norm;
  return m;
}

Downmixer::Downmixer(AudioSink& stereo, int channels, uint32_t mask)
    : stereo_(stereo), channels_(channels), matrix_(StereoDownmix(channels, mask)) {}

void Downmixer::Push(const float* interleaved, size_t frames) {
  buffer_.resize(frames * 2);
  const size_t n = static_cast<size_t>(channels_);
  for (size_t f = 0; f < frames; ++f) {
    const float* in = interleaved + f * n;
    float l = 0, r = 0;
    for (size_t c = 0; c < n; ++c) l += matrix_.left[c] * in[c], r += matrix_.right[c] * in[c];
    buffer_[2 * f] = l;
    buffer_[2 * f + 1] = r;
  }
  stereo_.Push(buffer_.data(), frames);
}

}  // namespace tunegrab
