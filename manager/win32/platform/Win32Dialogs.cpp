
#include <vector>

#include "common/base/text_encoding.h"
#include "manager/win32/platform/Win32Platform.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// Text of the system's code page (NULs kept, as in a filter) as wide text.
std::wstring WideOfAnsi(const std::string& text) { return kickora::WideFromUtf8(kickora::Utf8FromAnsi(text)); }

// A buffer of size characters holding the text up to its first NUL.
std::vector<wchar_t> WideBuffer(const std::string& utf8, size_t size) {
  std::wstring text = kickora::WideFromUtf8(TextBeforeNul(utf8));
  if (text.size() > size) text.clear();
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.resize(size + 1, L'\0');
  return buffer;
}

// The wide dialog, for files of any name: the paths come back in UTF-8.
bool ShowWideFileDialog(FileDialogRequest& request, bool save) {
  const size_t fileSize = request.file.size() > DialogBufferSize ? request.file.size() : DialogBufferSize;
  std::vector<wchar_t> file = WideBuffer(request.file, fileSize);
  std::vector<wchar_t> title = WideBuffer(request.fileTitle, DialogBufferSize);
  const std::wstring filter = WideOfAnsi(request.filter), initialDir = WideOfAnsi(request.initialDir),
                     dialogTitle = WideOfAnsi(request.title), defaultExt = WideOfAnsi(request.defaultExt);
  const auto orNull = [](const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); };

  OPENFILENAMEW record{};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  record.hwndOwner = reinterpret_cast<HWND>(request.owner);
  record.lpstrFilter = orNull(filter);
  record.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  record.lpstrFile = file.data();
  record.nMaxFile = static_cast<DWORD>(fileSize);
  record.lpstrFileTitle = title.data();
  record.nMaxFileTitle = DialogBufferSize;
  record.lpstrInitialDir = orNull(initialDir);
  record.lpstrTitle = orNull(dialogTitle);
  record.lpstrDefExt = orNull(defaultExt);
  record.Flags = request.flags;

  BOOL confirmed = save ? GetSaveFileNameW(&record) : GetOpenFileNameW(&record);
  if (!confirmed) return false;
  // Every NUL kept: several files chosen together are separated by them.
  request.file = kickora::Utf8FromWide(std::wstring(file.data(), fileSize));
  request.fileTitle = kickora::Utf8FromWide(std::wstring(title.data(), DialogBufferSize));
  request.flags = record.Flags;
  request.filterIndex = static_cast<int32_t>(record.nFilterIndex);
  return true;
}

bool ShowFileDialog(FileDialogRequest& request, bool save) {
  if (request.utf8Paths) return ShowWideFileDialog(request, save);
  // A multiple selection's buffer is larger; every other one is 260 characters.
  const size_t fileSize = request.file.size() > DialogBufferSize ? request.file.size() : DialogBufferSize;
  std::vector<char> file(request.file.begin(), request.file.end());
  file.resize(fileSize + 1, '\0');
  std::vector<char> title(request.fileTitle.begin(), request.fileTitle.end());
  title.resize(DialogBufferSize + 1, '\0');

  OPENFILENAMEA record{};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes: every Windows takes it
  record.hwndOwner = reinterpret_cast<HWND>(request.owner);
  record.lpstrFilter = request.filter.empty() ? nullptr : request.filter.c_str();
  record.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  record.lpstrFile = file.data();
  record.nMaxFile = static_cast<DWORD>(fileSize);
  record.lpstrFileTitle = title.data();
  record.nMaxFileTitle = DialogBufferSize;
  record.lpstrInitialDir = TextOrNull(request.initialDir);
  record.lpstrTitle = TextOrNull(request.title);
  record.lpstrDefExt = TextOrNull(request.defaultExt);
  record.Flags = request.flags;

  BOOL confirmed = save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);
  if (!confirmed) return false;
  request.file.assign(file.data(), fileSize);
  request.fileTitle.assign(title.data(), DialogBufferSize);
  request.flags = record.Flags;
  request.filterIndex = static_cast<int32_t>(record.nFilterIndex);
  return true;
}

}  // namespace

bool Win32FileDialogs::GetOpenFileName(FileDialogRequest& request) {
  return ShowFileDialog(request, false);
}

bool Win32FileDialogs::GetSaveFileName(FileDialogRequest& request) {
  return ShowFileDialog(request, true);
}

void Win32MessageSink::Show(const std::string& text, MessageIcon icon, const std::string& title) {
  UINT style = MB_OK;
  switch (icon) {
    case MessageIcon::Critical: style |= MB_ICONERROR; break;
    case MessageIcon::Exclamation: style |= MB_ICONWARNING; break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::None: break;
  }
  MessageBoxA(owner_ ? owner_() : nullptr, text.c_str(), title.c_str(), style);
}

void Win32Shell::OpenDocument(intptr_t owner, const std::string& document) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), "open", document.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

std::string ProgramFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = FolderPart(std::string(path, length));
  // Keep the backslash of a drive's root ("C:\"), as the program folder is given.
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string CommandLineArguments(const char* commandLine) {
  const char* p = commandLine ? commandLine : "";
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}
