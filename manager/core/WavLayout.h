// Where the sound of a WAV file lies and how it is coded, read from the
// file's first bytes with every size checked against what is there: the
// player streams the data chunk to the sound device from this.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct WavLayout {
  uint16_t formatTag = 0;  // 1: PCM
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint64_t dataOffset = 0;  // from the start of the file
  uint64_t dataSize = 0;    // whole blocks, never past the end of the file
};

// head: the file's first bytes (the data chunk's header must lie in them);
// fileSize: the whole file's size. Only PCM of 8 to 32 bits, 1 to 8
// channels, 1,000 to 384,000 Hz with a consistent block size is accepted.
std::optional<WavLayout> FindWavLayout(const std::vector<uint8_t>& head, uint64_t fileSize);
