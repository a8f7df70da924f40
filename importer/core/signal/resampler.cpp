#include "importer/core/signal/resampler.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "importer/core/signal/resampler_dot.h"

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define RESAMPLER_SSE 1
#endif

namespace tunegrab {

#if defined(RESAMPLER_SSE)
namespace {

inline float Lanes(__m128 a0, __m128 a1) {
  float lanes[4];
  _mm_storeu_ps(lanes, _mm_add_ps(a0, a1));
  return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

}  // namespace

float Dot(const float* x, const float* h, int n) {
  __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
    a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x + i + 4), _mm_loadu_ps(h + i + 4)));
  }
  for (; i < n; i += 4) a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + i), _mm_loadu_ps(h + i)));
  return Lanes(a0, a1);
}

void DotPair(const float* x0, const float* x1, const float* h, int n, float& y0, float& y1) {
  __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128 h0 = _mm_loadu_ps(h + i), h1 = _mm_loadu_ps(h + i + 4);
    a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + i), h0));
    b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + i), h0));
    a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x0 + i + 4), h1));
    b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(x1 + i + 4), h1));
  }
  for (; i < n; i += 4) {
    const __m128 h0 = _mm_loadu_ps(h + i);
    a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + i), h0));
    b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + i), h0));
  }
  y0 = Lanes(a0, a1);
  y1 = Lanes(b0, b1);
}
#else
float Dot(const float* x, const float* h, int n) {
  float a0[4] = {0, 0, 0, 0}, a1[4] = {0, 0, 0, 0};
  int i = 0;
  for (; i + 8 <= n; i += 8)
    for (int k = 0; k < 4; ++k) a0[k] += x[i + k] * h[i + k], a1[k] += x[i + 4 + k] * h[i + 4 + k];
  for (; i < n; i += 4)
    for (int k = 0; k < 4; ++k) a0[k] += x[i + k] * h[i + k];
  for (int k = 0; k < 4; ++k) a0[k] += a1[k];
  return (a0[0] + a0[1]) + (a0[2] + a0[3]);
}

void DotPair(const float* x0, const float* x1, const float* h, int n, float& y0, float& y1) {
  y0 = Dot(x0, h, n);
  y1 = Dot(x1, h, n);
}
#endif

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
  const int64_t base = n * down_ / up_;
  const float* h = PhaseCoefficients(n, scratch_);
  const int64_t first = base - half_ + 1 - start_;
  if (workChannels_ == 2) {
    DotPair(input_[0].data() + first, input_[1].data() + first, h, taps_, frame[0], frame[1]);
  } else {
    frame[0] = Dot(input_[0].data() + first, h, taps_);
  }
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
    // One value at a time: a range insert is a call to the C runtime's
    // memmove, which costs more than the values on Windows.
    for (int c = 0; c < out_.channels; ++c) out_.samples.push_back(frame[c]);
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
