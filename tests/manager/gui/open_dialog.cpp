// Opens one of the running tunedeck's dialogs from outside, for
// screenshots and demonstrations (not a test):
//   tunedeck_open_dialog export <song index> [destination]
//   tunedeck_open_dialog about
#include <windows.h>

#include <cstdlib>
#include <string>

#include "driver.h"
#include "manager/win32/resource.h"

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  HWND main = nullptr;
  driver::WaitFor([&] { return (main = FindWindowA(TUNEDECK_WINDOW_CLASS, nullptr)) != nullptr; });
  if (!main) return 1;
  if (what == "about") {
    driver::Click(GetDlgItem(main, IDC_COMMAND3));
    return 0;
  }
  if (what != "export" || argc < 3) return 2;
  driver::Select(GetDlgItem(main, IDC_LISTVIEW1), std::atoi(argv[2]));
  driver::Click(GetDlgItem(main, IDC_COMMAND6));
  HWND dialog = nullptr;
  driver::WaitFor([&] {
    return (dialog = FindWindowA("#32770", "Kickora Music Manager - Export song from game...")) != nullptr;
  });
  if (!dialog) return 1;
  if (argc > 3) driver::SetText(GetDlgItem(dialog, IDC_EXPORT_TEXT1), argv[3]);
  return 0;
}
