// Measures the song player of tunedeck from outside, under Wine with a
// sound device: the time from Enter on a 4-minute stereo song to the first
// sound (the label naming the song changes right after the device took the
// first buffer; median of 5), and tunedeck's processor time while the song
// plays (GetProcessTimes; under Wine scripts/measure-player.sh measures it).
// A measurement, not a test: it prints the figures.
//   wine tunedeck_player_bench.exe <tunedeck.exe> <tonepak.exe> [seconds of playing]
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
    std::printf("usage: tunedeck_player_bench <tunedeck.exe> <tonepak.exe> [seconds]\n");
    return 2;
  }
  const int playSeconds = argc > 3 ? std::stoi(argv[3]) : 10;
  if (waveOutGetNumDevs() == 0) {
    std::printf("no sound output device: set ALSA_CONFIG_PATH to a null device (see scripts/measure-player.sh)\n");
    return 1;
  }
  const measurement_game::Folders folders = measurement_game::Make("tunedeck-player-measurement", argv[1], argv[2], measurement_game::StereoSong(240));
  const std::string& root = folders.root;
  const std::string& program = folders.program;

  int status = 1;
  {
    driver::Program tunedeck(program + "\\tunedeck.exe", "");
    HWND main = tunedeck.WaitForMainWindow();
    if (!main) return 1;
    HWND list = GetDlgItem(main, IDC_LISTVIEW1), label = GetDlgItem(main, IDC_PLAYING);
    driver::Select(list, 0);
    Sleep(1000);  // let the start-up's work settle

    std::vector<double> starts;
    for (int run = 0; run < 5; ++run) {
      const auto enter = std::chrono::steady_clock::now();
      driver::PressKey(list, VK_RETURN);
      if (!driver::WaitFor([&] { return driver::WindowText(label) == "Playing: anthem.str"; })) break;
      starts.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - enter).count());
      driver::PressKey(list, VK_ESCAPE);
      driver::WaitFor([&] { return driver::WindowText(label).empty(); });
    }
    if (starts.size() == 5) {
      std::vector<double> sorted = starts;
      std::sort(sorted.begin(), sorted.end());
      std::printf("Enter to first sound, 4-minute stereo song: median %.3f s (runs:", sorted[2]);
      for (double s : starts) std::printf(" %.3f", s);
      std::printf(")\n");

      HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, tunedeck.Pid());
      driver::PressKey(list, VK_RETURN);
      driver::WaitFor([&] { return driver::WindowText(label) == "Playing: anthem.str"; });
      Sleep(500);
      // Wine reports no processor time for another process: the script
      // that runs this under Wine reads it from the system meanwhile.
      std::printf("measuring processor time for %d s\n", playSeconds);
      std::fflush(stdout);
      const double before = measurement_game::ProcessorSeconds(process);
      const auto start = std::chrono::steady_clock::now();
      Sleep(static_cast<DWORD>(playSeconds * 1000));  // nothing asks tunedeck anything meanwhile
      const double after = measurement_game::ProcessorSeconds(process);
      const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const bool stillPlaying = driver::WindowText(label) == "Playing: anthem.str";
      std::printf("tunedeck used %.3f s of processor time during %.1f s of playing: %.3f%% of one core%s\n",
                  after - before, wall, 100.0 * (after - before) / wall,
                  stillPlaying ? "" : " (the song ended before the measurement did)");
      CloseHandle(process);
      status = 0;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    tunedeck.WaitForExit();
  }
  driver::Run("reg.exe delete \"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe\" /f");
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return status;
}
