// The driver's wide forms: texts and paths that the system's code page
// cannot spell reach the other program whole.
#include "driver.h"

#include <shlobj.h>

namespace driver {

std::wstring WideText(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

bool SetFileName(HWND dialog, const std::wstring& path) {
  HWND box = GetDlgItem(dialog, 1148);
  if (!box) box = GetDlgItem(dialog, 1152);
  if (!box) return false;
  for (HWND inner = box; inner;) {
    box = inner;
    inner = GetWindow(inner, GW_CHILD);
  }
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return WideText(box) == path;
}

bool DropFiles(HWND target, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  std::string block(sizeof(DROPFILES), '\0');
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
  // As the narrow form does: the block put into the other program's memory.
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return written && PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

}  // namespace driver
