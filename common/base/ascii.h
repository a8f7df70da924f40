// ASCII lower-casing: the same in every locale and code page (bytes above
// 127 stay as they are).
#pragma once

#include <string>

namespace kickora {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

}  // namespace kickora
