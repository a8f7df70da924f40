// What a decoder noticed while it decoded, in order: samples clipped to the
// 16-bit range and frames that name a coefficient pair the codec lacks. The
// decoder only records them; the caller decides what to tell the user.
#pragma once

#include <cstdint>
#include <vector>

enum class DecodeEvent : uint8_t { kClippedHigh, kClippedLow, kCorruptFrame };

struct DecodeEvents {
  std::vector<DecodeEvent> list;
};
