// Measures the export of several songs at once from outside, under Wine:
// ten 3-minute stereo songs selected, "Export song from game...", a folder
// in the folder picker, and the time from its OK to the message at the end
// (median of 3). A measurement, not a test: it prints the figures.
//   wine tunedeck_export_bench.exe <tunedeck.exe> <tonepak.exe>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver.h"
#include "measurement_game.h"
#include "manager/win32/resource.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: tunedeck_export_bench <tunedeck.exe> <tonepak.exe>\n");
    return 2;
  }
  constexpr int Songs = 10;
  const std::string song = measurement_game::StereoSong(180);
  const measurement_game::Folders folders = measurement_game::Make("tunedeck-export-measurement", argv[1], argv[2], song);
  for (int i = 1; i < Songs; ++i)
    std::ofstream(folders.music + "\\song" + std::to_string(i) + ".str", std::ios::binary) << song;
  const std::string destination = folders.root + "\\My Songs";

  int status = 1;
  {
    driver::Program tunedeck(folders.program + "\\tunedeck.exe", "");
    HWND main = tunedeck.WaitForMainWindow();
    if (!main) return 1;
    HWND list = GetDlgItem(main, IDC_LISTVIEW1);
    std::vector<int> all(Songs);
    for (int i = 0; i < Songs; ++i) all[i] = i;
    std::vector<double> runs;
    for (int run = 0; run < 3; ++run) {
      std::error_code ignored;
      std::filesystem::remove_all(destination, ignored);
      std::filesystem::create_directories(destination);
      driver::SelectOnly(list, all);
      driver::Click(GetDlgItem(main, IDC_COMMAND6));
      HWND picker = tunedeck.WaitForDialog("Choose the folder for the exported songs");
      if (!picker || !driver::SetFileName(picker, destination)) break;
      const auto ok = std::chrono::steady_clock::now();
      driver::Press(picker, IDOK);
      HWND box = tunedeck.WaitForMessageBox();
      if (!box) break;
      runs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - ok).count());
      std::printf("run %d: %.3f s: %s\n", run + 1, runs.back(), driver::MessageBoxText(box).c_str());
      driver::Press(box, IDOK);
      driver::WaitFor([&] { return !IsWindow(box); });
    }
    if (runs.size() == 3) {
      std::sort(runs.begin(), runs.end());
      std::printf("%d 3-minute songs exported into a folder, OK to the message: median %.3f s (%.3f s a song)\n",
                  Songs, runs[1], runs[1] / Songs);
      status = 0;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    tunedeck.WaitForExit();
  }
  driver::Run("reg.exe delete \"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe\" /f");
  std::error_code ignored;
  std::filesystem::remove_all(folders.root, ignored);
  return status;
}
