// The importer's names for the base library's random-access byte sources
// (the interface, bytes in memory, a file opened by its UTF-8 path) and
// for its byte order readers.
#pragma once

#include <cstdint>

#include "common/base/byte_order.h"
#include "common/base/random_access.h"

namespace tunegrab {

using ByteSource = kickora::RandomAccessSource;
using MemorySource = kickora::InMemorySource;
using kickora::FileSource;

inline uint16_t U16LE(const uint8_t* p) { return kickora::GetU16LE(p); }
inline uint32_t U32LE(const uint8_t* p) { return kickora::GetU32LE(p); }
inline uint32_t U32BE(const uint8_t* p) { return kickora::GetU32BE(p); }

}  // namespace tunegrab
