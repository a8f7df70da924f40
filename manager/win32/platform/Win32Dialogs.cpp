
#include <vector>

#include "manager/win32/platform/Win32Platform.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

bool ShowFileDialog(FileDialogRequest& request, bool save) {
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
