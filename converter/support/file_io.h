// File helpers shared by every mode: owned FILE handles, exact reads that
// never leave stale bytes, the read-only flag; the byte order, path and
// replaced-file helpers of the base library under their converter names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/base/byte_order.h"
#include "common/base/files.h"
#include "common/base/paths.h"

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

using kickora::AppendU16LE;
using kickora::AppendU32LE;
using kickora::GetI16LE;
using kickora::GetI32LE;
using kickora::GetU16LE;
using kickora::GetU24BE;
using kickora::GetU32BE;
using kickora::GetU32LE;
using kickora::PutU16LE;
using kickora::PutU32BE;
using kickora::PutU32LE;

// Writes little-endian values to a file (unchecked, like the WAV header).
void WriteU16LE(FILE* file, uint32_t value);
void WriteU32LE(FILE* file, uint32_t value);

// Makes an existing read-only file writable; true when it was read-only (the
// caller says so). A missing file is no error.
bool ClearReadOnly(const char* path);

// Paths and replaced files come from the base library.
using kickora::IsPathSeparator;
using kickora::JoinPath;
using kickora::PathSeparator;
using kickora::ReplacementFile;
