// Random-access reading of an input file, from memory or from disk, with
// every read bounded by the file's size (the interface and the memory
// source come from the base library; the file source opens the file).
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/base/byte_order.h"
#include "common/base/random_access.h"

namespace tunegrab {

// Sources in memory and the interface, from the base library.
using ByteSource = kickora::RandomAccessSource;
using MemorySource = kickora::InMemorySource;

class FileSource : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  // path in UTF-8: a file of any name.
  bool Open(const char* path);
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  uint64_t position_ = UINT64_MAX;
};

// Integers of a byte buffer, from the base library.
inline uint16_t U16LE(const uint8_t* p) { return kickora::GetU16LE(p); }
inline uint32_t U32LE(const uint8_t* p) { return kickora::GetU32LE(p); }
inline uint32_t U32BE(const uint8_t* p) { return kickora::GetU32BE(p); }

}  // namespace tunegrab
