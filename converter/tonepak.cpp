#include "converter/tonepak.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <cstring>

#include "converter/context.h"
#include "converter/text.h"
#include "converter/tonepak_api.h"

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

// The user's bank sample number as the platform's text-to-long conversion
// reads it.
long long SampleNumber(const char* text) { return std::strtoll(text, nullptr, 10); }

// The optional export arguments: a number is the forced mode (and, without a
// third argument, also the destination directory), anything else the
// directory. A second argument too long for a directory is refused as one
// before it is read as a number.
tonepak::ExportRequest ExportRequestOf(int argc, char** argv) {
  tonepak::ExportRequest request;
  request.musicFile = argv[1];
  if (argc <= 2) return request;
  request.destinationDir = argv[2];
  if (request.destinationDir.size() > static_cast<size_t>(kDestinationDirChars)) return request;
  const long mode = ParseDecimal(argv[2]);
  if (mode <= 0) return request;
  request.forcedMode = mode;
  if (argc > 3) request.destinationDir = argv[3];
  return request;
}

// Turns the command line into the request of its mode and runs it.
tonepak::Result Dispatch(int argc, char** argv, const tonepak::Options& options) {
  const char* mode = argv[1];
  tonepak::Result usage;
  usage.status = tonepak::Status::kFailureShowUsage;
  if (KeywordIs(mode, "-nhl2kdittyfix")) return tonepak::DittyFix({}, options);
  if (KeywordIs(mode, "-import")) {
    if (argc < 5) return usage;
    tonepak::ImportRequest request{argv[2], argv[3], argv[4], std::nullopt};
    if (argc > 5) request.bankSample = SampleNumber(argv[5]);
    return tonepak::Import(request, options);
  }
  if (KeywordIs(mode, "-unpack")) {
    if (argc < 4) return usage;
    return tonepak::Unpack({argv[2], argv[3], argc == 5 ? argv[4] : ""}, options);
  }
  if (KeywordIs(mode, "-pack")) {
    if (argc < 4) return usage;
    tonepak::PackRequest request{argv[2], argv[3], std::nullopt};
    if (argc >= 5) request.indexFile = argv[4];
    return tonepak::Pack(request, options);
  }
  return tonepak::Export(ExportRequestOf(argc, argv), options);
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
  int status = 0;
  if (argc < 2) {
    PrintUsage();
  } else {
    tonepak::Options options;
    // Messages appear as they are made, progress lines included.
    options.echo = [](const std::string& message) { std::fwrite(message.data(), 1, message.size(), stdout); };
    const tonepak::Result result = Dispatch(argc, argv, options);
    if (result.status == tonepak::Status::kFailureShowUsage) PrintUsage();
    status = result.ok() ? 0 : 1;
  }
  std::fflush(stdout);
  return status;
}
