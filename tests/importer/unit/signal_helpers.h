// Test signals and their measurement.
#pragma once

#include <cmath>

#include "importer/core/audio.h"
#include "importer/core/song_writer.h"

using namespace tunegrab;

constexpr double kTestPi = 3.14159265358979323846;

// A sine of amplitude a (peak, full scale 1) in every channel.
inline Audio Sine(int rate, int channels, double hz, double a, double seconds) {
  Audio s;
  s.rate = rate;
  s.channels = channels;
  const int64_t frames = static_cast<int64_t>(seconds * rate);
  s.samples.resize(static_cast<size_t>(frames * channels));
  for (int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s.samples[static_cast<size_t>(i * channels + c)] = static_cast<float>(a * std::sin(2 * kTestPi * hz * i / rate));
  return s;
}

// Amplitude of the hz component of one channel over [from, to) frames
// (a correlation with sine and cosine, windowed-free: use whole periods
// or long stretches).
inline double ToneAmplitude(const Audio& s, int channel, double hz, int64_t from, int64_t to) {
  double re = 0, im = 0;
  for (int64_t i = from; i < to; ++i) {
    double v = s.samples[static_cast<size_t>(i * s.channels + channel)];
    re += v * std::cos(2 * kTestPi * hz * i / s.rate);
    im += v * std::sin(2 * kTestPi * hz * i / s.rate);
  }
  return 2 * std::sqrt(re * re + im * im) / static_cast<double>(to - from);
}

inline double Db(double ratio) { return 20 * std::log10(ratio); }

// A song of the game decoded by the converter, as samples in -1..1.
inline bool DecodeSong(const std::string& song, Audio& out) {
  tonepak::DecodedStream decoded;
  if (!tunegrab::DecodeWithConverter(song, decoded).ok) return false;
  out.rate = decoded.rate;
  out.channels = decoded.channels;
  out.samples.clear();
  for (int16_t v : decoded.samples) out.samples.push_back(v * (1.0f / 32768));
  return true;
}
