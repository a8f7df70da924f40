#include "run_program.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {

std::string Quote(const std::string& text) {
  if (!text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
  return "\"" + text + "\"";
}

}  // namespace

#ifdef _WIN32
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::string native = program;
  for (char& c : native)
    if (c == '/') c = '\\';
  std::string commandLine = Quote(native);
  for (const std::string& a : arguments) commandLine += " " + Quote(a);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ProgramResult result;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writeEnd;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &process);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  CloseHandle(nul);
  // Console programs write text mode: every "\n" arrives as "\r\n".
  std::string text;
  for (size_t i = 0; i < result.output.size(); ++i)
    if (!(result.output[i] == '\r' && i + 1 < result.output.size() && result.output[i + 1] == '\n'))
      text += result.output[i];
  result.output = text;
  return result;
}
#else
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::string commandLine = Quote(program);
  for (const std::string& a : arguments) commandLine += " " + Quote(a);
  commandLine += " 2>/dev/null";
  ProgramResult result;
  FILE* pipe = popen(commandLine.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
#endif

bool FfmpegAvailable() {
#ifdef _WIN32
  return false;
#else
  return RunProgram("ffmpeg", {"-version"}).status == 0;
#endif
}

void RequireFfmpeg() {
#ifdef _WIN32
  GTEST_SKIP() << "ffmpeg is a Linux program here";
#endif
  ASSERT_TRUE(FfmpegAvailable()) << "ffmpeg is needed (apt-get install ffmpeg)";
}

void RunFfmpeg(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), {"-v", "error", "-y"});
  ProgramResult result = RunProgram("ffmpeg", arguments);
  ASSERT_EQ(result.status, 0) << result.output;
}
