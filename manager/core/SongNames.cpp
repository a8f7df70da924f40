#include "manager/core/SongNames.h"

#include <cctype>

#include "common/base/ascii.h"
#include "manager/core/Platform.h"
#include "manager/core/RuntimeError.h"
#include "manager/core/SongTitleTag.h"
#include "manager/core/Transliteration.h"
#include "manager/core/modKorm.h"

namespace {

// U+0100 to U+017F (Latin Extended-A), one plain letter each; '?' marks the
// ligatures, which FoldCodePoint spells out.
constexpr char LatinExtendedA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo??RrRrRrSsSs"
    "SsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(sizeof LatinExtendedA == 0x80 + 1, "one letter for each code point");

// U+00C0 to U+00FF; '?' marks the letters of two characters, '-' signs.
constexpr char LatinSupplement[] = "AAAAAA?CEEEEIIIIDNOOOOO-OUUUUY??aaaaaa?ceeeeiiiidnooooo-ouuuuy?y";
static_assert(sizeof LatinSupplement == 0x40 + 1, "one letter for each code point");

std::string FoldCodePoint(uint32_t c) {
  if (c < 0x80) return std::isalnum(static_cast<int>(c)) ? std::string(1, static_cast<char>(c)) : "";
  if (const char* letters = TransliteratedLetters(c)) return letters;
  switch (c) {
    case 0xC6: return "AE";
    case 0xDE: return "TH";
    case 0xDF: return "ss";
    case 0xE6: return "ae";
    case 0xFE: return "th";
    case 0x132: return "IJ";
    case 0x133: return "ij";
    case 0x152: return "OE";
    case 0x153: return "oe";
    case 0x192: return "f";
    default: break;
  }
  char plain = 0;
  if (c >= 0xC0 && c <= 0xFF) plain = LatinSupplement[c - 0xC0];
  if (c >= 0x100 && c <= 0x17F) plain = LatinExtendedA[c - 0x100];
  return std::isalpha(static_cast<unsigned char>(plain)) ? std::string(1, plain) : "";
}

// Code page 1252's characters 0x80 to 0x9F; the others equal their code points.
uint32_t Cp1252CodePoint(unsigned char byte) {
  switch (byte) {
    case 0x83: return 0x192;
    case 0x8A: return 0x160;
    case 0x8C: return 0x152;
    case 0x8E: return 0x17D;
    case 0x9A: return 0x161;
    case 0x9C: return 0x153;
    case 0x9E: return 0x17E;
    case 0x9F: return 0x178;
    default: return byte;
  }
}

// The code point of the UTF-8 sequence at text[at]; its length in length,
// 0 when no valid sequence starts there.
uint32_t Utf8CodePoint(const std::string& text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) length = 1;
  else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else length = 0;
  if (length == 0 || at + length > text.size()) return length = 0;
  uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return length = 0;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF) return length = 0;
  return c;
}

bool IsDeviceName(const std::string& name) {
  const std::string lower = kickora::AsciiLower(name);
  for (const char* device : {"con", "prn", "aux", "nul"})
    if (lower == device) return true;
  return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
         lower[3] >= '1' && lower[3] <= '9';
}

}  // namespace

std::string FoldUtf8(const std::string& text) {
  std::string letters;
  for (size_t at = 0; at < text.size();) {
    size_t length = 0;
    uint32_t c = Utf8CodePoint(text, at, length);
    if (length == 0) {
      c = Cp1252CodePoint(static_cast<unsigned char>(text[at]));
      length = 1;
    }
    letters += FoldCodePoint(c);
    at += length;
  }
  return letters;
}

std::string SongNameFromLetters(const std::string& letters) {
  const size_t start = letters.find_first_not_of('1');
  if (start == std::string::npos) return "";
  return letters.substr(start, SongNameBytes);
}

bool SongNameTaken(IFileSystem& fs, const std::string& name) {
  return IsDeviceName(name) || FileExists(fs, MusicFolder(GameFolder) + name + ".str");
}

std::string FreeSongName(IFileSystem& fs, const std::string& name) {
  if (!SongNameTaken(fs, name)) return name;
  std::string candidate = name;
  for (int number = 2; number < 100000; ++number) {
    const std::string digits = std::to_string(number);
    candidate = name.substr(0, SongNameBytes - digits.size()) + digits;
    if (!SongNameTaken(fs, candidate)) break;
  }
  return candidate;
}

std::string FallbackSongName(IFileSystem& fs) {
  std::string name;
  for (int number = 1; number < 100000; ++number) {
    name = "song" + std::to_string(number);
    if (!SongNameTaken(fs, name)) break;
  }
  return name;
}

std::string SongTitle(IFileSystem& fs, const std::string& inputFile) {
  std::string title = fs.SystemTitleTag(inputFile);
  if (!FoldUtf8(title).empty()) return title;
  try {
    const std::vector<uint8_t> start = fs.ReadStartUtf8(inputFile, TitleTagReadBytes);
    return TitleTag(start.data(), start.size());
  } catch (const RuntimeError&) {
    return "";
  }
}

std::string SuggestedSongName(IFileSystem& fs, const std::string& inputFile) {
  std::string name = SongNameFromLetters(FoldUtf8(SongTitle(fs, inputFile)));
  if (name.empty()) {
    const std::string fileName = FileNamePart(inputFile);
    const size_t dot = fileName.find_last_of('.');
    name = SongNameFromLetters(FoldUtf8(dot == std::string::npos ? fileName : fileName.substr(0, dot)));
  }
  return name.empty() ? FallbackSongName(fs) : FreeSongName(fs, name);
}
