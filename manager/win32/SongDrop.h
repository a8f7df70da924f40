// Files dropped from Explorer: the paths a WM_DROPFILES brings, and the
// main window's song list as a drop target (each drop one batch of songs,
// worked through by the main window, its hourglass showing meanwhile).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "manager/core/SongImport.h"
#include "manager/win32/platform/Win32Importer.h"
#include "manager/win32/platform/Win32Platform.h"

// The dropped files' full paths, in UTF-8 (any name); the drop is finished
// (its memory freed).
std::vector<std::string> TakeDroppedFiles(HDROP drop);

class SongListDropTarget {
 public:
  // Makes list (the song list of mainWindow) accept files from Explorer;
  // busy is the main window, which works through each drop's batch.
  SongListDropTarget(HWND mainWindow, HWND list, SongList& songs, IBusyView& busy, Platform& platform);
  ~SongListDropTarget();
  SongListDropTarget(const SongListDropTarget&) = delete;
  SongListDropTarget& operator=(const SongListDropTarget&) = delete;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  void OnDrop(HDROP drop);

  HWND main_;
  HWND list_;
  Win32MessageSink messages_;
  Win32Importer importer_;
  SongListDrop form_;
};
