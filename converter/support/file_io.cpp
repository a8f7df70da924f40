#include "converter/support/file_io.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

FileHandle OpenFile(const char* path, const char* mode) { return FileHandle(std::fopen(path, mode)); }

size_t ReadZeroFilled(FILE* file, void* buffer, size_t count) {
  size_t got = std::fread(buffer, 1, count, file);
  if (got < count) std::memset(static_cast<uint8_t*>(buffer) + got, 0, count - got);
  return got;
}

bool ReadExact(FILE* file, void* buffer, size_t count) { return std::fread(buffer, 1, count, file) == count; }

bool SkipBytes(FILE* file, long count) { return std::fseek(file, count, SEEK_CUR) == 0; }

std::vector<uint8_t> ReadWholeFile(FILE* file) {
  std::vector<uint8_t> bytes;
  kickora::ReadToEnd(file, UINT64_MAX, bytes);
  return bytes;
}

long FileSize(FILE* file) {
  long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size;
}

void WriteU16LE(FILE* file, uint32_t value) {
  uint8_t bytes[2];
  PutU16LE(bytes, value);
  std::fwrite(bytes, 1, 2, file);
}

void WriteU32LE(FILE* file, uint32_t value) {
  uint8_t bytes[4];
  PutU32LE(bytes, value);
  std::fwrite(bytes, 1, 4, file);
}

bool ClearReadOnly(const char* path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
  SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
#else
  struct stat info;
  if (stat(path, &info) != 0 || (info.st_mode & S_IWUSR)) return false;
  chmod(path, (info.st_mode & 07777) | S_IWUSR);
#endif
  return true;
}
