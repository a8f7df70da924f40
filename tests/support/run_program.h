// Runs a built program as a separate process and captures what it prints
// on standard output and its exit status.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;
  std::string output;
};

// program is a path as CMake gives it (a Z: path with forward slashes under
// Wine is turned into a native one). Arguments are quoted when they hold
// spaces. Runs in the current directory. Under Windows the text-mode line
// ends are turned back into "\n".
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// True when ffmpeg can be run here. The outside checks with ffmpeg run in
// the native build only; there ffmpeg must be installed.
bool FfmpegAvailable();

// For a fixture's SetUp: skips the test on Windows, where ffmpeg is not at
// hand, and fails it where ffmpeg is missing.
void RequireFfmpeg();

// Runs ffmpeg quietly, overwriting its outputs; fails the test when it
// fails.
void RunFfmpeg(std::vector<std::string> arguments);
