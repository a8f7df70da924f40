// Bytes in memory read the way the containers read a file: a position that
// moves on, exact and zero-filled reads, forward skips. Lets the import take
// its original and its samples from memory as well as from files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

struct MemoryReader {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t position = 0;

  size_t Left() const { return position < size ? size - position : 0; }
};

// Reads up to count bytes; bytes the memory does not have are zeroed.
inline size_t ReadZeroFilled(MemoryReader& reader, void* buffer, size_t count) {
  const size_t got = std::min(count, reader.Left());
  if (got > 0) std::memcpy(buffer, reader.data + reader.position, got);
  if (got < count) std::memset(static_cast<uint8_t*>(buffer) + got, 0, count - got);
  reader.position += got;
  return got;
}

// Reads exactly count bytes; false (and nothing taken) when fewer are left.
inline bool ReadExact(MemoryReader& reader, void* buffer, size_t count) {
  if (reader.Left() < count) {
    reader.position = reader.size;
    return false;
  }
  ReadZeroFilled(reader, buffer, count);
  return true;
}

// Skips count bytes forward; like a file, the position may pass the end.
inline bool SkipBytes(MemoryReader& reader, long count) {
  if (count < 0 && static_cast<size_t>(-count) > reader.position) return false;
  reader.position = static_cast<size_t>(static_cast<long long>(reader.position) + count);
  return true;
}

// The import's samples: 16-bit little-endian PCM from a WAV file or from
// memory.
struct SampleInput {
  FILE* file = nullptr;
  MemoryReader memory;
};

size_t ReadZeroFilled(SampleInput& input, void* buffer, size_t count);
