#include "tonepak.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "containers/big.h"
#include "containers/bnk.h"
#include "containers/sound_pack.h"
#include "containers/stream_decode.h"
#include "containers/stream_header.h"
#include "containers/wav.h"
#include "ditty_fix.h"
#include "fatal.h"
#include "file_io.h"
#include "import/import_command.h"
#include "state.h"

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

// Decimal integer with leading white space and a sign; stops at the first
// non-digit and saturates instead of overflowing.
long ParseDecimal(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  long value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return negative ? -value : value;
}

bool EndsWithAsf(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".asf";
}

bool CouldNotOpen(const char* name) {
  std::printf("couldn't open '%s'\n", name);
  return false;
}

// Writes every stream of the music file to its own WAV file.
bool ExportStreams(FILE* music, const char* musicName) {
  ConverterState& state = Converter();
  int32_t payloadLength = static_cast<int32_t>(std::min<long>(FileSize(music), INT32_MAX));
  if (!ReadStreamHeader(music, payloadLength)) return false;

  for (int streamNumber = 0;; ++streamNumber) {
    std::string name;
    if (EndsWithAsf(musicName)) {
      name = musicName;
      name.replace(name.size() - 3, 3, "wav");
    } else {
      char numbered[32];
      std::snprintf(numbered, sizeof numbered, "%3.3d.wav", streamNumber);
      name = numbered;
    }
    std::string path = JoinPath(state.destinationDir, name);
    if (name.size() > kFileNameChars || path.size() > kFullPathChars) return CouldNotOpen(name.c_str());

    ClearReadOnly(path.c_str());
    FileHandle wav = OpenFile(path.c_str(), "wb");
    if (!wav) return CouldNotOpen(name.c_str());
    WriteWavHeader(wav.get());
    std::printf("\nWriting %s\n", name.c_str());
    bool decoded = payloadLength != 0 ? DecodePayload(music, wav.get(), payloadLength)
                                      : DecodeBlocks(music, wav.get(), state.forcedMode);
    wav.reset();
    if (!decoded) return false;
    std::printf("\nOperation complete\n");
    payloadLength = 0;
    if (!ReadStreamHeader(music, payloadLength)) return true;
  }
}

bool RunExport(int argc, char** argv) {
  ConverterState& state = Converter();
  if (argc > 2) {
    const char* second = argv[2];
    if (std::strlen(second) > kDestinationDirChars) return CouldNotOpen(second);
    std::strcpy(state.destinationDir, second);
    long mode = ParseDecimal(second);
    if (mode > 0) {
      state.forcedMode = static_cast<int>(mode - 1);
      std::printf("Mode forced to %d\n", static_cast<int>(mode));
      if (argc > 3) {
        if (std::strlen(argv[3]) > kDestinationDirChars) return CouldNotOpen(argv[3]);
        std::strcpy(state.destinationDir, argv[3]);
      }
    }
  }

  const char* musicName = argv[1];
  FileHandle music = OpenFile(musicName, "rb");
  if (!music) return CouldNotOpen(musicName);

  uint8_t magic[4] = {};
  ReadZeroFilled(music.get(), magic, 4);
  bool isBigf = std::memcmp(magic, "BIGF", 4) == 0;
  if (isBigf || (magic[0] == 0xC0 && magic[1] == 0xFB)) return ScanBigArchive(music.get(), isBigf, state.forcedMode);
  if (std::memcmp(magic, "BNK", 3) == 0) return ExportBank(music.get(), state.forcedMode);

  std::rewind(music.get());
  return ExportStreams(music.get(), musicName);
}

// Runs the mode the first argument selects; false means the run failed.
bool Dispatch(int argc, char** argv) {
  const char* mode = argv[1];
  if (KeywordIs(mode, "-nhl2kdittyfix")) return RunDittyFix();
  if (KeywordIs(mode, "-import")) {
    if (argc < 5) {
      PrintUsage();
      return false;
    }
    return RunImport(argc, argv);
  }
  if (KeywordIs(mode, "-unpack")) {
    if (argc < 4) {
      PrintUsage();
      return false;
    }
    return UnpackSounds(argc, argv);
  }
  if (KeywordIs(mode, "-pack")) {
    if (PackSounds(argc, argv)) return true;
    PrintUsage();
    return false;
  }
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
      status = Dispatch(argc, argv) ? 0 : 1;
    } catch (const FatalError& error) {
      std::fputs(error.what(), stdout);
      if (error.appendNewline) std::fputs("\n", stdout);
      status = 1;
    }
  }
  std::fflush(stdout);
  return status;
}
