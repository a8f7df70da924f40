// Files dropped from Explorer: the paths a WM_DROPFILES brings, and the
// main window's song list as a drop target (each drop one batch of songs,
// with the hourglass over the window meanwhile).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "manager/core/SongImport.h"
#include "manager/win32/platform/Win32Importer.h"
#include "manager/win32/platform/Win32Platform.h"

// The dropped files' full paths; the drop is finished (its memory freed).
std::vector<std::string> TakeDroppedFiles(HDROP drop);

class SongListDropTarget : public IBusyView {
 public:
  // Makes list (the song list of mainWindow) accept files from Explorer.
  SongListDropTarget(HWND mainWindow, HWND list, SongList& songs, Platform& platform);
  ~SongListDropTarget() override;
  SongListDropTarget(const SongListDropTarget&) = delete;
  SongListDropTarget& operator=(const SongListDropTarget&) = delete;

  void SetHourglass(bool on) override;
  void DoEvents() override;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  void OnDrop(HDROP drop);

  HWND main_;
  HWND list_;
  bool hourglass_ = false;
  Win32MessageSink messages_;
  Win32Importer importer_;
  SongListDrop form_;
};
