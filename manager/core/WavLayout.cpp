#include "manager/core/WavLayout.h"

#include <cstring>

#include "common/base/byte_order.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return kickora::GetU32LE(b.data() + at); }
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return kickora::GetU16LE(b.data() + at); }

bool TagIs(const std::vector<uint8_t>& b, size_t at, const char* tag) {
  return std::memcmp(b.data() + at, tag, 4) == 0;
}

bool PlayableFormat(const WavLayout& w) {
  if (w.formatTag != 1) return false;
  if (w.channels < 1 || w.channels > 8) return false;
  if (w.sampleRate < 1000 || w.sampleRate > 384000) return false;
  if (w.bitsPerSample != 8 && w.bitsPerSample != 16 && w.bitsPerSample != 24 &&
      w.bitsPerSample != 32)
    return false;
  return w.blockAlign == w.channels * (w.bitsPerSample / 8) &&
         w.bytesPerSecond == w.sampleRate * w.blockAlign;
}

}  // namespace

std::optional<WavLayout> FindWavLayout(const std::vector<uint8_t>& head, uint64_t fileSize) {
  if (head.size() < 12 || fileSize < head.size() || !TagIs(head, 0, "RIFF") ||
      !TagIs(head, 8, "WAVE"))
    return std::nullopt;
  WavLayout layout;
  bool haveFormat = false;
  size_t at = 12;
  // Each chunk: a tag, a 32-bit size, the body padded to an even size.
  while (at + 8 <= head.size()) {
    const uint32_t size = Le32(head, at + 4);
    const size_t body = at + 8;
    if (TagIs(head, at, "fmt ")) {
      if (size < 16 || body + 16 > head.size()) return std::nullopt;
      layout.formatTag = Le16(head, body);
      layout.channels = Le16(head, body + 2);
      layout.sampleRate = Le32(head, body + 4);
      layout.bytesPerSecond = Le32(head, body + 8);
      layout.blockAlign = Le16(head, body + 12);
      layout.bitsPerSample = Le16(head, body + 14);
      if (!PlayableFormat(layout)) return std::nullopt;
      haveFormat = true;
    } else if (TagIs(head, at, "data")) {
      if (!haveFormat) return std::nullopt;
      layout.dataOffset = body;
      const uint64_t there = fileSize - body;
      uint64_t bytes = size < there ? size : there;
      layout.dataSize = bytes - bytes % layout.blockAlign;
      return layout;
    }
    const uint64_t next = static_cast<uint64_t>(body) + size + (size & 1);
    if (next > head.size()) return std::nullopt;
    at = static_cast<size_t>(next);
  }
  return std::nullopt;
}
