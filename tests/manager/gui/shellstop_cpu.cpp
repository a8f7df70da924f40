// Measures the processor time tunedeck uses while ShellStop waits for a
// converter that runs for ten seconds (the stand-in in tonepak's place).
// A measurement, not a test: it prints the figure and ends with status 0
// when the export ran. Run it under Wine like the end-to-end tests:
//   wine tunedeck_shellstop_cpu.exe <tunedeck.exe> <stand-in.exe> [seconds]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver.h"
#include "measurement_game.h"
#include "manager/win32/resource.h"


int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: tunedeck_shellstop_cpu <tunedeck.exe> <stand-in.exe> [seconds]\n");
    return 2;
  }
  const std::string seconds = argc > 3 ? argv[3] : "10";
  const measurement_game::Folders folders = measurement_game::Make("tunedeck-wait-measurement", argv[1], argv[2], "SCHl");
  const std::string& root = folders.root;
  const std::string& program = folders.program;
  SetEnvironmentVariableA("STAND_IN_SECONDS", seconds.c_str());

  driver::Program tunedeck(program + "\\tunedeck.exe", "");
  HWND main = tunedeck.WaitForMainWindow();
  if (!main) return 1;
  driver::Select(GetDlgItem(main, IDC_LISTVIEW1), 0);
  driver::Click(GetDlgItem(main, IDC_COMMAND6));
  HWND dialog = tunedeck.WaitForDialog("Kickora Music Manager - Export song from game...");
  if (!dialog) return 1;
  driver::SetText(GetDlgItem(dialog, IDC_EXPORT_TEXT1), root + "\\out.wav");
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, tunedeck.Pid());
  Sleep(1000);  // let the start-up's work settle

  const double before = measurement_game::ProcessorSeconds(process);
  const auto start = std::chrono::steady_clock::now();
  driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND1));
  // The message box comes when the wait is over; look for it seldom, so
  // that the looking does not wake tunedeck.
  HWND box = nullptr;
  while (!box && std::chrono::steady_clock::now() - start < std::chrono::seconds(std::stoi(seconds) + 30)) {
    Sleep(500);
    for (HWND window : tunedeck.Windows())
      if (GetDlgItem(window, 0xFFFF)) box = window;
  }
  const double after = measurement_game::ProcessorSeconds(process);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseHandle(process);
  if (!box) return 1;
  std::printf("tunedeck used %.3f s of processor time during a %.1f s wait: %.3f%% of one core\n",
              after - before, wall, 100.0 * (after - before) / wall);
  driver::Press(box, IDOK);
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return 0;
}
