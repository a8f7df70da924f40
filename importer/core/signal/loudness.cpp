#include "importer/core/signal/loudness.h"

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

LoudnessMeter::LoudnessMeter(int rate, int channels)
    : channels_(channels), step_(rate / 10), shelf_(KWeightingShelf(rate)), highPass_(KWeightingHighPass(rate)) {
  valid_ = channels >= 1 && channels <= 2 && rate > 0;
}

template <typename Sample>
void LoudnessMeter::Run(const Sample* x, size_t frames, double scale) {
  if (!valid_) return;
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels_; ++c) {
      const double y = highPassState_[c].Run(highPass_, shelfState_[c].Run(shelf_, static_cast<float>(x[i * channels_ + c] * scale)));
      energy_ += y * y;
    }
    if (++inStep_ == step_) {
      steps_.push_back(energy_ / static_cast<double>(step_));
      energy_ = 0.0;
      inStep_ = 0;
    }
  }
}

void LoudnessMeter::Push(const float* interleaved, size_t frames) { Run(interleaved, frames, 1.0f); }

void LoudnessMeter::Push(const int16_t* interleaved, size_t frames) { Run(interleaved, frames, 1.0f / 32768); }

bool LoudnessMeter::Finish(double& lufs) const {
  if (!valid_) return false;
  // Mean square per 400 ms block: four 100 ms steps, each block 75% over
  // the one before.
  std::vector<double> blocks;
  for (size_t i = 3; i < steps_.size(); ++i)
    blocks.push_back((steps_[i - 3] + steps_[i - 2] + steps_[i - 1] + steps_[i]) / 4.0);
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

bool IntegratedLoudness(const Audio& audio, double& lufs) {
  LoudnessMeter meter(audio.rate, audio.channels);
  meter.Push(audio.samples.data(), static_cast<size_t>(audio.Frames()));
  return meter.Finish(lufs);
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
