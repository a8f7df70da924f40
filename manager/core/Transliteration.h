// Plain Latin letters for the letters of the Cyrillic and Greek scripts,
// after a common table (Russian, Ukrainian, Belarusian, Serbian and
// Macedonian Cyrillic; modern Greek with its accents), so that a song named
// in those scripts still gets a name the game's list can hold.
#pragma once

#include <cstdint>

// The letters for one code point ("Zh" for Ж, "zh" for ж, "" for the hard
// and soft signs), or nullptr when it is no Cyrillic or Greek letter.
const char* TransliteratedLetters(uint32_t codePoint);
