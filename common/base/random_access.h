// Random-access reading of a file's bytes, wherever they are (in memory, on
// disk), with every read bounded by the source's size. Readers of file
// formats take a source rather than a path, so that how a file is opened
// stays with the program that opens it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kickora {

class RandomAccessSource {
 public:
  virtual ~RandomAccessSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to count bytes at offset; returns how many were read.
  virtual size_t ReadAt(uint64_t offset, uint8_t* out, size_t count) = 0;
  // True when exactly count bytes were read.
  bool ReadExactAt(uint64_t offset, uint8_t* out, size_t count) { return ReadAt(offset, out, count) == count; }
};

// Bytes in memory (kept by reference). With a size, they are the first
// bytes of a file of that size that was read only so far: reads past them
// find nothing.
class InMemorySource : public RandomAccessSource {
 public:
  explicit InMemorySource(const std::vector<uint8_t>& bytes) : bytes_(bytes), size_(bytes.size()) {}
  InMemorySource(const std::vector<uint8_t>& bytes, uint64_t size) : bytes_(bytes), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  const std::vector<uint8_t>& bytes_;
  uint64_t size_;
};

// A file on disk, opened by a path in UTF-8 (a file of any name; opened
// wide on Windows).
class FileSource : public RandomAccessSource {
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

}  // namespace kickora
