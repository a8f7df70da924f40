#include "importer/core/loudness.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tunegrab {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Analogue prototypes of the two stages, matched to the coefficients that
// BS.1770 tabulates for 48 kHz.
constexpr double kShelfFrequency = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kHighPassFrequency = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

constexpr double kAbsoluteGateLufs = -70.0;
constexpr double kRelativeGateLu = -10.0;

struct BiquadState {
  double z1 = 0, z2 = 0;
  double Run(const Biquad& f, double x) {
    double y = f.b0 * x + z1;
    z1 = f.b1 * x - f.a1 * y + z2;
    z2 = f.b2 * x - f.a2 * y;
    return y;
  }
};

double BlockLoudness(double meanSquareSum) { return -0.691 + 10.0 * std::log10(meanSquareSum); }

}  // namespace

Biquad KWeightingShelf(int rate) {
  const double k = std::tan(kPi * kShelfFrequency / rate);
  const double vh = std::pow(10.0, kShelfGainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / kShelfQ + k * k;
  return Biquad{(vh + vb * k / kShelfQ + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / kShelfQ + k * k) / a0,
                2.0 * (k * k - 1.0) / a0, (1.0 - k / kShelfQ + k * k) / a0};
}

Biquad KWeightingHighPass(int rate) {
  const double k = std::tan(kPi * kHighPassFrequency / rate);
  const double a0 = 1.0 + k / kHighPassQ + k * k;
  return Biquad{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / kHighPassQ + k * k) / a0};
}

bool IntegratedLoudness(const Audio& audio, double& lufs) {
  const int channels = audio.channels;
  const int64_t frames = audio.Frames();
  if (channels < 1 || audio.rate <= 0) return false;
  const Biquad shelf = KWeightingShelf(audio.rate);
  const Biquad highPass = KWeightingHighPass(audio.rate);

  // Mean square of the weighted signal per 100 ms step, summed over the
  // channels (each channel weighs 1.0).
  const int64_t step = audio.rate / 10;
  std::vector<double> steps;
  steps.reserve(static_cast<size_t>(frames / step + 1));
  BiquadState s1[2], s2[2];
  double energy = 0.0;
  int64_t inStep = 0;
  const float* x = audio.samples.data();
  for (int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      double y = s2[c].Run(highPass, s1[c].Run(shelf, x[i * channels + c]));
      energy += y * y;
    }
    if (++inStep == step) {
      steps.push_back(energy / static_cast<double>(step));
      energy = 0.0;
      inStep = 0;
    }
  }

  std::vector<double> blocks;
  for (size_t i = 3; i < steps.size(); ++i) blocks.push_back((steps[i - 3] + steps[i - 2] + steps[i - 1] + steps[i]) / 4.0);
  double sum = 0.0;
  size_t count = 0;
  for (double z : blocks)
    if (z > 0.0 && BlockLoudness(z) > kAbsoluteGateLufs) sum += z, ++count;
  if (count == 0) return false;
  const double relativeGate = BlockLoudness(sum / static_cast<double>(count)) + kRelativeGateLu;
  sum = 0.0;
  count = 0;
  for (double z : blocks)
    if (z > 0.0 && BlockLoudness(z) > kAbsoluteGateLufs && BlockLoudness(z) > relativeGate) sum += z, ++count;
  if (count == 0) return false;
  lufs = BlockLoudness(sum / static_cast<double>(count));
  return true;
}

float SamplePeak(const Audio& audio) {
  float peak = 0.0f;
  for (float v : audio.samples) peak = std::max(peak, std::fabs(v));
  return peak;
}

GainChoice ChooseGain(bool match, bool songMeasured, double songLufs, double targetLufs, float peak) {
  GainChoice choice;
  if (!match || !songMeasured) return choice;
  choice.gain = std::pow(10.0, (targetLufs - songLufs) / 20.0);
  const double ceiling = std::pow(10.0, kPeakCeilingDbfs / 20.0);
  if (peak > 0.0f && choice.gain * peak > ceiling) {
    choice.gain = ceiling / peak;
    choice.peakLimited = true;
  }
  return choice;
}

}  // namespace tunegrab
