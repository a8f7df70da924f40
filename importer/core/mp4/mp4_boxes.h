// The box structure of an MP4/M4A (ISO base media) file: each box is a
// 32-bit size and a four-letter type, then its payload; a size of 1 is
// followed by a 64-bit size, a size of 0 runs to the end of the parent.
// Every box read here lies wholly inside its parent and the file.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/core/byte_source.h"

namespace tunegrab {

constexpr uint32_t FourCc(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8 | static_cast<uint32_t>(static_cast<uint8_t>(name[3]));
}

struct Mp4Box {
  uint32_t type = 0;
  uint64_t payload = 0;  // where the payload starts
  uint64_t size = 0;     // the payload's size
  uint64_t End() const { return payload + size; }
};

// The box at `at` inside [at, end); false when no whole box starts there.
bool ReadBoxAt(ByteSource& source, uint64_t at, uint64_t end, Mp4Box& box);

// The first box of the type directly inside [begin, end).
bool FindBox(ByteSource& source, uint64_t begin, uint64_t end, uint32_t type, Mp4Box& found);
inline bool FindChild(ByteSource& source, const Mp4Box& parent, uint32_t type, Mp4Box& found) {
  return FindBox(source, parent.payload, parent.End(), type, found);
}

// A box's payload from skip on, when it holds at most maxBytes.
bool ReadPayload(ByteSource& source, const Mp4Box& box, uint64_t skip, size_t maxBytes, std::vector<uint8_t>& out);

inline uint64_t U64BE(const uint8_t* p) { return static_cast<uint64_t>(U32BE(p)) << 32 | U32BE(p + 4); }
inline uint16_t U16BE(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

}  // namespace tunegrab
