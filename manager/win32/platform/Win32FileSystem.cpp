
#include "common/base/text_encoding.h"
#include "manager/core/RuntimeError.h"
#include "manager/win32/platform/Win32Platform.h"

#include <shellapi.h>

#include <algorithm>

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

[[noreturn]] void ThrowLastError() { throw RuntimeError(ErrorNumberFor(GetLastError())); }

// At most maxBytes from an open file's start.
std::vector<uint8_t> ReadFrom(const Handle& file, size_t maxBytes) {
  if (file.get() == INVALID_HANDLE_VALUE) ThrowLastError();
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  DWORD got = 0;
  while (bytes.size() < maxBytes &&
         ReadFile(file.get(), buffer, static_cast<DWORD>(std::min(sizeof buffer, maxBytes - bytes.size())), &got,
                  nullptr) &&
         got > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  return bytes;
}

// A shell operation's list of paths in UTF-8 (each ended by a NUL) as wide text.
std::wstring WideList(const std::string& list) {
  std::wstring wide;
  size_t start = 0;
  for (size_t end; (end = list.find('\0', start)) != std::string::npos; start = end + 1) {
    wide += kickora::WideFromUtf8(list.substr(start, end - start));
    wide += L'\0';
  }
  return wide;
}

}  // namespace

long ErrorNumberFor(DWORD win32Error) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND: return ErrFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return ErrPathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return ErrPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ErrDiskFull;
    default: return ErrPathFileAccess;
  }
}

bool Win32FileSystem::FindFirst(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& folder,
                                                    const std::string& pattern) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw RuntimeError(ErrPathNotFound);
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((AddBackslash(folder) + pattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  // Like a file list box: hidden and system files are not shown.
  const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if (!(data.dwFileAttributes & skipped)) names.push_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

std::vector<uint8_t> Win32FileSystem::ReadAll(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadFrom(file, SIZE_MAX);
}

bool Win32FileSystem::FindFirstUtf8(const std::string& pattern) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(kickora::WideFromUtf8(pattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::vector<uint8_t> Win32FileSystem::ReadAllUtf8(const std::string& path) {
  Handle file(CreateFileW(kickora::WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadFrom(file, SIZE_MAX);
}

std::vector<uint8_t> Win32FileSystem::ReadStartUtf8(const std::string& path, size_t maxBytes) {
  Handle file(CreateFileW(kickora::WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadFrom(file, maxBytes);
}

std::vector<uint8_t> Win32FileSystem::ReadStart(const std::string& path, size_t maxBytes) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return ReadFrom(file, maxBytes);
}

void Win32FileSystem::WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  // A leftover temporary file from an interrupted save may be read-only.
  DWORD old = GetFileAttributesA(path.c_str());
  if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) ThrowLastError();
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size()))
    ThrowLastError();
  // The rename that follows must never expose a file whose bytes are not on disk.
  if (!FlushFileBuffers(file.get()) || !file.Close()) ThrowLastError();
}

void Win32FileSystem::SetNormalAttributes(const std::string& path) {
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) ThrowLastError();
}

void Win32FileSystem::ReplaceWith(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ThrowLastError();
}

void Win32FileSystem::Remove(const std::string& path) {
  if (!DeleteFileA(path.c_str())) ThrowLastError();
}

ShellOpOutcome Win32FileSystem::ShellFileOperation(unsigned operation, const std::string& sources,
                                                   const std::string& target, unsigned flags) {
  std::string to = target;
  to.append(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.hwnd = nullptr;
  op.wFunc = operation;
  op.pFrom = sources.c_str();
  op.pTo = to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags);
  int result = SHFileOperationA(&op);
  return {result == 0, op.fAnyOperationsAborted != FALSE};
}

ShellOpOutcome Win32FileSystem::ShellFileOperationUtf8(unsigned operation, const std::string& sources,
                                                       const std::string& target, unsigned flags) {
  const std::wstring from = WideList(sources);
  std::wstring to = kickora::WideFromUtf8(target);
  to.append(2, L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags);
  int result = SHFileOperationW(&op);
  return {result == 0, op.fAnyOperationsAborted != FALSE};
}
