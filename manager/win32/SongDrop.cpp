#include "manager/win32/SongDrop.h"

#include <commctrl.h>
#include <shellapi.h>

#include "common/base/text_encoding.h"

namespace {

// Our own subclass of the list among any others.
constexpr UINT_PTR DropSubclassId = 0x534F4E47;

}  // namespace

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied <= length ? copied : length);
    if (!path.empty()) files.push_back(kickora::Utf8FromWide(path));
  }
  DragFinish(drop);
  return files;
}

SongListDropTarget::SongListDropTarget(HWND mainWindow, HWND list, SongList& songs, IBusyView& busy,
                                       Platform& platform)
    : main_(mainWindow),
      list_(list),
      messages_([mainWindow] { return mainWindow; }),
      form_(songs, platform, importer_, busy, messages_) {
  SetWindowSubclass(list_, ListProc, DropSubclassId, reinterpret_cast<DWORD_PTR>(this));
  DragAcceptFiles(list_, TRUE);
}

SongListDropTarget::~SongListDropTarget() {
  if (!IsWindow(list_)) return;
  DragAcceptFiles(list_, FALSE);
  RemoveWindowSubclass(list_, ListProc, DropSubclassId);
}

void SongListDropTarget::OnDrop(HDROP drop) {
  const std::vector<std::string> files = TakeDroppedFiles(drop);
  // Under a dialog of the main window (About, make new song) a drop on the
  // list is not taken, unless a song is being made: then it is refused.
  if (!SongMakingBusy() && !IsWindowEnabled(main_)) return;
  form_.FilesDropped(files);
  if (IsWindow(list_)) SetFocus(list_);
}

LRESULT CALLBACK SongListDropTarget::ListProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  if (message == WM_DROPFILES) {
    reinterpret_cast<SongListDropTarget*>(self)->OnDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
