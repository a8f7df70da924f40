#include "converter/tonepak.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "converter/fatal.h"
#include "converter/modes/ditty_fix.h"
#include "converter/modes/export.h"
#include "converter/modes/import.h"
#include "converter/modes/sound_pack.h"
#include "converter/state.h"
#include "converter/text.h"

namespace {

// Three NUL-terminated texts one behind the other; "$VER:" lets version
// tools find the record in the binary.
#if defined(__GNUC__)
__attribute__((used))
#endif
const char kVersionRecord[] = "$VER:1:0.40\0"
                              "2:" __TIME__ "\0"
                              "3:" __DATE__;

const char* VersionRecordText(int index) {
  const char* text = kVersionRecord;
  for (int i = 0; i < index; ++i) text += std::strlen(text) + 1;
  return text;
}

bool KeywordIs(const char* argument, const char* keyword) {
  for (; *argument && *keyword; ++argument, ++keyword)
    if (std::tolower(static_cast<unsigned char>(*argument)) != *keyword) return false;
  return *argument == *keyword;
}

// Runs the mode the first argument selects.
ModeResult Dispatch(int argc, char** argv) {
  const char* mode = argv[1];
  if (KeywordIs(mode, "-nhl2kdittyfix")) return RunDittyFix();
  if (KeywordIs(mode, "-import")) return argc < 5 ? ModeResult::kFailureShowUsage : RunImport(argc, argv);
  if (KeywordIs(mode, "-unpack")) return argc < 4 ? ModeResult::kFailureShowUsage : UnpackSounds(argc, argv);
  if (KeywordIs(mode, "-pack")) return PackSounds(argc, argv);
  return RunExport(argc, argv);
}

}  // namespace

const char* VersionText() { return VersionRecordText(0) + 7; }

void FormatBuildDate(const char* date, char* out, int outSize) {
  static const char* const kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
  while (*date == ' ') ++date;
  int month = -1;
  for (int m = 0; m < 12 && month < 0; ++m) {
    bool same = true;
    for (int i = 0; i < 3 && same; ++i) same = date[i] && std::tolower(static_cast<unsigned char>(date[i])) == kMonths[m][i];
    if (same) month = m + 1;
  }
  while (*date && *date != ' ') ++date;
  while (*date == ' ') ++date;
  int day = static_cast<int>(ParseDecimal(date));
  while (*date && *date != ' ') ++date;
  int year = static_cast<int>(ParseDecimal(date));
  // "%.2d" pads with zeros exactly as "%02.2d" would (the 0 flag is ignored
  // beside a precision).
  std::snprintf(out, static_cast<size_t>(outSize), "%.2d.%.2d.%d", day, month, year);
}

const char* BuildDateText() {
  static char text[32];
  FormatBuildDate(VersionRecordText(2) + 2, text, sizeof text);
  return text;
}

void PrintUsage() {
  std::printf("\n");
  std::printf(" TONEPAK %s (%s) Electronic Art's music file<->WAV converter\n", VersionText(), BuildDateText());
  std::printf(" written by the Kickora developers <tonepak@kickora.org>, http://www.kickora.org\n");
  std::printf("\n");
  std::printf(" Usage:\n\n");
  std::printf("  export: TONEPAK <music file> [mode] [<destination directory>]\n");
  std::printf("  import: TONEPAK -import <wave file> <destination file> <original sound> [bnk]\n");
  std::printf("  unpack: TONEPAK -unpack <sound pack file> <index> [<destination dir>]\n");
  std::printf("  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>\n");
  std::printf("\n");
}

int RunTonepak(int argc, char** argv) {
  ResetConverterState();
  int status = 0;
  if (argc < 2) {
    PrintUsage();
  } else {
    try {
      const ModeResult result = Dispatch(argc, argv);
      if (result == ModeResult::kFailureShowUsage) PrintUsage();
      status = result == ModeResult::kSuccess ? 0 : 1;
    } catch (const FatalError& error) {
      std::fputs(error.what(), stdout);
      if (error.appendNewline) std::fputs("\n", stdout);
      status = 1;
    }
  }
  std::fflush(stdout);
  return status;
}
