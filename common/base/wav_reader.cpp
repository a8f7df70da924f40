#include "common/base/wav_reader.h"

#include <cstring>

#include "common/base/byte_order.h"

namespace kickora {

namespace {

constexpr uint16_t kFormatExtensible = 0xFFFE;

// The GUID tail that every KSDATAFORMAT_SUBTYPE of a WAVE format tag shares.
const uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

WavProblem ParseFormat(const uint8_t* fmt, uint32_t size, WavLayout& layout) {
  if (size < 16) return WavProblem::kFormatTooShort;
  layout.coding = GetU16LE(fmt);
  layout.extensible = false;
  layout.channels = GetU16LE(fmt + 2);
  layout.rate = GetU32LE(fmt + 4);
  layout.byteRate = GetU32LE(fmt + 8);
  layout.blockAlign = GetU16LE(fmt + 12);
  layout.bits = GetU16LE(fmt + 14);
  if (layout.coding == kFormatExtensible) {
    layout.extensible = true;
    if (size < 40 || GetU16LE(fmt + 16) < 22) return WavProblem::kExtensibleTooShort;
    if (std::memcmp(fmt + 26, kSubtypeTail, sizeof kSubtypeTail) != 0) {
      layout.coding = 0;
      return WavProblem::kNone;
    }
    layout.coding = GetU16LE(fmt + 24);
    if (GetU16LE(fmt + 18) > layout.bits) return WavProblem::kWidthInconsistent;
  }
  return WavProblem::kNone;
}

}  // namespace

bool LooksLikeWav(RandomAccessSource& source) {
  uint8_t head[12];
  return source.ReadExactAt(0, head, 12) && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

WavProblem ReadWavChunks(RandomAccessSource& source, WavLayout& layout,
                         const std::function<bool(const WavLayout&)>& acceptFormat) {
  if (!LooksLikeWav(source)) return WavProblem::kNotWav;
  const uint64_t fileSize = source.Size();
  bool haveFormat = false;
  uint64_t at = 12;
  while (at + 8 <= fileSize) {
    uint8_t chunk[8];
    if (!source.ReadExactAt(at, chunk, 8)) break;
    const uint32_t size = GetU32LE(chunk + 4);
    const uint64_t body = at + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t fmt[40] = {};
      const uint32_t want = size < sizeof fmt ? size : static_cast<uint32_t>(sizeof fmt);
      if (!source.ReadExactAt(body, fmt, want)) return WavProblem::kFormatCutOff;
      const WavProblem parsed = ParseFormat(fmt, size, layout);
      if (parsed != WavProblem::kNone) return parsed;
      if (!acceptFormat(layout)) return WavProblem::kRefused;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return WavProblem::kDataBeforeFormat;
      layout.dataOffset = body;
      layout.dataSize = size;
      layout.dataAvailable = fileSize - body;
      return WavProblem::kNone;
    }
    at = body + size + (size & 1);
  }
  return haveFormat ? WavProblem::kNoData : WavProblem::kNoFormat;
}

}  // namespace kickora
