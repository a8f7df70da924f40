// Loudness as EBU R128 measures it (ITU-R BS.1770-4): K-weighting, 400 ms
// blocks overlapping by 75%, the absolute gate at -70 LUFS and the relative
// gate 10 LU below; and the gain that brings a song to a target loudness.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/audio.h"

namespace tunegrab {

// One biquad section: b0, b1, b2 over a0 = 1, a1, a2.
struct Biquad {
  double b0, b1, b2, a1, a2;
};

// The two stages of the K-weighting filter at this sample rate.
Biquad KWeightingShelf(int rate);
Biquad KWeightingHighPass(int rate);

struct BiquadState {
  double z1 = 0, z2 = 0;
  double Run(const Biquad& f, double x) {
    double y = f.b0 * x + z1;
    z1 = f.b1 * x - f.a1 * y + z2;
    z2 = f.b2 * x - f.a2 * y;
    return y;
  }
};

// Integrated loudness measured as the audio passes, one or two channels:
// it keeps 8 bytes per 100 ms, so a song need not be held whole to be
// measured. 16-bit samples count as the floats v / 32768.
class LoudnessMeter {
 public:
  LoudnessMeter(int rate, int channels);
  void Push(const float* interleaved, size_t frames);
  void Push(const int16_t* interleaved, size_t frames);
  // As IntegratedLoudness, over everything pushed.
  bool Finish(double& lufs) const;

 private:
  template <typename Sample>
  void Run(const Sample* x, size_t frames, double scale);

  bool valid_ = false;
  int channels_ = 0;
  int64_t step_ = 0, inStep_ = 0;
  Biquad shelf_, highPass_;
  BiquadState shelfState_[2], highPassState_[2];
  double energy_ = 0.0;
  std::vector<double> steps_;  // mean square of each 100 ms, the channels summed
};

// Integrated loudness in LUFS; false when no block passes the gates
// (silence, or audio shorter than one block).
bool IntegratedLoudness(const Audio& audio, double& lufs);

// The largest absolute sample value.
float SamplePeak(const Audio& audio);

// Loudness the new song gets when the music folder gives no template, and
// the highest sample peak allowed after the gain.
constexpr double kDefaultTargetLufs = -16.0;
constexpr double kPeakCeilingDbfs = -1.0;

struct GainChoice {
  double gain = 1.0;       // linear factor
  bool peakLimited = false;
};

// Matching on: the gain that brings the song to the target, lowered so that
// no sample peak passes -1 dBFS; a song with no measurable loudness keeps
// its level. Matching off: unity.
GainChoice ChooseGain(bool match, bool songMeasured, double songLufs, double targetLufs, float peak);

}  // namespace tunegrab
