#include "converter/file_io.h"

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
  uint8_t chunk[65536];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
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

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  std::string path = folder;
  if (!IsPathSeparator(path.back())) path += PathSeparator();
  return path + name;
}

bool RenameOver(const std::string& source, const std::string& destination) {
#ifdef _WIN32
  return MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(source.c_str(), destination.c_str()) == 0;
#endif
}

ReplacementFile::ReplacementFile(std::string destination)
    : destination_(std::move(destination)), temporary_(destination_ + ".tmp~") {}

ReplacementFile::~ReplacementFile() {
  if (file_) {
    std::fclose(file_);
    std::remove(temporary_.c_str());
  }
}

bool ReplacementFile::Open() {
  file_ = std::fopen(temporary_.c_str(), "wb");
  return file_ != nullptr;
}

bool ReplacementFile::Commit() {
  if (!file_) return false;
  bool written = std::fflush(file_) == 0 && !std::ferror(file_);
  written = (std::fclose(file_) == 0) && written;
  file_ = nullptr;
#ifndef _WIN32
  // The new file takes the place of the old one with its permissions (a
  // program keeps its execute bits).
  struct stat old;
  if (written && stat(destination_.c_str(), &old) == 0) chmod(temporary_.c_str(), old.st_mode & 07777);
#endif
  if (!written || !RenameOver(temporary_, destination_)) {
    std::remove(temporary_.c_str());
    return false;
  }
  return true;
}
