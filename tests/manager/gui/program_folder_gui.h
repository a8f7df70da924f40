// The fixture of the export, help and About end-to-end tests: the real
// tunedeck.exe and tonepak.exe with the help file in one program folder
// with a blank in its path, on a game folder with a blank in its path.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "driver.h"
#include "gui_files.h"
#include "support/ea_streams.h"
#include "manager/win32/resource.h"
#include "support/wav_reading.h"

namespace program_folder_gui {

using namespace gui_files;
using driver::BoxIcon;
using driver::Program;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Wine looks file types up in HKCR only; the tests' own prefix has no
// association for .txt, so the tests add one and remove it again.
const std::string TextClassKey = "HKCR\\.txt";
const std::string TextHandlerKey = "HKCR\\KickoraTestText";
const std::string ExportTitle = "Kickora Music Manager - Export song from game...";
const std::string Succeeded =
    "Song exported succesfully! You can now listen to it by using a multimedia player (i.e. Winamp).";
const std::string Failed = "An error occurred while exporting the song.";

// A mono EA ADPCM song whose frames vary with seed, so that two songs
// decode to different, non-silent samples; in blocks of perBlock frames
// (one block when none is given), as the game's long songs come.
inline std::string Song(int frames, unsigned seed, int perBlock = 0) {
  if (perBlock <= 0) perBlock = frames;
  const int blocks = (frames + perBlock - 1) / perBlock;
  SchlHeaderOptions options;
  options.length = static_cast<uint32_t>(28 * frames);
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(static_cast<uint32_t>(blocks)));
  for (int b = 0; b < blocks; ++b) {
    Bytes data;
    for (int f = b * perBlock; f < frames && f < (b + 1) * perBlock; ++f) {
      data.push_back(static_cast<uint8_t>((f % 4) << 4 | (8 + f % 4)));
      for (int i = 0; i < 14; ++i) {
        seed = seed * 1103515245u + 12345u;
        data.push_back(static_cast<uint8_t>(seed >> 16));
      }
    }
    Append(file, ScdEaBlock(static_cast<uint32_t>(data.size()), data));
  }
  Append(file, SceBlock());
  return std::string(file.begin(), file.end());
}

// Wine's path of ours on the Unix side, to point its trash somewhere we see.
inline std::string UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(LPCWSTR);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return "";
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unix = convert(wide.c_str());
  if (!unix) return "";
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

inline std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

class ProgramFolderGui : public ::testing::Test {
 protected:
  static constexpr int Frames = 400;

  void SetUp() override {
    for (const std::string& key : {AppPathKey, SettingsKey, TextClassKey, TextHandlerKey})
      driver::Run("reg.exe delete \"" + key + "\" /f");
    for (const char* name : {"STAND_IN_RECORD", "STAND_IN_SECONDS", "STAND_IN_EXIT"})
      SetEnvironmentVariableA(name, nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    tempFolder = temp;
    root = tempFolder + "tunedeck-export-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    fs::remove_all(root, ignored);  // left over from an earlier run
    fs::create_directories(root);

    programFolder = root + "\\Kickora Music Manager";
    fs::create_directories(programFolder);
    const std::string built = TUNEDECK_PROGRAM;
    ASSERT_TRUE(CopyFileA(built.c_str(), (programFolder + "\\tunedeck.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(TONEPAK_PROGRAM, (programFolder + "\\tonepak.exe").c_str(), FALSE));
    // The help file as the build installs it, beside the program.
    const std::string readme = built.substr(0, built.find_last_of("/\\")) + "\\readme.txt";
    ASSERT_TRUE(CopyFileA(readme.c_str(), (programFolder + "\\readme.txt").c_str(), FALSE));

    game = root + "\\Program Files\\FIFA 2001";
    music = game + "\\data\\audio\\music\\";
    fs::create_directories(music);
    WriteBytes(game + "\\fifa2001.exe", "");
    WriteBytes(music + "anthem.str", Song(Frames, 1));
    WriteBytes(music + "broken.str", "this is no stream at all");
    WriteBytes(music + "goal.str", Song(Frames, 2));
    WriteBytes(music + "music.inf", std::string("\x01\0anthem\0\0", 10));
    ASSERT_EQ(driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f"), 0u);
    destination = root + "\\My Songs";
    fs::create_directories(destination);
    tempBefore = Names(tempFolder);
  }

  void TearDown() override {
    for (const std::string& key : {TextClassKey, TextHandlerKey})
      driver::Run("reg.exe delete \"" + key + "\" /f");
  }

  // Starts tunedeck from the program folder and waits for its window.
  HWND StartProgram() {
    program = std::make_unique<Program>(programFolder + "\\tunedeck.exe", "");
    HWND main = program->WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }

  // Selects the song (anthem 0, broken 1, goal 2) and opens the export dialog.
  HWND OpenExport(HWND main, int song) {
    driver::SelectOnly(GetDlgItem(main, IDC_LISTVIEW1), {song});
    driver::Click(GetDlgItem(main, IDC_COMMAND6));
    return program->WaitForDialog(ExportTitle);
  }

  void Export(HWND dialog, const std::string& target) {
    driver::SetText(GetDlgItem(dialog, IDC_EXPORT_TEXT1), target);
    driver::Click(GetDlgItem(dialog, IDC_EXPORT_COMMAND1));
  }

  void ExpectMessage(const std::string& text, BoxIcon icon, const std::string& title = Title) {
    ExpectMessageBox(*program, text, icon, title,
                     [](HWND box) { EXPECT_FALSE(driver::HasButton(box, IDCANCEL)); });
  }

  // What tonepak.exe writes for the song when run by hand in a folder of its own.
  std::string DirectExport(const std::string& song) {
    const std::string folder = root + "\\by hand " + song;
    fs::create_directories(folder);
    EXPECT_EQ(driver::RunIn("\"" TONEPAK_PROGRAM "\" \"" + music + song + "\"", folder), 0u);
    return ReadBytes(folder + "\\000.wav");
  }

  // Nothing beside the program but what was put there, and no private
  // folder of tunedeck's left in the temporary directory.
  void ExpectNothingLeftBehind(const std::set<std::string>& programFiles) {
    EXPECT_EQ(Names(programFolder), programFiles);
    for (const std::string& name : Names(tempFolder))
      EXPECT_TRUE(tempBefore.count(name) || !name.starts_with("tunedeck-")) << name;
  }

  const std::set<std::string> Installed{"readme.txt", "tonepak.exe", "tunedeck.exe"};
  std::string tempFolder, root, programFolder, game, music, destination;
  std::set<std::string> tempBefore;
  std::unique_ptr<Program> program;
};

}  // namespace program_folder_gui
