// Path and file helpers shared by the whole manager. The file system itself
// sits behind IFileSystem so that the song list and start-up rules run
// against a fake in the unit tests and against Win32 in the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Shell file operation codes and flags (the values of SHFileOperationA).
constexpr unsigned FO_COPY_CODE = 2;
constexpr unsigned FO_RENAME_CODE = 4;
constexpr unsigned FOF_SILENT_FLAG = 0x4;
constexpr unsigned FOF_RENAMEONCOLLISION_FLAG = 0x8;
constexpr unsigned FOF_NOCONFIRMATION_FLAG = 0x10;
constexpr unsigned FOF_NOERRORUI_FLAG = 0x400;

struct ShellOpOutcome {
  bool succeeded = false;  // the shell returned 0
  bool anyOperationsAborted = false;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // A file search with the path as its pattern: true when it yields an entry.
  virtual bool FindFirst(const std::string& pattern) = 0;
  // Names (without folder) of the files in folder that match pattern, in
  // any order. Throws RuntimeError 76 when the folder does not exist.
  virtual std::vector<std::string> ListFiles(const std::string& folder,
                                             const std::string& pattern) = 0;
  // The whole file. Throws RuntimeError (53 when it does not exist).
  virtual std::vector<uint8_t> ReadAll(const std::string& path) = 0;
  // Creates or truncates path and writes bytes. Throws RuntimeError.
  virtual void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // Clears read-only, hidden and system. Throws RuntimeError.
  virtual void SetNormalAttributes(const std::string& path) = 0;
  // Renames from over to, replacing to when it exists. Throws RuntimeError.
  virtual void ReplaceWith(const std::string& from, const std::string& to) = 0;
  // Throws RuntimeError.
  virtual void Remove(const std::string& path) = 0;
  // sources is the double-NUL-terminated list, target one path.
  virtual ShellOpOutcome ShellFileOperation(unsigned operation, const std::string& sources,
                                            const std::string& target, unsigned flags) = 0;
  // The first bytes of a file, at most maxBytes. Throws RuntimeError.
  virtual std::vector<uint8_t> ReadStart(const std::string& path, size_t maxBytes) {
    std::vector<uint8_t> bytes = ReadAll(path);
    if (bytes.size() > maxBytes) bytes.resize(maxBytes);
    return bytes;
  }
  // Music files to import and exported songs may have names in any script:
  // their paths are in UTF-8, every other path in the system's code page.
  // A music file's title as the system's own tag readers give it, in
  // UTF-8; "" when they give none.
  virtual std::string SystemTitleTag(const std::string& /*utf8Path*/) { return ""; }
  virtual bool FindFirstUtf8(const std::string& pattern) { return FindFirst(pattern); }
  virtual std::vector<uint8_t> ReadAllUtf8(const std::string& path) { return ReadAll(path); }
  virtual std::vector<uint8_t> ReadStartUtf8(const std::string& path, size_t maxBytes) {
    return ReadStart(path, maxBytes);
  }
  // The shell's file operation with sources and target in UTF-8.
  virtual ShellOpOutcome ShellFileOperationUtf8(unsigned operation, const std::string& sources,
                                                const std::string& target, unsigned flags) {
    return ShellFileOperation(operation, sources, target, flags);
  }
};

std::string AddBackslash(const std::string& path);
// Up to and including the last backslash; "" when there is none.
std::string FolderPart(const std::string& path);
// After the last backslash; the whole path when there is none.
std::string FileNamePart(const std::string& path);

bool FileExists(IFileSystem& fs, const std::string& path);
// The same for a path in UTF-8.
bool FileExistsUtf8(IFileSystem& fs, const std::string& path);

// Each source followed by a NUL, then one more NUL to end the list.
std::string BuildSourceList(const std::vector<std::string>& sources);
unsigned ShellFileOpFlags(bool confirm, bool silent, bool renameOnCollision);

bool ShellFileOp(IFileSystem& fs, unsigned operation, const std::vector<std::string>& sources,
                 const std::string& target, bool confirm, bool silent, bool renameOnCollision,
                 unsigned extraFlags = 0);
// Copies never let the shell show an error dialog of its own: the caller
// reports a failed copy with its own message.
bool CopyFiles(IFileSystem& fs, const std::vector<std::string>& sources, const std::string& target,
               bool confirm, bool silent, bool renameOnCollision);
bool CopyFiles(IFileSystem& fs, const std::string& source, const std::string& target, bool confirm,
               bool silent, bool renameOnCollision);
// A copy with source and target in UTF-8.
bool CopyFileUtf8(IFileSystem& fs, const std::string& source, const std::string& target, bool confirm,
                  bool silent, bool renameOnCollision);
bool RenameFiles(IFileSystem& fs, const std::string& source, const std::string& target,
                 bool confirm, bool renameOnCollision);
