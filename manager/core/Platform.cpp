#include "manager/core/Platform.h"

std::string ProgramFile(const std::string& programFolder, const std::string& name) {
  return AddBackslash(programFolder) + name;
}

std::string MusicFolder(const std::string& gameFolder) {
  return AddBackslash(gameFolder) + "data\\audio\\music\\";
}
