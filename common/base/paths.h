// Path texts: the platform's folder separator, joining a folder and a name,
// a path's last component.
#pragma once

#include <string>

namespace kickora {

// '\\' on Windows, '/' elsewhere; both count as separators when reading.
char PathSeparator();
bool IsPathSeparator(char c);

// Joins a folder and a name with one separator (none when the folder is
// empty or already ends in a separator).
std::string JoinPath(const std::string& folder, const std::string& name);

// The last component of a path (behind the last separator or a drive's
// colon).
std::string FileNameOf(const std::string& path);

}  // namespace kickora
