#include "common/base/files.h"

#include <atomic>
#include <cstdlib>

#include "common/base/paths.h"
#include "common/base/text_encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace kickora {

namespace {
std::atomic<unsigned> folderCounter{0};
}

#ifdef _WIN32

bool FileExistsUtf8(const std::string& path) {
  DWORD a = GetFileAttributesW(WideFromUtf8(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(JoinPath(folder, "").c_str(), &available, nullptr, nullptr)) return true;
  return available.QuadPart >= bytes;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

bool MakePrivateTempFolder(const std::string& prefix, std::string& path) {
  char base[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof base, base);
  if (n == 0 || n > MAX_PATH) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "-%lu-%u-%lu", GetCurrentProcessId(), folderCounter++, GetTickCount());
    std::string candidate = JoinPath(base, prefix + name);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path = candidate;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RemoveFolder(const std::string& path) {
  for (const std::string& name : FolderFiles(path)) DeleteFileA(JoinPath(path, name).c_str());
  RemoveDirectoryA(path.c_str());
}

#else

bool FileExistsUtf8(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  struct statvfs s;
  if (statvfs(folder.c_str(), &s) != 0) return true;
  return static_cast<uint64_t>(s.f_bavail) * s.f_frsize >= bytes;
}

bool RenameReplacing(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    struct stat s;
    if (stat(JoinPath(folder, name).c_str(), &s) == 0 && S_ISREG(s.st_mode)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool MakePrivateTempFolder(const std::string& prefix, std::string& path) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = JoinPath(base && *base ? base : "/tmp", prefix + "-XXXXXX");
  std::vector<char> text(pattern.begin(), pattern.end());
  text.push_back('\0');
  if (!mkdtemp(text.data())) return false;
  path = text.data();
  return true;
}

void RemoveFolder(const std::string& path) {
  for (const std::string& name : FolderFiles(path)) std::remove(JoinPath(path, name).c_str());
  rmdir(path.c_str());
}

#endif

bool ReadToEnd(std::FILE* file, uint64_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  uint8_t buffer[1 << 16];
  for (;;) {
    size_t n = std::fread(buffer, 1, sizeof buffer, file);
    if (bytes.size() + n > limit) return false;
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (n < sizeof buffer) return !std::ferror(file);
  }
}

bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const bool ok = ReadToEnd(file, limit, bytes);
  std::fclose(file);
  return ok;
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
  if (!written || !RenameReplacing(temporary_, destination_)) {
    std::remove(temporary_.c_str());
    return false;
  }
  return true;
}

}  // namespace kickora
