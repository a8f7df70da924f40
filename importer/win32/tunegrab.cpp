// tunegrab: the importer's entry. Creates the window and runs the message
// loop; the song manager starts it hidden and drives the window.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "common/importer_window.h"
#include "common/win32/MessageLoop.h"
#include "importer/win32/TunegrabWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The folder browser needs COM on this thread.
  OleInitialize(nullptr);

  if (!TunegrabWindow::RegisterWindowClass(instance)) return 1;
  TunegrabWindow window(instance);
  if (!window.Create()) return 1;
  ShowWindow(window.hwnd(), show);
  SetFocus(GetDlgItem(window.hwnd(), importer_window::InputEdit));

  winui::RunMessageLoop([&window](MSG& message) { return window.KeyboardMessage(message); });
  OleUninitialize();
  return 0;
}
