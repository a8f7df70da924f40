// A small driver that works tunedeck.exe from outside, the way a user
// would: it starts the program, finds its windows, reads the song list of
// the other process, clicks buttons and reads and answers message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace driver {

using namespace std::chrono_literals;
// Wine answers slowly on a busy machine; every wait polls up to this long.
constexpr auto Patience = 30s;

// Polls condition until it holds or Patience runs out.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = Patience);

class Program {
 public:
  // Starts the program with arguments appended to its quoted path, and
  // NUL standard handles so that no test pipe is held open; in folder
  // when one is given (a shortcut's "Start in"), else in ours.
  Program(const std::string& exe, const std::string& arguments, const std::string& folder = "");
  ~Program();  // ends the program if it is still running
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD Pid() const { return info_.dwProcessId; }
  bool WaitForExit(std::chrono::milliseconds limit = Patience);
  bool HasExited() const;

  // The visible top-level windows of the program.
  std::vector<HWND> Windows() const;
  // The main window once it has been created (visible or not).
  HWND MainWindow() const;
  // Waits for the main window to be shown.
  HWND WaitForMainWindow();
  // Waits for a visible dialog of class #32770 whose caption is title.
  HWND WaitForDialog(const std::string& title);
  // Waits for a message box: a visible #32770 with the text static 0xFFFF.
  HWND WaitForMessageBox();

 private:
  PROCESS_INFORMATION info_{};
};

std::string WindowText(HWND window);
std::string MessageBoxText(HWND box);
enum class BoxIcon { None, Error, Warning, Information, Unknown };
// The icon a message box shows, compared pixel by pixel with the system's.
BoxIcon MessageBoxIcon(HWND box);
bool HasButton(HWND dialog, int id);
// Presses a dialog's button (IDOK, IDCANCEL).
void Press(HWND dialog, int id);
// Clicks a push button. Posted, so that a modal window it opens does not
// block the driver.
void Click(HWND button);

// The song list of another process's list view.
struct ListItem {
  std::string text;
  bool checked;
  bool operator==(const ListItem&) const = default;
};
inline void PrintTo(const ListItem& item, std::ostream* out) {
  *out << item.text << (item.checked ? " [x]" : " [ ]");
}
std::vector<ListItem> ReadList(HWND listView);
// The texts of one column (0 the first) of another process's list view.
std::vector<std::string> ReadColumn(HWND listView, int column);
// The control that has the keyboard in the thread of another program's window.
HWND FocusOf(HWND window);
// Ticks or unticks the check box in front of an item with a mouse click.
void ClickCheckBox(HWND listView, int index);
void Select(HWND listView, int index);
// Selects these items and no others.
void SelectOnly(HWND listView, const std::vector<int>& indexes);

// Types a path into an open or save dialog's file-name box.
bool SetFileName(HWND dialog, const std::string& path);
// A string value of the per-user application settings; "" when missing.
std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key);

// Runs a command line (for example reg.exe) and waits for it.
DWORD Run(const std::string& commandLine);

// Runs a command line in the given working folder ("" for ours) and waits
// for it; its exit code, or 0xFFFFFFFF when it could not start.
DWORD RunIn(const std::string& commandLine, const std::string& folder);
// Sets the text of another process's control (an edit box).
void SetText(HWND control, const std::string& text);
// Drops files on a window of another program as Explorer does: a
// WM_DROPFILES with the paths in a DROPFILES block in that program's memory.
bool DropFiles(HWND target, const std::vector<std::string>& paths);
// Posts a key's press and release to a window, as the keyboard would.
void PressKey(HWND window, UINT key);
// Paths of any name (UTF-16), for the wide forms of the same: the text of a
// window, a path typed into an open or save dialog, files dropped.
std::wstring WideText(HWND window);
bool SetFileName(HWND dialog, const std::wstring& path);
bool DropFiles(HWND target, const std::vector<std::wstring>& paths);
// The dialog of the program with this caption that is open now, if any.
std::vector<HWND> DialogsTitled(const Program& program, const std::string& title);
// The running processes whose program file is named exeName (any case).
int CountProcesses(const std::string& exeName);

}  // namespace driver
