// File helpers shared by every mode: owned FILE handles, exact reads that
// never leave stale bytes, little-endian fields, the read-only flag, path
// joining and replacing a file through a temporary beside it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

struct FileCloser {
  void operator()(FILE* file) const {
    if (file) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

FileHandle OpenFile(const char* path, const char* mode);

// Reads up to count bytes; bytes the file does not have are zeroed.
// Returns the number of bytes actually read.
size_t ReadZeroFilled(FILE* file, void* buffer, size_t count);

// Reads exactly count bytes; false when the file ends first.
bool ReadExact(FILE* file, void* buffer, size_t count);

// Skips count bytes forward (count may be 0); false when the seek fails.
bool SkipBytes(FILE* file, long count);

// Everything the file yields from its position on. Reads by what arrives
// rather than by a claimed size, which means nothing for a folder or device.
std::vector<uint8_t> ReadWholeFile(FILE* file);

// Size of an open file in bytes; the position is kept.
long FileSize(FILE* file);

// True when the first length bytes at unit are the tag's.
inline bool TagIs(const uint8_t* unit, const char* tag, size_t length) { return std::memcmp(unit, tag, length) == 0; }

inline uint16_t GetU16LE(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t GetI16LE(const uint8_t* p) { return static_cast<int16_t>(GetU16LE(p)); }
inline uint32_t GetU32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t GetI32LE(const uint8_t* p) { return static_cast<int32_t>(GetU32LE(p)); }
inline uint32_t GetU32BE(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
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

// Appends little-endian values to a byte vector.
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

// Writes little-endian values to a file (unchecked, like the WAV header).
void WriteU16LE(FILE* file, uint32_t value);
void WriteU32LE(FILE* file, uint32_t value);

// Makes an existing read-only file writable and says so; a missing file is
// no error. Called on every file just before it is opened for writing.
void ClearReadOnly(const char* path);

// The platform's folder separator: '\\' on Windows, '/' elsewhere.
char PathSeparator();
bool IsPathSeparator(char c);

// Joins a folder and a name with one separator (none when the folder is
// empty or already ends in a separator).
std::string JoinPath(const std::string& folder, const std::string& name);

// A file written beside its destination and renamed over it only once it is
// complete, so a failure leaves the destination as it was.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string destination);
  ~ReplacementFile();  // removes the temporary when Commit was not reached
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Opens the temporary for binary writing; false when it cannot be created.
  bool Open();
  FILE* get() const { return file_; }
  // Closes the temporary and renames it over the destination.
  bool Commit();

 private:
  std::string destination_;
  std::string temporary_;
  FILE* file_ = nullptr;
};

// Replaces destination by source (both paths on the same volume).
bool RenameOver(const std::string& source, const std::string& destination);
