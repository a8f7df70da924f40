#include "manager/core/modStrings.h"

#include <utility>

#include "common/base/ascii.h"

std::string ReverseText(const std::string& text) {
  std::string reversed;
  reversed.reserve(text.size());
  for (size_t i = text.size(); i > 0; --i) reversed += text[i - 1];
  return reversed;
}

std::string LowerAscii(std::string text) { return kickora::AsciiLower(std::move(text)); }

int32_t FindLast(const std::string& search, const std::string& find, int32_t& start,
                 int32_t& compare) {
  // Searching the reversed texts from the front finds the last occurrence.
  std::string haystack = search;
  if (start >= 0 && static_cast<size_t>(start) < haystack.size()) haystack.resize(start);
  std::string reversedSearch = ReverseText(haystack);
  std::string reversedFind = ReverseText(find);
  if (reversedFind.empty()) return start;
  if (compare != 0) {
    reversedSearch = LowerAscii(reversedSearch);
    reversedFind = LowerAscii(reversedFind);
  }
  size_t found = reversedSearch.find(reversedFind);
  if (found == std::string::npos) return 0;
  int32_t r = static_cast<int32_t>(found) + 1;
  return static_cast<int32_t>(haystack.size()) - r - static_cast<int32_t>(find.size()) + 2;
}
