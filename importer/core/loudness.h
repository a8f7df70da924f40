// Loudness as EBU R128 measures it (ITU-R BS.1770-4): K-weighting, 400 ms
// blocks overlapping by 75%, the absolute gate at -70 LUFS and the relative
// gate 10 LU below; and the gain that brings a song to a target loudness.
#pragma once

#include "importer/core/audio.h"

namespace tunegrab {

// One biquad section: b0, b1, b2 over a0 = 1, a1, a2.
struct Biquad {
  double b0, b1, b2, a1, a2;
};

// The two stages of the K-weighting filter at this sample rate.
Biquad KWeightingShelf(int rate);
Biquad KWeightingHighPass(int rate);

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
