#include "importer/core/resampler.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define RESAMPLER_SSE 1
#endif

namespace tunegrab {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Stopband attenuation the window is designed for (80 dB required, with
// margin for single-precision arithmetic).
constexpr double kAttenuationDb = 90.0;
// Passband to 90% and stopband from 100% of the lower Nyquist frequency.
constexpr double kPassEdge = 0.90;
constexpr int kMaxExactPhases = 4096;

double BesselI0(double x) {
  double sum = 1.0, term = 1.0;
  for (int k = 1; k < 60; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
    if (term < 1e-20 * sum) break;
  }
  return sum;
}

double KaiserBeta(double attenuation) { return 0.1102 * (attenuation - 8.7); }

float Dot(const float* x, const float* h, int n) {
#if defined(RESAMPLER_SSE)
  __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
    a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x + i + 4), _mm_loadu_ps(h + i + 4)));
  }
  for (; i < n; i += 4) a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
  float lanes[4];
  _mm_storeu_ps(lanes, _mm_add_ps(a0, a1));
  return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
#else
  float a[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; i += 4)
    for (int k = 0; k < 4; ++k) a[k] += x[i + k] * h[i + k];
  return (a[0] + a[1]) + (a[2] + a[3]);
#endif
}

}  // namespace

Resampler::Resampler(int inRate, int inChannels, Audio& out) : out_(out), inChannels_(inChannels) {
  workChannels_ = std::min(inChannels, out.channels);
  input_.assign(static_cast<size_t>(workChannels_), {});
  same_ = inRate == out.rate;
  if (same_) return;

  int64_t g = std::gcd<int64_t>(inRate, out.rate);
  up_ = out.rate / g;
  down_ = inRate / g;
  // Filter in input-sample time: cut-off and transition relative to the
  // lower of the two rates.
  const double lower = std::min(inRate, out.rate);
  const double cutoff = (kPassEdge + 1.0) / 2.0 * lower / 2.0 / inRate;          // cycles per input sample
  const double transition = (1.0 - kPassEdge) * lower / 2.0 / inRate;           // cycles per input sample
  const double length = (kAttenuationDb - 7.95) / (2.285 * 2.0 * kPi * transition);  // taps
  half_ = static_cast<int>(std::ceil(length / 2.0)) + 1;
  taps_ = (2 * half_ + 3) / 4 * 4;
  phases_ = static_cast<int>(std::min<int64_t>(up_, kMaxExactPhases));
  const double beta = KaiserBeta(kAttenuationDb);
  const double i0Beta = BesselI0(beta);

  table_.assign(static_cast<size_t>(phases_ + 1) * taps_, 0.0f);
  for (int p = 0; p <= phases_; ++p) {
    const double frac = static_cast<double>(p) / phases_;
    float* row = &table_[static_cast<size_t>(p) * taps_];
    double sum = 0.0;
    std::vector<double> h(static_cast<size_t>(2 * half_));
    for (int j = 0; j < 2 * half_; ++j) {
      const double tau = frac - (j - half_ + 1);  // input frame (base + j - half_ + 1) lies tau before the output
      const double x = tau / half_;
      double w = std::fabs(x) >= 1.0 ? 0.0 : BesselI0(beta * std::sqrt(1.0 - x * x)) / i0Beta;
      double arg = 2.0 * cutoff * tau;
      double sinc = std::fabs(arg) < 1e-12 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
      h[static_cast<size_t>(j)] = 2.0 * cutoff * sinc * w;
      sum += h[static_cast<size_t>(j)];
    }
    for (int j = 0; j < 2 * half_; ++j) row[j] = static_cast<float>(h[static_cast<size_t>(j)] / sum);
  }
  // History before the first frame is silence.
  for (auto& channel : input_) channel.assign(static_cast<size_t>(half_), 0.0f);
  start_ = -half_;
}

const float* Resampler::PhaseCoefficients(int64_t n, std::vector<float>& scratch) const {
  const int64_t phase = (n * down_) % up_;
  if (phases_ == up_) return &table_[static_cast<size_t>(phase) * taps_];
  const double position = static_cast<double>(phase) * phases_ / static_cast<double>(up_);
  const int row = std::min(static_cast<int>(position), phases_ - 1);
  const float t = static_cast<float>(position - row);
  const float* a = &table_[static_cast<size_t>(row) * taps_];
  const float* b = a + taps_;
  scratch.resize(static_cast<size_t>(taps_));
  for (int j = 0; j < taps_; ++j) scratch[static_cast<size_t>(j)] = a[j] + t * (b[j] - a[j]);
  return scratch.data();
}

