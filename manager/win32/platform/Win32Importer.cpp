#include "manager/win32/platform/Win32Importer.h"

#include <vector>

namespace {

struct WindowSearch {
  DWORD pid;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid) return TRUE;
  // The title must match exactly; a longer one is not the importer's.
  std::vector<char> text(search->title->size() + 2, '\0');
  int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  if (length >= 0 && std::string(text.data(), static_cast<size_t>(length)) == *search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

Win32ImporterProcess::~Win32ImporterProcess() {
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Win32ImporterProcess::WaitForInputIdle(uint32_t ms) {
  return ::WaitForInputIdle(info_.hProcess, ms) == 0;
}

intptr_t Win32ImporterProcess::FindOwnWindow(const std::string& title) {
  WindowSearch search{info_.dwProcessId, &title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return reinterpret_cast<intptr_t>(search.found);
}

intptr_t Win32ImporterProcess::GetDlgItem(intptr_t window, int id) {
  return reinterpret_cast<intptr_t>(::GetDlgItem(reinterpret_cast<HWND>(window), id));
}

bool Win32ImporterProcess::SendMessageBounded(intptr_t window, uint32_t message, uintptr_t wParam,
                                              intptr_t lParam, uint32_t ms) {
  // Wide: a WM_CHAR's UTF-16 code unit reaches the importer's Unicode box as it is.
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(reinterpret_cast<HWND>(window), message, wParam, lParam,
                             SMTO_NORMAL, ms, &result) != 0;
}

bool Win32ImporterProcess::GetTextBounded(intptr_t window, size_t maxLength, uint32_t ms,
                                          std::string& text) {
  // The system copies another process's text into our buffer; it never
  // writes more than the size given, the terminating NUL included.
  std::vector<char> buffer(maxLength + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_GETTEXT, buffer.size(),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, ms, &copied))
    return false;
  buffer.back() = '\0';
  text.assign(buffer.data(), copied < maxLength ? static_cast<size_t>(copied) : maxLength);
  text = text.substr(0, text.find('\0'));
  return true;
}

void Win32ImporterProcess::BringWindowToTop(intptr_t window) {
  ::BringWindowToTop(reinterpret_cast<HWND>(window));
}

bool Win32ImporterProcess::WaitForExit(uint32_t ms) {
  return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
}

void Win32ImporterProcess::Terminate() { TerminateProcess(info_.hProcess, 1); }

ImporterStart Win32Importer::Start(const std::string& program, const std::string& commandLine,
                                   std::unique_ptr<IImporterProcess>& process) {
  std::string line = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? ImporterStart::ProgramMissing
               : ImporterStart::Failed;
  }
  process = std::make_unique<Win32ImporterProcess>(info);
  return ImporterStart::Started;
}

uint64_t Win32Importer::NowMs() { return GetTickCount64(); }

FileStamp Win32Importer::Stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
  FileStamp stamp;
  stamp.exists = true;
  stamp.writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return stamp;
}
