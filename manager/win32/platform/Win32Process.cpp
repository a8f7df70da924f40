// Starting other programs and the private folders they work in.
#include <string>
#include <vector>

#include "common/win32/MessageLoop.h"
#include "manager/win32/platform/Win32Platform.h"

namespace {

bool StartProcess(const std::string& commandLine, int16_t showState, const std::string& folder,
                  PROCESS_INFORMATION& info) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showState);
  // A hidden console program gets no console at all: no window, and its
  // progress lines go nowhere at once (Wine gives a program started with
  // CREATE_NO_WINDOW a hidden console, and the converter's thousands of
  // progress characters then cost it minutes for a long song).
  DWORD flags = showState == SW_HIDE_STATE ? DETACHED_PROCESS : 0;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info) != 0;
}

bool RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  return RemoveDirectoryA(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
         GetLastError() == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool IsDialogKeyMessage(MSG& message) {
  // Tab, Esc and the access keys of whichever of our windows the message is for.
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  return root && (GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
         IsDialogMessageW(root, &message);
}

ProcessOutcome Win32ProcessRunner::RunAndWait(const std::string& commandLine, int16_t showState,
                                              const std::string& workingFolder) {
  PROCESS_INFORMATION info{};
  if (!StartProcess(commandLine, showState, workingFolder, info)) return {false, 0};
  CloseHandle(info.hThread);

  // The process handle is kept from the start, so the wait is on this very
  // process; its signalled state, not its exit code, ends the wait. The
  // windows stay alive meanwhile; a request to end the program made then
  // reaches the main loop after the wait.
  winui::WaitHandlingMessages(info.hProcess, IsDialogKeyMessage);
  DWORD exitCode = STILL_ACTIVE_CODE;
  GetExitCodeProcess(info.hProcess, &exitCode);
  CloseHandle(info.hProcess);
  return {true, exitCode};
}

bool Win32ProcessRunner::Start(const std::string& commandLine, int16_t showState) {
  PROCESS_INFORMATION info{};
  if (!StartProcess(commandLine, showState, "", info)) return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

std::string Win32ScratchFolders::Create() {
  char base[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(MAX_PATH, base);
  if (length == 0 || length > MAX_PATH) return "";
  std::string prefix = AddBackslash(base) + "tunedeck-" + std::to_string(GetCurrentProcessId()) + "-";
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    std::string folder = prefix + std::to_string(GetTickCount() + attempt);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

void Win32ScratchFolders::Remove(const std::string& folder) {
  if (folder.empty()) return;
  // A program that has just ended may still hold the folder as its current
  // directory for a moment (under Wine its end is signalled a little
  // before that): try again for up to two seconds.
  for (int attempt = 0; attempt < 40 && !RemoveTree(folder); ++attempt) Sleep(50);
}

ProgramVersion ReadProgramVersion() {
  ProgramVersion version;
  char path[MAX_PATH + 1] = {};
  if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return version;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return version;
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoA(path, 0, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return version;
  // FILEVERSION major, minor, build, revision.
  version.major = HIWORD(info->dwFileVersionMS);
  version.minor = LOWORD(info->dwFileVersionMS);
  version.revision = LOWORD(info->dwFileVersionLS);
  return version;
}
