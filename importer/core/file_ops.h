// The few file-system operations the importer needs, in the system's
// ANSI code page on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/base/files.h"
#include "common/base/paths.h"

namespace tunegrab {

// The input music file: its path in UTF-8 (any name).
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
using kickora::FolderFiles;
// Reads a whole file of at most limit bytes.
bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool RemoveFile(const std::string& path);
// False only when the disk that holds the folder is known to have less
// than bytes free (true when that cannot be told).
bool DiskHasRoom(const std::string& folder, uint64_t bytes);
// A new, empty, private folder under the user's temporary folder.
bool MakePrivateTempFolder(std::string& path);
// From the base library: replacing rename, folder removal, path texts.
using kickora::FileNameOf;
using kickora::JoinPath;
using kickora::RemoveFolder;
using kickora::RenameReplacing;
// A process-unique number for temporary names.
unsigned ProcessNumber();

}  // namespace tunegrab
