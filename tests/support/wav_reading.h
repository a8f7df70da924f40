// Reading WAV files that other programs wrote, and comparing their samples.
#pragma once

#include <cstdint>
#include <vector>

#include "test_files.h"

struct ParsedWav {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;
};

// Walks the RIFF chunks for "fmt " and "data" (a data size beyond the file
// is cut to what the file holds).
ParsedWav ParseWav(const Bytes& bytes);

// Signal-to-noise ratio in dB of other against reference over their common
// length; 200 when they are identical.
double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& other);
