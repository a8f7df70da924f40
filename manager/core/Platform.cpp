#include "manager/core/Platform.h"

std::string MusicFolder(const std::string& gameFolder) {
  return AddBackslash(gameFolder) + "data\\audio\\music\\";
}
