// The console program's command line: the request of one mode, read from the
// arguments, and the banner with the usage.
#pragma once

#include <string>
#include <vector>

#include "converter/api/tonepak_api.h"

namespace tonepak {

struct Command {
  enum class Mode { kUsage, kExport, kImport, kUnpack, kPack, kDittyFix };
  Mode mode = Mode::kUsage;
  ExportRequest exportRequest;
  ImportRequest importRequest;
  UnpackRequest unpackRequest;
  PackRequest packRequest;
  DittyFixRequest dittyFixRequest;
};

// Reads the arguments behind the program name (at least one). The keyword
// is compared ignoring case; a mode without its arguments asks for the
// usage.
Command ParseCommandLine(int count, char** arguments);
Command ParseCommandLine(const std::vector<std::string>& arguments);

// Runs the command's mode; the usage command fails asking for the usage.
Result RunCommand(const Command& command, const Options& options = {});

// The banner and the usage, as printed.
std::string UsageText();

// The console program in-process: the arguments behind the program name in,
// the mode's messages out with the usage behind them wherever the program
// prints it (no arguments at all: the usage alone). The exit status is 0 on
// success and without arguments, 1 on every failure.
struct ConsoleRun {
  int exitStatus = 0;
  Result result;
};
ConsoleRun RunConsole(const std::vector<std::string>& arguments, const Options& options = {});

}  // namespace tonepak
