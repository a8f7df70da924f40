#include "importer/core/mp4/aac_config.h"

#include "importer/core/audio.h"

namespace tunegrab {

namespace {

class Bits {
 public:
  Bits(const uint8_t* bytes, size_t size) : bytes_(bytes), bits_(size * 8) {}
  // n ≤ 24 bits, most significant first; false once past the end.
  bool Read(int n, uint32_t& value) {
    if (position_ + static_cast<size_t>(n) > bits_) return false;
    value = 0;
    for (int i = 0; i < n; ++i, ++position_)
      value = value << 1 | ((bytes_[position_ / 8] >> (7 - position_ % 8)) & 1u);
    return true;
  }

 private:
  const uint8_t* bytes_;
  size_t bits_, position_ = 0;
};

constexpr int kRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
constexpr int kChannels[8] = {0, 1, 2, 3, 4, 5, 6, 8};

bool ReadObjectType(Bits& bits, int& type) {
  uint32_t v = 0;
  if (!bits.Read(5, v)) return false;
  if (v == 31) {
    uint32_t extended = 0;
    if (!bits.Read(6, extended)) return false;
    v = 32 + extended;
  }
  type = static_cast<int>(v);
  return true;
}

bool ReadRate(Bits& bits, int& rate) {
  uint32_t index = 0;
  if (!bits.Read(4, index)) return false;
  if (index == 15) {
    uint32_t explicitRate = 0;
    if (!bits.Read(24, explicitRate)) return false;
    rate = static_cast<int>(explicitRate);
    return true;
  }
  if (index >= 13) return false;
  rate = kRates[index];
  return true;
}

}  // namespace

bool ParseAacConfig(const uint8_t* bytes, size_t size, AacConfig& config) {
  Bits bits(bytes, size);
  uint32_t channelConfig = 0;
  if (!ReadObjectType(bits, config.objectType) || !ReadRate(bits, config.rate) || !bits.Read(4, channelConfig))
    return false;
  config.channels = channelConfig < 8 ? kChannels[channelConfig] : 0;
  config.frameLength = 0;
  // SBR (5) and parametric stereo (29) name the core coding after the
  // output rate; the decoded rate is then not the core's.
  if (config.objectType == 5 || config.objectType == 29) return true;
  constexpr int kGeneralAudio[] = {1, 2, 3, 4, 6, 7, 17, 19, 20, 21, 22, 23};
  for (int type : kGeneralAudio) {
    uint32_t shortFrames = 0;
    if (type == config.objectType) {
      if (!bits.Read(1, shortFrames)) return false;
      config.frameLength = shortFrames ? 960 : 1024;
    }
  }
  return true;
}

bool IsPlainAacLc(const AacConfig& config) {
  return config.objectType == 2 && config.frameLength == 1024 && config.channels > 0 && config.rate >= kMinRate &&
         config.rate <= kMaxRate;
}

}  // namespace tunegrab
