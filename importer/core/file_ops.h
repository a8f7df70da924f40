// The few file-system operations the importer needs, in the system's
// ANSI code page on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunegrab {

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Names (not paths) of the files in a folder.
std::vector<std::string> FolderFiles(const std::string& folder);
// Reads a whole file of at most limit bytes.
bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool RemoveFile(const std::string& path);
// Renames from over to, replacing a file of that name.
bool RenameReplacing(const std::string& from, const std::string& to);
// False only when the disk that holds the folder is known to have less
// than bytes free (true when that cannot be told).
bool DiskHasRoom(const std::string& folder, uint64_t bytes);
// A new, empty, private folder under the user's temporary folder.
bool MakePrivateTempFolder(std::string& path);
// Removes a folder and the files in it.
void RemoveFolder(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// The last path component.
std::string FileNameOf(const std::string& path);
// A process-unique number for temporary names.
unsigned ProcessNumber();

}  // namespace tunegrab
