#include "importer/core/file_ops.h"

#include "common/base/text_encoding.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cstdlib>
#endif

namespace tunegrab {

#if defined(_WIN32)

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(kickora::WideFromUtf8(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool MakePrivateTempFolder(std::string& path) { return kickora::MakePrivateTempFolder("tunegrab", path); }

unsigned ProcessNumber() { return static_cast<unsigned>(GetCurrentProcessId()); }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(JoinPath(folder, "").c_str(), &available, nullptr, nullptr)) return true;
  return available.QuadPart >= bytes;
}

#else

bool FileExists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool MakePrivateTempFolder(std::string& path) { return kickora::MakePrivateTempFolder("tunegrab", path); }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  struct statvfs s;
  if (statvfs(folder.c_str(), &s) != 0) return true;
  return static_cast<uint64_t>(s.f_bavail) * s.f_frsize >= bytes;
}

#endif

bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  uint8_t buffer[1 << 16];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(buffer, 1, sizeof buffer, file);
    if (bytes.size() + n > limit) {
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (n < sizeof buffer) {
      ok = !std::ferror(file);
      break;
    }
  }
  std::fclose(file);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) RemoveFile(path);
  return ok;
}

}  // namespace tunegrab
