// What the end-to-end tests of tunedeck share besides the driver: the
// registry keys the program reads, its title, and small file helpers.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <functional>
#include <vector>

#include "driver.h"

namespace gui_files {

// Where the game's setup registers the game folder.
inline const std::string AppPathKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe";
// The program's own per-user settings.
inline const std::string SettingsKey = "HKCU\\Software\\VB and VBA Program Settings\\Kickora Music Manager";
inline const std::string Title = "Kickora Music Manager";

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// music.inf as the manager writes it: the count, a zero, then each name
// padded with zeros to 8 bytes.
inline std::string SongListFile(const std::vector<std::string>& names) {
  std::string bytes{static_cast<char>(names.size()), '\0'};
  for (std::string name : names) {
    name.resize(8, '\0');
    bytes += name;
  }
  return bytes;
}

// Waits for the program's message box, checks its text, caption and icon,
// runs beforeOk on it (further checks, a pause), presses OK and waits for
// the box to close.
inline void ExpectMessageBox(driver::Program& program, const std::string& text, driver::BoxIcon icon,
                             const std::string& title = Title,
                             const std::function<void(HWND)>& beforeOk = {}) {
  HWND box = program.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box for: " << text;
  EXPECT_EQ(driver::MessageBoxText(box), text);
  EXPECT_EQ(driver::WindowText(box), title);
  EXPECT_EQ(driver::MessageBoxIcon(box), icon);
  if (beforeOk) beforeOk(box);
  driver::Press(box, IDOK);
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }));
}

}  // namespace gui_files
