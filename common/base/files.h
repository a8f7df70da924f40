// Files replaced only once their new content is complete, and private
// temporary folders. Paths are in the system's ANSI code page on Windows.
#pragma once

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

// Names (not paths) of the files in a folder.
std::vector<std::string> FolderFiles(const std::string& folder);

// A new, empty folder under the user's temporary folder that only this
// process uses; its name begins with prefix.
bool MakePrivateTempFolder(const std::string& prefix, std::string& path);
// Removes a folder and the files in it.
void RemoveFolder(const std::string& path);

}  // namespace kickora
