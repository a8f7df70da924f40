// What one conversion knows about the stream at hand: the codec bits and
// the current stream's parameters. Part of the conversion context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// codecFlags bits: one per coding of stream data, plus the kind of an
// import's original sound.
enum : uint16_t {
  EA_ADPCM = 0x0001,
  IMA_ADPCM = 0x0002,
  UNCOMP_OLD = 0x0004,
  UNCOMP_16 = 0x0008,
  UNCOMP_8 = 0x0010,
  EA_ADPCM2 = 0x0020,
  ORIG_PT = 0x0100,
  ORIG_SCHL = 0x0200,
  ORIG_BNK = 0x0400,
};

// A forced mode (mode number minus 1) selects one codec bit; modes past the
// 16 bits of codecFlags select none (and must not shift out of range).
inline uint16_t ForcedCodecFlags(int forcedMode) {
  return forcedMode < 16 ? static_cast<uint16_t>(1u << forcedMode) : 0;
}

// The current stream's parameters.
struct StreamParams {
  int16_t channels = 1;
  int16_t bitsPerSample = 16;
  int32_t frequency = 22050;
  int32_t length = 0;
  uint16_t codecFlags = 0;
  bool eacsSeen = false;
  bool oneSnhSeen = false;
  int32_t oneSnhSize = 0;
  int32_t waveFrequency = 0;
};

constexpr int kDestinationDirChars = 1003;
constexpr int kFileNameChars = 255;
constexpr int kFullPathChars = 999;
constexpr size_t kScratchBytes = 1000000;
