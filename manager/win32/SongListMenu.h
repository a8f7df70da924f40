// The song list's keys and context menu on the main window: Enter, Esc
// and Del on the list view (subclassed, since the window's dialog keys
// would otherwise take Enter and Esc), the menu on right click, Shift+F10
// and the menu key, and the label that names the song playing.
#pragma once

#include <windows.h>

#include "manager/core/SongListCommands.h"
#include "manager/win32/platform/Win32Audio.h"

class SongListMenu : public IPlayingLabel {
 public:
  SongListMenu(HWND main, HWND listView, HWND label, frmMain& form, IMainView& view,
               Platform& platform);
  ~SongListMenu() override;
  SongListMenu(const SongListMenu&) = delete;
  SongListMenu& operator=(const SongListMenu&) = delete;

  // The window closes: the song stops and its files go.
  void Close() { commands_.Close(); }

  void SetPlayingText(const std::string& text) override;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  bool OnKey(WPARAM key);
  void ShowMenu(LPARAM at);

  HWND main_;
  HWND list_;
  HWND label_;
  Win32WaveOut audio_;
  Win32Question question_;
  SongListCommands commands_;
};
