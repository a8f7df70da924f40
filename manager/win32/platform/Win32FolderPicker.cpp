// The shell's folder picker: the common item dialog in folder mode where
// Windows has it (Vista and later), the older folder browser otherwise.
// The caller's thread has COM initialised (tunedeck's WinMain does).
#include "common/base/text_encoding.h"
#include "manager/win32/platform/Win32Platform.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace {

std::wstring Widen(const std::string& text) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 1), L'\0');
  if (chars > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), chars);
  return wide;
}

// The item dialog's answer: true when it could be shown at all, with the
// folder chosen ("" for Cancel).
bool PickWithItemDialog(HWND owner, const std::string& title, std::string& folder) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                              reinterpret_cast<void**>(&dialog))))
    return false;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(Widen(title).c_str());
  folder.clear();
  if (SUCCEEDED(dialog->Show(owner))) {
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item))) {
      wchar_t* path = nullptr;
      if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        folder = kickora::Utf8FromWide(path);  // any name: the export's paths are UTF-8
        CoTaskMemFree(path);
      }
      item->Release();
    }
  }
  dialog->Release();
  return true;
}

std::string PickWithFolderBrowser(HWND owner, const std::string& title) {
  const std::wstring wideTitle = Widen(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = wideTitle.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return "";
  wchar_t path[MAX_PATH + 1] = {};
  const bool named = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  return named ? kickora::Utf8FromWide(path) : "";
}

}  // namespace

std::string Win32FileDialogs::ChooseFolder(intptr_t owner, const std::string& title) {
  std::string folder;
  if (PickWithItemDialog(reinterpret_cast<HWND>(owner), title, folder)) return folder;
  return PickWithFolderBrowser(reinterpret_cast<HWND>(owner), title);
}
