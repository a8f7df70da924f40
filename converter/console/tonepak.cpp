#include "converter/console/tonepak.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <cstring>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX  // std::min below, not the macro
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "converter/console/command_line.h"
#include "converter/console/progress_throttle.h"
#include "converter/console/text.h"
#include "kickora_version.h"

namespace {

// Three NUL-terminated texts one behind the other; "$VER:" lets version
// tools find the record in the binary.
#if defined(__GNUC__)
__attribute__((used))
#endif
const char kVersionRecord[] = "$VER:1:" TONEPAK_VERSION_TEXT "\0"
                              "2:" __TIME__ "\0"
                              "3:" __DATE__;

const char* VersionRecordText(int index) {
  const char* text = kVersionRecord;
  for (int i = 0; i < index; ++i) text += std::strlen(text) + 1;
  return text;
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
  // Formatted once; read by any thread afterwards.
  static const std::string text = [] {
    char formatted[32];
    FormatBuildDate(VersionRecordText(2) + 2, formatted, sizeof formatted);
    return std::string(formatted);
  }();
  return text.c_str();
}

namespace {

bool StandardOutputIsConsole() {
#ifdef _WIN32
  // A console answers for its mode; a file, a pipe or NUL does not.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
  return isatty(fileno(stdout)) != 0;
#endif
}

}  // namespace

void PrintUsage() { std::fputs(tonepak::UsageText().c_str(), stdout); }

int RunTonepak(int argc, char** argv) {
  tonepak::Options options;
  // Messages appear as they are made; on a console, progress lines at most
  // about ten a second (each overwrites the last), the last one always.
  ProgressThrottle throttle(StandardOutputIsConsole());
  const auto write = [](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); };
  options.echo = [&](const std::string& message) { write(throttle.Take(message, ProgressThrottle::Clock::now())); };
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  const int status = tonepak::RunConsole(arguments, options).exitStatus;
  write(throttle.Finish());
  std::fflush(stdout);
  return status;
}
