// What the release test reads of the installed files: listings of a
// folder with sizes and hashes, a program's version and its manifest.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace program_files {

// One file under a folder: its size and a hash of its bytes.
struct FileMark {
  unsigned long long size = 0;
  unsigned long long hash = 0;
  bool operator==(const FileMark&) const = default;
};
// By path relative to the folder; folders end with a backslash.
using Listing = std::map<std::string, FileMark>;

// Every file and folder under folder (ANSI calls, so that names outside
// ASCII come back as the programs see them); hashes only withBytes.
Listing List(const std::string& folder, bool withBytes);
std::vector<std::string> Names(const Listing& listing);
std::string TempFolder();
// The version of a program file from its version resource, as a.b.c.d.
std::string FileVersion(const std::string& path);
// The application manifest a program file carries ("" without one).
std::string Manifest(const std::string& path);

}  // namespace program_files
