// WAV files read from a byte source: the RIFF chunk list walked in any
// order, the format chunk (WAVE_FORMAT_EXTENSIBLE resolved to its coding)
// and where the data chunk lies, every read bounded by the source's size.
// Which formats a program takes, and what it makes of a data chunk that
// claims more than the file holds, stay the program's own.
#pragma once

#include <cstdint>
#include <functional>

#include "common/base/random_access.h"

namespace kickora {

constexpr uint16_t kWavPcm = 1;
constexpr uint16_t kWavFloat = 3;

struct WavLayout {
  // The format chunk.
  uint16_t coding = 0;      // its format tag (kWavPcm, kWavFloat, ...); 0: an extensible sub-format of no WAVE tag
  bool extensible = false;  // WAVE_FORMAT_EXTENSIBLE
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
  // The data chunk.
  uint64_t dataOffset = 0;     // from the start of the file
  uint32_t dataSize = 0;       // as the chunk's header gives it
  uint64_t dataAvailable = 0;  // bytes from dataOffset to the end of the file
  uint64_t dataBytes = 0;      // the audio the program takes: whole frames, inside the file (not set by the reader)
};

enum class WavProblem {
  kNone,
  kNotWav,              // no RIFF WAVE header
  kFormatCutOff,        // the file ends inside the format chunk
  kFormatTooShort,      // a format chunk of fewer than 16 bytes
  kExtensibleTooShort,  // an extensible format chunk without its extension
  kWidthInconsistent,   // more valid bits than the samples hold
  kRefused,             // the caller's check refused a format chunk
  kDataBeforeFormat,
  kNoFormat,
  kNoData,
};

// True when the first bytes are those of a RIFF WAVE file.
bool LooksLikeWav(RandomAccessSource& source);

// Walks the chunks up to the data chunk. Each format chunk, once read into
// layout, goes to acceptFormat; a false from it ends the walk (kRefused).
// Chunks other than "fmt " and "data" are passed over with their pad byte.
WavProblem ReadWavChunks(RandomAccessSource& source, WavLayout& layout,
                         const std::function<bool(const WavLayout&)>& acceptFormat);

}  // namespace kickora
