// Song-like test material for the encoder benchmarks and the whole-program
// import timing: partials under a slow envelope, a beat, some hiss, and
// channels that differ.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSongRate = 44100;

// Interleaved 16-bit samples of seconds of 44,100 Hz audio.
std::vector<int16_t> Song(double seconds, int channels);

// The same material as a 16-bit PCM WAV file; false when it cannot be written.
bool WriteSongWave(const std::string& path, double seconds, int channels);
