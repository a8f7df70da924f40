// Text helpers for the path functions of modFiles.
#pragma once

#include <cstdint>
#include <string>

std::string ReverseText(const std::string& text);

// The text with ASCII letters in lower case.
std::string LowerAscii(std::string text);

// Position (from 1) of the first character of the last occurrence of find in
// search, 0 when there is none. start -1 searches the whole text; any other
// start limits the search to the characters up to that position. compare 0
// is exact, any other value ignores ASCII case.
int32_t FindLast(const std::string& search, const std::string& find, int32_t& start,
                 int32_t& compare);
