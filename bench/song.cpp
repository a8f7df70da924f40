#include "song.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

std::vector<int16_t> Song(double seconds, int channels) {
  const size_t frames = static_cast<size_t>(seconds * kSongRate);
  std::vector<int16_t> pcm(frames * channels);
  std::mt19937 random(2001);
  std::normal_distribution<double> hiss(0, 150);
  const double pi = 3.14159265358979323846;
  for (size_t i = 0; i < frames; ++i) {
    double t = static_cast<double>(i) / kSongRate;
    double beat = std::exp(-8 * std::fmod(t, 0.5)) * std::sin(2 * pi * 60 * t);
    for (int c = 0; c < channels; ++c) {
      double envelope = 0.55 + 0.45 * std::sin(2 * pi * 0.2 * t + c);
      double v = envelope * (7000 * std::sin(2 * pi * 196 * t + c) + 3500 * std::sin(2 * pi * 587.3 * t) +
                             1800 * std::sin(2 * pi * (2349 + 3 * c) * t)) +
                 9000 * beat + hiss(random);
      pcm[i * channels + c] = static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    }
  }
  return pcm;
}

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool WriteSongWave(const std::string& path, double seconds, int channels) {
  const std::vector<int16_t> pcm = Song(seconds, channels);
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
  Put(file, 36 + dataBytes, 4);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put(file, 16, 4);
  Put(file, 1, 2);
  Put(file, static_cast<uint32_t>(channels), 2);
  Put(file, kSongRate, 4);
  Put(file, static_cast<uint32_t>(kSongRate * 2 * channels), 4);
  Put(file, static_cast<uint32_t>(2 * channels), 2);
  Put(file, 16, 2);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  Put(file, dataBytes, 4);
  for (int16_t v : pcm) Put(file, static_cast<uint16_t>(v), 2);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}
