// Random-access reading of an input file, from memory or from disk, with
// every read bounded by the file's size.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/base/byte_order.h"

namespace tunegrab {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to count bytes at offset; returns how many were read.
  virtual size_t ReadAt(uint64_t offset, uint8_t* out, size_t count) = 0;
  // True when exactly count bytes were read.
  bool ReadExactAt(uint64_t offset, uint8_t* out, size_t count) { return ReadAt(offset, out, count) == count; }
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  const std::vector<uint8_t>& bytes_;
};

class FileSource : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
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
