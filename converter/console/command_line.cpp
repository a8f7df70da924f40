#include "converter/console/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "common/base/ascii.h"
#include "converter/console/text.h"
#include "converter/console/tonepak.h"
#include "converter/context/state.h"

namespace tonepak {

namespace {

bool KeywordIs(const char* argument, const char* keyword) {
  for (; *argument && *keyword; ++argument, ++keyword)
    if (kickora::AsciiLower(*argument) != *keyword) return false;
  return *argument == *keyword;
}

// The user's bank sample number as the platform's text-to-long conversion
// reads it.
long long SampleNumber(const char* text) { return std::strtoll(text, nullptr, 10); }

// The optional export arguments: a number is the forced mode (and, without a
// third argument, also the destination directory), anything else the
// directory. A second argument too long for a directory is refused as one
// before it is read as a number.
ExportRequest ExportRequestOf(int count, char** arguments) {
  ExportRequest request;
  request.musicFile = arguments[0];
  if (count <= 1) return request;
  request.destinationDir = arguments[1];
  if (request.destinationDir.size() > static_cast<size_t>(kDestinationDirChars)) return request;
  const long mode = ParseDecimal(arguments[1]);
  if (mode <= 0) return request;
  request.forcedMode = mode;
  if (count > 2) request.destinationDir = arguments[2];
  return request;
}

}  // namespace

Command ParseCommandLine(int count, char** arguments) {
  Command command;
  if (count < 1) return command;
  const char* mode = arguments[0];
  if (KeywordIs(mode, "-nhl2kdittyfix")) {
    command.mode = Command::Mode::kDittyFix;
  } else if (KeywordIs(mode, "-import")) {
    if (count < 4) return command;
    command.mode = Command::Mode::kImport;
    command.importRequest = {arguments[1], arguments[2], arguments[3], std::nullopt};
    if (count > 4) command.importRequest.bankSample = SampleNumber(arguments[4]);
  } else if (KeywordIs(mode, "-unpack")) {
    if (count < 3) return command;
    command.mode = Command::Mode::kUnpack;
    // Only a fourth argument of its own is the destination.
    command.unpackRequest = {arguments[1], arguments[2], count == 4 ? arguments[3] : ""};
  } else if (KeywordIs(mode, "-pack")) {
    if (count < 3) return command;
    command.mode = Command::Mode::kPack;
    command.packRequest = {arguments[1], arguments[2], std::nullopt};
    if (count > 3) command.packRequest.indexFile = arguments[3];
  } else {
    command.mode = Command::Mode::kExport;
    command.exportRequest = ExportRequestOf(count, arguments);
  }
  return command;
}

Command ParseCommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> texts = arguments;
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  return ParseCommandLine(static_cast<int>(pointers.size()), pointers.data());
}

Result RunCommand(const Command& command, const Options& options) {
  switch (command.mode) {
    case Command::Mode::kExport:
      return Export(command.exportRequest, options);
    case Command::Mode::kImport:
      return Import(command.importRequest, options);
    case Command::Mode::kUnpack:
      return Unpack(command.unpackRequest, options);
    case Command::Mode::kPack:
      return Pack(command.packRequest, options);
    case Command::Mode::kDittyFix:
      return DittyFix(command.dittyFixRequest, options);
    case Command::Mode::kUsage:
      break;
  }
  Result usage;
  usage.status = Status::kFailureShowUsage;
  return usage;
}

ConsoleRun RunConsole(const std::vector<std::string>& arguments, const Options& options) {
  ConsoleRun run;
  const bool usageOnly = arguments.empty();
  if (!usageOnly) run.result = RunCommand(ParseCommandLine(arguments), options);
  if (usageOnly || run.result.status == Status::kFailureShowUsage) {
    std::string usage = UsageText();
    if (options.echo) options.echo(usage);
    run.result.messages.push_back(std::move(usage));
  }
  run.exitStatus = usageOnly || run.result.ok() ? 0 : 1;
  return run;
}

std::string UsageText() {
  char banner[200];
  std::snprintf(banner, sizeof banner, " TONEPAK %s (%s) Electronic Art's music file<->WAV converter\n", VersionText(),
                BuildDateText());
  return std::string("\n") + banner +
         " written by the Kickora developers <tonepak@kickora.org>, http://www.kickora.org\n"
         "\n"
         " Usage:\n\n"
         "  export: TONEPAK <music file> [mode] [<destination directory>]\n"
         "  import: TONEPAK -import <wave file> <destination file> <original sound> [bnk]\n"
         "  unpack: TONEPAK -unpack <sound pack file> <index> [<destination dir>]\n"
         "  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>\n"
         "\n";
}

}  // namespace tonepak
