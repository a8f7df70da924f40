// Little- and big-endian fields of byte buffers, read and written without
// regard to the host's own order or alignment.
#pragma once

#include <cstdint>
#include <vector>

namespace kickora {

inline uint16_t GetU16LE(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t GetI16LE(const uint8_t* p) { return static_cast<int16_t>(GetU16LE(p)); }
inline uint32_t GetU32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t GetI32LE(const uint8_t* p) { return static_cast<int32_t>(GetU32LE(p)); }
inline uint32_t GetU24BE(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}
inline uint32_t GetU32BE(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) | (static_cast<uint32_t>(p[2]) << 8) |
         static_cast<uint32_t>(p[3]);
}

inline void PutU16LE(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32LE(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutU32BE(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Appends to a byte vector.
inline void AppendU16LE(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[2];
  PutU16LE(bytes, v);
  out.insert(out.end(), bytes, bytes + 2);
}
inline void AppendU32LE(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[4];
  PutU32LE(bytes, v);
  out.insert(out.end(), bytes, bytes + 4);
}
inline void AppendU32BE(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[4];
  PutU32BE(bytes, v);
  out.insert(out.end(), bytes, bytes + 4);
}
inline void AppendTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace kickora
