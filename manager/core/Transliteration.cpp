#include "manager/core/Transliteration.h"

namespace {

// U+0400 to U+042F, capitals: Ѐ Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ѝ Ў Џ, then А to Я.
// Their small letters (U+0430 to U+045F) take the same letters, small.
constexpr const char* CyrillicCapitals[48] = {
    "E", "E",  "Dj", "G", "Ye", "Dz", "I",  "Yi",   "J", "Lj", "Nj", "C",  "K",  "I",  "U",  "Dz",
    "A", "B",  "V",  "G", "D",  "E",  "Zh", "Z",    "I", "Y",  "K",  "L",  "M",  "N",  "O",  "P",
    "R", "S",  "T",  "U", "F",  "Kh", "Ts", "Ch",   "Sh", "Shch", "", "Y", "",   "E",  "Yu", "Ya"};
constexpr const char* CyrillicSmall[48] = {
    "e", "e",  "dj", "g", "ye", "dz", "i",  "yi",   "j", "lj", "nj", "c",  "k",  "i",  "u",  "dz",
    "a", "b",  "v",  "g", "d",  "e",  "zh", "z",    "i", "y",  "k",  "l",  "m",  "n",  "o",  "p",
    "r", "s",  "t",  "u", "f",  "kh", "ts", "ch",   "sh", "shch", "", "y", "",   "e",  "yu", "ya"};

// U+0391 to U+03A9, capitals Α to Ω (U+03A2 is no letter); the small
// letters U+03B1 to U+03C9 take the same places (U+03C2 is the final ς).
constexpr const char* GreekCapitals[25] = {"A", "V", "G", "D", "E", "Z", "I",  "Th", "I",  "K", "L", "M", "N",
                                           "X", "O", "P", "R", "",  "S", "T",  "Y",  "F",  "Ch", "Ps", "O"};
constexpr const char* GreekSmall[25] = {"a", "v", "g", "d", "e", "z", "i",  "th", "i",  "k", "l", "m", "n",
                                        "x", "o", "p", "r", "s", "s", "t",  "y",  "f",  "ch", "ps", "o"};

// Greek letters with accents or diaereses: the code point of the plain one.
uint32_t PlainGreek(uint32_t c) {
  switch (c) {
    case 0x386: return 0x391;  // Ά
    case 0x388: return 0x395;  // Έ
    case 0x389: return 0x397;  // Ή
    case 0x38A: case 0x3AA: return 0x399;  // Ί Ϊ
    case 0x38C: return 0x39F;  // Ό
    case 0x38E: case 0x3AB: return 0x3A5;  // Ύ Ϋ
    case 0x38F: return 0x3A9;  // Ώ
    case 0x390: case 0x3AF: case 0x3CA: return 0x3B9;  // ΐ ί ϊ
    case 0x3AC: return 0x3B1;  // ά
    case 0x3AD: return 0x3B5;  // έ
    case 0x3AE: return 0x3B7;  // ή
    case 0x3B0: case 0x3CB: case 0x3CD: return 0x3C5;  // ΰ ϋ ύ
    case 0x3CC: return 0x3BF;  // ό
    case 0x3CE: return 0x3C9;  // ώ
    default: return c;
  }
}

}  // namespace

const char* TransliteratedLetters(uint32_t c) {
  if (c >= 0x400 && c <= 0x42F) return CyrillicCapitals[c - 0x400];
  if (c >= 0x430 && c <= 0x44F) return CyrillicSmall[c - 0x430 + 16];
  if (c >= 0x450 && c <= 0x45F) return CyrillicSmall[c - 0x450];
  if (c == 0x490) return "G";  // Ґ
  if (c == 0x491) return "g";
  c = PlainGreek(c);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return GreekCapitals[c - 0x391];
  if (c >= 0x3B1 && c <= 0x3C9) return GreekSmall[c - 0x3B1];
  return nullptr;
}