void Resampler::Push(const float* in, size_t frames) {
  const int outChannels = out_.channels;
  if (same_) {
    for (size_t i = 0; i < frames; ++i, in += inChannels_) {
      float l = in[0];
      float r = inChannels_ == 2 ? in[1] : l;
      if (outChannels == 1) {
        out_.samples.push_back(inChannels_ == 2 ? (l + r) * 0.5f : l);
      } else {
        out_.samples.push_back(l);
        out_.samples.push_back(r);
      }
    }
    return;
  }
  for (size_t i = 0; i < frames; ++i, in += inChannels_) {
    if (workChannels_ == 1) {
      input_[0].push_back(inChannels_ == 2 ? (in[0] + in[1]) * 0.5f : in[0]);
    } else {
      input_[0].push_back(in[0]);
      input_[1].push_back(in[1]);
    }
  }
  inFrames_ += static_cast<int64_t>(frames);
  Produce(false);
}

void Resampler::ComputeOutput(int64_t n, float* frame) const {
  thread_local std::vector<float> scratch;
  const int64_t base = n * down_ / up_;
  const float* h = PhaseCoefficients(n, scratch);
  const int64_t first = base - half_ + 1 - start_;
  for (int c = 0; c < workChannels_; ++c) frame[c] = Dot(input_[static_cast<size_t>(c)].data() + first, h, taps_);
}

void Resampler::Produce(bool final) {
  // Output frames whose input window lies in the buffer; taps beyond the
  // window's 2 * half_ are zero but must be readable.
  const int64_t buffered = start_ + static_cast<int64_t>(input_[0].size());
  const int64_t totalOut = (inFrames_ * up_ + down_ - 1) / down_;
  if (final) {
    for (auto& channel : input_) channel.resize(channel.size() + static_cast<size_t>(taps_ + half_), 0.0f);
  }
  const int64_t limit = start_ + static_cast<int64_t>(input_[0].size());
  float frame[2];
  while (next_ < (final ? totalOut : INT64_MAX)) {
    const int64_t base = next_ * down_ / up_;
    const int64_t last = base - half_ + taps_;  // one past the last tap read
    if (last > limit || (!final && base + half_ >= buffered)) break;
    ComputeOutput(next_, frame);
    if (out_.channels == 2 && workChannels_ == 1) frame[1] = frame[0];
    out_.samples.insert(out_.samples.end(), frame, frame + out_.channels);
    ++next_;
  }
  // Drop input no later output needs.
  const int64_t keepFrom = next_ * down_ / up_ - half_ + 1;
  if (keepFrom > start_) {
    const size_t drop = static_cast<size_t>(std::min<int64_t>(keepFrom - start_, static_cast<int64_t>(input_[0].size())));
    if (drop > 65536 || final) {
      for (auto& channel : input_) channel.erase(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(drop));
      start_ += static_cast<int64_t>(drop);
    }
  }
}

void Resampler::Expect(int64_t inputFrames) {
  if (inputFrames <= 0 || out_.rate <= 0 || out_.channels <= 0) return;
  const int64_t longest = kMaxSongSeconds * static_cast<int64_t>(out_.rate);
  const int64_t frames = std::min(inputFrames, longest * 8) / down_ * up_ + up_ + taps_;
  out_.samples.reserve(out_.samples.size() + static_cast<size_t>(std::min(frames, longest)) * static_cast<size_t>(out_.channels));
}

void Resampler::Finish() {
  if (!same_) Produce(true);
}

Audio ConvertAudio(const Audio& in, int outRate, int outChannels) {
  Audio out;
  out.rate = outRate;
  out.channels = outChannels;
  out.samples.reserve(static_cast<size_t>(in.Frames() * outRate / std::max(in.rate, 1) + 16) * outChannels);
  Resampler resampler(in.rate, in.channels, out);
  resampler.Push(in.samples.data(), static_cast<size_t>(in.Frames()));
  resampler.Finish();
  return out;
}

}  // namespace tunegrab
