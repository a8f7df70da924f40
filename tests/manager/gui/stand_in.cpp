// A stand-in for the programs tunedeck starts, steered by its environment
// (which it inherits from tunedeck, and tunedeck from the test):
//   STAND_IN_RECORD  a file to which the command line is appended
//   STAND_IN_SECONDS how long to run before ending
//   STAND_IN_EXIT    the exit code to end with
// The end-to-end tests use it as a slow or odd converter and as the
// program that opens text files; the wait measurement as a slow converter.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? value : "";
}

}  // namespace

int main() {
  std::string record = Environment("STAND_IN_RECORD");
  if (!record.empty()) {
    HANDLE file = CreateFileA(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string line = std::string(GetCommandLineA()) + "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::string seconds = Environment("STAND_IN_SECONDS");
  if (!seconds.empty()) Sleep(static_cast<DWORD>(std::atoi(seconds.c_str())) * 1000);
  std::string exitCode = Environment("STAND_IN_EXIT");
  return exitCode.empty() ? 0 : std::atoi(exitCode.c_str());
}
