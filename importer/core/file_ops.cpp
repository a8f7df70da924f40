#include "importer/core/file_ops.h"

#include <atomic>
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

namespace {

std::atomic<unsigned> folderCounter{0};

bool IsSeparator(char c) {
#if defined(_WIN32)
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

#if defined(_WIN32)

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned ProcessNumber() { return static_cast<unsigned>(GetCurrentProcessId()); }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(JoinPath(folder, "").c_str(), &available, nullptr, nullptr)) return true;
  return available.QuadPart >= bytes;
}

bool MakePrivateTempFolder(std::string& path) {
  char base[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof base, base);
  if (n == 0 || n > MAX_PATH) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "tunegrab-%u-%u-%lu", ProcessNumber(), folderCounter++, GetTickCount());
    std::string candidate = JoinPath(base, name);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path = candidate;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RemoveFolder(const std::string& path) {
  for (const std::string& name : FolderFiles(path)) RemoveFile(JoinPath(path, name));
  RemoveDirectoryA(path.c_str());
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

std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (FileExists(JoinPath(folder, name))) names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool RenameReplacing(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

unsigned ProcessNumber() { return static_cast<unsigned>(getpid()); }

bool DiskHasRoom(const std::string& folder, uint64_t bytes) {
  struct statvfs s;
  if (statvfs(folder.c_str(), &s) != 0) return true;
  return static_cast<uint64_t>(s.f_bavail) * s.f_frsize >= bytes;
}

bool MakePrivateTempFolder(std::string& path) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = JoinPath(base && *base ? base : "/tmp", "tunegrab-XXXXXX");
  std::vector<char> text(pattern.begin(), pattern.end());
  text.push_back('\0');
  if (!mkdtemp(text.data())) return false;
  path = text.data();
  return true;
}

void RemoveFolder(const std::string& path) {
  for (const std::string& name : FolderFiles(path)) RemoveFile(JoinPath(path, name));
  rmdir(path.c_str());
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

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
#if defined(_WIN32)
  return folder + "\\" + name;
#else
  return folder + "/" + name;
#endif
}

std::string FileNameOf(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1]) && !(path[i - 1] == ':' && i == 2)) --i;
  return path.substr(i);
}

}  // namespace tunegrab
