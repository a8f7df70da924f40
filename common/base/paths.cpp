#include "common/base/paths.h"

namespace kickora {

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  std::string path = folder;
  if (!IsPathSeparator(path.back())) path += PathSeparator();
  return path + name;
}

std::string FileNameOf(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathSeparator(path[i - 1]) && !(path[i - 1] == ':' && i == 2)) --i;
  return path.substr(i);
}

}  // namespace kickora
