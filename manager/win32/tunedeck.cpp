// tunedeck: the song manager's entry. Builds the platform services, runs
// the main window's start-up and then the message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "common/win32/MessageLoop.h"
#include "manager/core/frmMain.h"
#include "manager/win32/frmMain.h"
#include "manager/win32/platform/Win32Platform.h"

namespace {

// COM for this thread, the window's, from start-up to the end of WinMain:
// Windows loads the list's picture background given by address through it.
struct ComApartment {
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComApartment() = default;
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const ComApartment com;

  if (!frmMainWindow::RegisterWindowClass(instance)) return 1;
  frmMainWindow window(instance);
  if (!window.Create()) return 1;

  Win32FileSystem fs;
  Win32Registry registry;
  Win32Settings settings;
  Win32FileDialogs dialogs;
  Win32MessageSink messages([&window] { return window.VisibleHwnd(); });
  Win32Shell shell;
  Win32ProcessRunner processes;
  Win32ScratchFolders scratch;
  Platform platform{fs,       registry, settings,        dialogs,
                    messages, shell,    ProgramFolder(), CommandLineArguments(GetCommandLineA()),
                    processes, scratch};

  frmMain form(window, platform);
  window.Attach(&form);
  window.UsePlatform(&platform);
  if (!form.Form_Load()) return 0;

  winui::RunMessageLoop(IsDialogKeyMessage);
  return 0;
}
