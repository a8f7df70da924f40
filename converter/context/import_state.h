// What the probe of the original sound leaves for the importers, beside
// StreamParams: the original's "PT" header, a bank sample's data offset, the
// input WAV's own channel count and where the WAV reader stands.
#pragma once

#include <cstdint>

constexpr int kHeaderCopyBytes = 1000;

struct ImportState {
  uint8_t headerCopy[kHeaderCopyBytes] = {};
  int headerCopyBytes = 0;  // bytes of headerCopy the original filled
  int32_t dataOffset = 0;   // bank sample: file position of its coded data
  int16_t waveChannels = 0; // as the WAV announced them (StreamParams gets the original's)

  // Rate and channel conversion work on whole sample frames; a doubled
  // frame may straddle two reads, so the reader remembers where it stands.
  int64_t nextInputFrame = 0;
  int64_t nextOutputFrame = 0;
  int64_t cachedFrameIndex = -1;
  int16_t cachedFrame[2] = {0, 0};
};
