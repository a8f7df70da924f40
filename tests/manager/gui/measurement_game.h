// The game and program folders the measurement programs (not tests) set up
// under the temporary folder: tunedeck.exe and a second program as
// tonepak.exe in "Kickora Music Manager", one song anthem.str in the music
// folder with an empty music.inf, and the game registered where tunedeck
// looks for it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "driver.h"
#include "support/ea_streams.h"

namespace measurement_game {

// Processor time a process has used so far, kernel and user; -1 when
// Windows gives none.
inline double ProcessorSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
  auto seconds = [](const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// A stereo EA ADPCM song of 22,050 Hz, as the game's songs are, in blocks
// of 250 frames (30 bytes for 28 samples of both channels).
inline std::string StereoSong(int seconds) {
  const int frames = seconds * 22050 / 28, perBlock = 250;
  const int blocks = (frames + perBlock - 1) / perBlock;
  SchlHeaderOptions options;
  options.channels = 2;
  options.length = static_cast<uint32_t>(28 * frames);
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(static_cast<uint32_t>(blocks)));
  unsigned seed = 7;
  for (int b = 0; b < blocks; ++b) {
    const int count = std::min(perBlock, frames - b * perBlock);
    Bytes data;
    for (int f = 0; f < count; ++f) {
      data.push_back(static_cast<uint8_t>((f % 4) << 4 | (8 + f % 4)));
      data.push_back(static_cast<uint8_t>((f % 3) << 4 | (8 + f % 3)));
      for (int i = 0; i < 28; ++i) {
        seed = seed * 1103515245u + 12345u;
        data.push_back(static_cast<uint8_t>(seed >> 16));
      }
    }
    Append(file, ScdEaBlock(static_cast<uint32_t>(28 * count), data));
  }
  Append(file, SceBlock());
  return std::string(file.begin(), file.end());
}

struct Folders {
  std::string root, program, music;
};

inline Folders Make(const std::string& name, const char* tunedeck, const char* tonepak, const std::string& anthem) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  Folders f;
  f.root = std::string(temp) + name;
  std::error_code ignored;
  std::filesystem::remove_all(f.root, ignored);
  f.program = f.root + "\\Kickora Music Manager";
  f.music = f.root + "\\FIFA 2001\\data\\audio\\music";
  std::filesystem::create_directories(f.program);
  std::filesystem::create_directories(f.music);
  CopyFileA(tunedeck, (f.program + "\\tunedeck.exe").c_str(), FALSE);
  CopyFileA(tonepak, (f.program + "\\tonepak.exe").c_str(), FALSE);
  std::ofstream(f.music + "\\anthem.str", std::ios::binary) << anthem;
  std::ofstream(f.music + "\\music.inf", std::ios::binary) << std::string(2, '\0');
  driver::Run("reg.exe add \"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe\" "
              "/v Path /d \"" + f.root + "\\FIFA 2001\" /f");
  return f;
}

}  // namespace measurement_game
