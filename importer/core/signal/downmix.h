// More than two channels to stereo: front left and right as they are,
// centre at -3 dB into both sides, every surround, side, back or top
// channel at -3 dB into its own side (centred ones into both), the LFE
// channel left out (ITU-R BS.775 downmix). The sums are divided by the
// largest sum of coefficients of one side, so that no sample can clip.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/audio.h"

namespace tunegrab {

// Speaker positions of a channel mask (WAVEFORMATEXTENSIBLE's bits).
constexpr uint32_t kSpeakerFrontLeft = 0x1, kSpeakerFrontRight = 0x2, kSpeakerFrontCenter = 0x4,
                   kSpeakerLowFrequency = 0x8;

// The channel mask the channels are taken to have: mask when it names as
// many speakers as there are channels, else the usual layout for that count.
uint32_t EffectiveChannelMask(int channels, uint32_t mask);

// Left and right coefficient of each input channel, normalised.
struct DownmixMatrix {
  std::vector<float> left, right;
};
DownmixMatrix StereoDownmix(int channels, uint32_t mask);

class Downmixer : public AudioSink {
 public:
  Downmixer(AudioSink& stereo, int channels, uint32_t mask);
  void Push(const float* interleaved, size_t frames) override;

 private:
  AudioSink& stereo_;
  int channels_;
  DownmixMatrix matrix_;
  std::vector<float> buffer_;
};

}  // namespace tunegrab
