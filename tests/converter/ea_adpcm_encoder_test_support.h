// Shared by the encoder tests: coding calls that check the promised output
// size against a guard tail, test signals, and the kernels to compare.
#pragma once

#include "converter/codecs/ea_adpcm_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ea_adpcm_encoder_kernels.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "ea_adpcm_encoder_reference.h"

namespace encoder_test {

using Bytes = std::vector<uint8_t>;
using Pcm = std::vector<int16_t>;

inline constexpr double kPi = 3.14159265358979323846;

inline int Step(int scale) { return 4096 >> scale; }

inline size_t MonoBytes(int32_t byteCount) { return static_cast<size_t>((byteCount + 55) / 56) * 15; }
inline size_t StereoBytes(int32_t byteCount) { return static_cast<size_t>((byteCount + 111) / 112) * 30; }

// Output buffers carry a guard tail so that writing past the promised size
// shows up as a changed guard byte.
inline Bytes Output(size_t size) { return Bytes(size + 64, 0xA5); }

inline void ExpectGuardIntact(const Bytes& buffer, size_t size) {
  for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << "written past the end at " << i;
}

inline Bytes EncodeMono(const Pcm& pcm, EaAdpcmState& state, int32_t byteCount,
                        EaAdpcmKernel kernel = DetectedEaAdpcmKernel()) {
  Bytes out = Output(MonoBytes(byteCount));
  uint8_t* end = EncodeEaAdpcmMono(pcm.data(), out.data(), state, byteCount, kernel);
  EXPECT_EQ(static_cast<size_t>(end - out.data()), MonoBytes(byteCount));
  ExpectGuardIntact(out, MonoBytes(byteCount));
  out.resize(MonoBytes(byteCount));
  return out;
}

inline Bytes EncodeStereo(const Pcm& pcm, EaAdpcmState& state, int32_t byteCount,
                          EaAdpcmKernel kernel = DetectedEaAdpcmKernel()) {
  Bytes out = Output(StereoBytes(byteCount));
  uint8_t* end = EncodeEaAdpcmStereo(pcm.data(), out.data(), state, byteCount, kernel);
  EXPECT_EQ(static_cast<size_t>(end - out.data()), StereoBytes(byteCount));
  ExpectGuardIntact(out, StereoBytes(byteCount));
  out.resize(StereoBytes(byteCount));
  return out;
}

inline int32_t BytesOf(const Pcm& pcm) { return static_cast<int32_t>(pcm.size() * 2); }

// Signals -----------------------------------------------------------------

inline Pcm Sweep(size_t values, int channels, double amplitude, uint32_t seed) {
  Pcm pcm(values);
  double phase[2] = {0, 0.5 * seed};
  for (size_t i = 0; i < values; ++i) {
    int c = static_cast<int>(i % channels);
    double t = static_cast<double>(i / channels) / (values / channels);
    double frequency = (c == 0 ? 40 + 6000 * t * t : 7000 - 6500 * t) / 44100.0;
    phase[c] += 2 * kPi * frequency;
    pcm[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase[c])));
  }
  return pcm;
}

inline Pcm Noise(size_t values, int amplitude, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-amplitude, amplitude - 1);
  Pcm pcm(values);
  for (auto& v : pcm) v = static_cast<int16_t>(value(random));
  return pcm;
}

// Full-scale square waves make the predictors overshoot beyond 16 bits.
inline Pcm Square(size_t values, int period) {
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) pcm[i] = (i / period) % 2 ? -32768 : 32767;
  return pcm;
}

// Music-like: a few partials with a slow envelope, quiet passages, a click.
inline Pcm Music(size_t values, int channels, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> hiss(0, 30);
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) {
    double t = static_cast<double>(i / channels) / 44100.0;
    double envelope = 0.5 + 0.5 * std::sin(2 * kPi * 0.7 * t + (i % channels));
    double v = envelope * (9000 * std::sin(2 * kPi * 220 * t) + 5000 * std::sin(2 * kPi * 660.5 * t) +
                           2500 * std::sin(2 * kPi * 3111 * t)) +
               hiss(random);
    if ((i / channels) % 5000 == 17) v = 30000;
    pcm[i] = static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
  }
  return pcm;
}

// Two partials per channel at similar levels: material the format codes well
// in both channels at once.
inline Pcm Tones(size_t values, int channels, double amplitude) {
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) {
    double t = static_cast<double>(i / channels) / 44100.0;
    int c = static_cast<int>(i % channels);
    double v = amplitude * (0.6 * std::sin(2 * kPi * 330 * t + c) + 0.4 * std::sin(2 * kPi * (1250 + 200 * c) * t));
    pcm[i] = static_cast<int16_t>(std::lround(v));
  }
  return pcm;
}

inline double SnrDb(const int16_t* original, const int16_t* decoded, size_t count) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < count; ++i) {
    signal += static_cast<double>(original[i]) * original[i];
    double e = static_cast<double>(original[i]) - decoded[i];
    noise += e * e;
  }
  return 10 * std::log10(signal / std::max(noise, 1e-9));
}

// Decoded PCM is little-endian on every target this builds for; read it
// portably anyway.
inline Pcm Samples(const Bytes& le, size_t count) {
  Pcm pcm(count);
  for (size_t i = 0; i < count; ++i) pcm[i] = static_cast<int16_t>(le[2 * i] | le[2 * i + 1] << 8);
  return pcm;
}

class EaAdpcmEncoder : public ::testing::Test {};

// Every kernel this build and CPU can run; each must give the same bytes.
inline std::vector<EaAdpcmKernel> Kernels() {
  std::vector<EaAdpcmKernel> kernels = {EaAdpcmKernel::kScalar};
#if defined(__SSE2__)
  kernels.push_back(EaAdpcmKernel::kSse2);
#endif
  if (DetectedEaAdpcmKernel() == EaAdpcmKernel::kAvx2) kernels.push_back(EaAdpcmKernel::kAvx2);
  return kernels;
}

}  // namespace encoder_test
