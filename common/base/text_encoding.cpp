#include "common/base/text_encoding.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kickora {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code point of the sequence at text[at]; its length in length (1 for
// a byte that starts no valid sequence, which gives U+FFFD).
char32_t DecodeAt(const std::string& text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t n = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4   ? 4 : 0;
  length = 1;
  if (n == 0 || at + n > text.size()) return Replacement;
  char32_t c = n == 1 ? lead : lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return Replacement;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  const bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Replacement;
  length = n;
  return c;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u16string Utf16FromUtf8(const std::string& utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    size_t length = 1;
    const char32_t c = DecodeAt(utf8, at, length);
    at += length;
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string Utf8FromUtf16(const std::u16string& utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = Replacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

#if defined(_WIN32)

std::wstring WideFromUtf8(const std::string& utf8) {
  const std::u16string units = Utf16FromUtf8(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Utf8FromWide(const std::wstring& wide) {
  return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

bool AnsiFromUtf8(const std::string& utf8, std::string& ansi) {
  ansi.clear();
  if (utf8.empty()) return true;
  if (GetACP() == CP_UTF8) {
    ansi = utf8;
    return true;
  }
  const std::wstring wide = WideFromUtf8(utf8);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, &lossy);
  if (bytes <= 0) return false;
  ansi.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), bytes,
                      nullptr, &lossy);
  // A byte of the code page that stood for no character of the text.
  return !lossy && wide.find(static_cast<wchar_t>(Replacement)) == std::wstring::npos;
}

std::string Utf8FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return "";
  const int chars = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (chars <= 0) return "";
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), chars);
  return Utf8FromWide(wide);
}

std::FILE* OpenUtf8(const std::string& path, const char* mode) {
  return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
}

#else

bool AnsiFromUtf8(const std::string& utf8, std::string& ansi) {
  ansi = utf8;
  return true;
}

std::string Utf8FromAnsi(const std::string& ansi) { return ansi; }

std::FILE* OpenUtf8(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

#endif

std::string AnsiFromUtf8(const std::string& utf8) {
  std::string ansi;
  AnsiFromUtf8(utf8, ansi);
  return ansi;
}

}  // namespace kickora
