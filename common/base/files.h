// Files by path, for every program: whether they are there, whole-file
// reads within a bound, removal, files replaced only once their new content
// is complete, a folder's files, private temporary folders and the room on
// a disk. Paths are in the system's ANSI code page on Windows, but for the
// functions whose names end in Utf8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kickora {

// Renames from over to, replacing a file of that name (same volume).
bool RenameReplacing(const std::string& from, const std::string& to);

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
  // Closes the temporary and renames it over the destination (which keeps
  // its permissions where the platform has them).
  bool Commit();

 private:
  std::string destination_;
  std::string temporary_;
  FILE* file_ = nullptr;
};

// True when a file (not a folder) stands at the path, given in UTF-8 (a
// file of any name).
bool FileExistsUtf8(const std::string& path);
bool FolderExists(const std::string& path);

// Everything an open file yields from its position on, at most limit bytes;
// false when reading fails or there is more. Reads by what arrives rather
// than by a claimed size, which means nothing for a folder or device.
bool ReadToEnd(std::FILE* file, uint64_t limit, std::vector<uint8_t>& bytes);
// Reads a whole file of at most limit bytes; false when it cannot be opened
// or read, or holds more.
bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes);
bool RemoveFile(const std::string& path);

// False only when the disk that holds the folder is known to have less
// than bytes free (true when that cannot be told).
bool DiskHasRoom(const std::string& folder, uint64_t bytes);

// Names (not paths) of the files in a folder.
std::vector<std::string> FolderFiles(const std::string& folder);

// A new, empty folder under the user's temporary folder that only this
// process uses; its name begins with prefix.
bool MakePrivateTempFolder(const std::string& prefix, std::string& path);
// Removes a folder and the files in it.
void RemoveFolder(const std::string& path);

}  // namespace kickora
