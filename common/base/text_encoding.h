// Text between UTF-8, in which the programs carry paths of music files and
// of exported songs, and what the platform's calls take: UTF-16 for the
// wide calls of Windows and the system's ANSI code page for its narrow
// ones. Elsewhere the narrow encoding is UTF-8 itself, so the code page
// conversions leave the text as it is there.
#pragma once

#include <cstdio>
#include <string>

namespace kickora {

// Adds one character (a code point up to U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// A byte that starts no valid UTF-8 sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(const std::string& utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const std::u16string& utf16);

// The text in the system's ANSI code page. False when a character has no
// place in it (it stands there as "?").
bool AnsiFromUtf8(const std::string& utf8, std::string& ansi);
// The same, "?" for every character without a place.
std::string AnsiFromUtf8(const std::string& utf8);
std::string Utf8FromAnsi(const std::string& ansi);

// fopen by a UTF-8 path (_wfopen on Windows).
std::FILE* OpenUtf8(const std::string& path, const char* mode);

#if defined(_WIN32)
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
#endif

}  // namespace kickora
