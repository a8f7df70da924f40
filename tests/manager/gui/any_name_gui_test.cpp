// Music files and folders named in scripts that the system's code page
// cannot spell, on a Western Windows (code page 1252), through the real
// tunedeck.exe, tunegrab.exe and tonepak.exe: a Cyrillic file chosen in the
// open dialog and a Japanese one dropped on the dialog become songs with
// plain suggested names, and a song exported into the Cyrillic folder under
// a Cyrillic name is the converter's own export.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "driver.h"
#include "gui_files.h"
#include "manager/win32/FrmAddNew.h"
#include "manager/win32/resource.h"

namespace {

using namespace gui_files;
using driver::BoxIcon;
using driver::ListItem;
using driver::Program;
namespace fs = std::filesystem;

std::string ReadWide(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  fclose(file);
  return bytes;
}

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class AnyName : public ::testing::Test {
 protected:
  void SetUp() override {
    // What an English, French or Spanish Windows has.
    ASSERT_EQ(GetACP(), 1252u) << "Wine's ANSI code page comes from LANG; a Western one is needed";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "any-name-gui";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    programFolder = root + "\\Kickora Music Manager";
    game = root + "\\FIFA 2001";
    music = game + "\\data\\audio\\music\\";
    fs::create_directories(programFolder);
    fs::copy(std::string(ADDNEW_INPUTS) + "\\FIFA2001", game, fs::copy_options::recursive);
    for (const char* program : {TUNEDECK_PROGRAM, TUNEGRAB_PROGRAM, TONEPAK_PROGRAM})
      ASSERT_TRUE(CopyFileA(program, (programFolder + "\\" + fs::path(program).filename().string()).c_str(), FALSE));
    driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f");

    folder = Widened(root) + L"\\Моя музыка";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    cyrillic = folder + L"\\Песня.mp3";
    japanese = folder + L"\\歌.flac";
    ASSERT_TRUE(CopyFileW(Widened(std::string(ADDNEW_INPUTS) + "\\tone.mp3").c_str(), cyrillic.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Widened(std::string(ADDNEW_INPUTS) + "\\tone.flac").c_str(), japanese.c_str(), FALSE));
  }

  // What tonepak.exe writes for a song when run by hand in a folder of its own.
  std::string DirectExport(const std::string& song) {
    const std::string byHand = root + "\\by hand";
    fs::create_directories(byHand);
    EXPECT_EQ(driver::RunIn("\"" + programFolder + "\\tonepak.exe\" \"" + music + song + "\"", byHand), 0u);
    return ReadBytes(byHand + "\\000.wav");
  }

  void Make(HWND dialog, const std::wstring& input, const std::string& suggested) {
    EXPECT_TRUE(driver::WaitFor([&] { return driver::WideText(GetDlgItem(dialog, IDC_ADDNEW_TEXT1)) == input; }));
    EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_ADDNEW_TEXT2)), suggested);
    driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND1));
    ExpectMessageBox(*program, "Song converted succesfully!", BoxIcon::Information);
  }

  std::string root, programFolder, game, music;
  std::wstring folder, cyrillic, japanese;
  std::unique_ptr<Program> program;
};

TEST_F(AnyName, CyrillicAndJapaneseFilesBecomeSongsAndAnExportLandsUnderACyrillicName) {
  program = std::make_unique<Program>(programFolder + "\\tunedeck.exe", "");
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  driver::Click(GetDlgItem(main, IDC_COMMAND1));
  HWND dialog = program->WaitForDialog("Kickora Music Manager - Make new song...");
  ASSERT_NE(dialog, nullptr);

  // Chosen in the open dialog.
  driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND2));
  HWND chooser = program->WaitForDialog("Please select an audio file");
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(driver::SetFileName(chooser, cyrillic));
  driver::Press(chooser, IDOK);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(chooser); }));
  Make(dialog, cyrillic, "Pesnya");
  // Dropped: nothing in the name to spell in Latin letters.
  ASSERT_TRUE(driver::DropFiles(dialog, std::vector<std::wstring>{japanese}));
  Make(dialog, japanese, "song1");
  EXPECT_FALSE(Exists(music + "tunegrab.asf")) << "the importer's own name was renamed into the song";
  driver::Click(GetDlgItem(dialog, IDC_ADDNEW_COMMAND3));
  ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  HWND list = GetDlgItem(main, IDC_LISTVIEW1);
  const std::vector<ListItem> songs = driver::ReadList(list);
  int pesnya = -1;
  for (size_t i = 0; i < songs.size(); ++i)
    if (songs[i].text == "Pesnya.str") pesnya = static_cast<int>(i);
  ASSERT_GE(pesnya, 0);
  EXPECT_TRUE(std::count(songs.begin(), songs.end(), ListItem{"song1.str", false}));
  const std::string made = DirectExport("song1.str");
  EXPECT_GT(made.size(), 44u + 44100u) << "more than a second of the FLAC's two";

  // Exported into the Cyrillic folder under a Cyrillic name, chosen in the save dialog.
  driver::SelectOnly(list, {pesnya});
  driver::Click(GetDlgItem(main, IDC_COMMAND6));
  HWND exporter = program->WaitForDialog("Kickora Music Manager - Export song from game...");
  ASSERT_NE(exporter, nullptr);
  driver::Click(GetDlgItem(exporter, IDC_EXPORT_COMMAND2));
  HWND save = program->WaitForDialog("Save exported song as...");
  ASSERT_NE(save, nullptr);
  const std::wstring anthem = folder + L"\\Гимн.wav";
  ASSERT_TRUE(driver::SetFileName(save, anthem));
  driver::Press(save, IDOK);
  EXPECT_TRUE(driver::WaitFor([&] { return driver::WideText(GetDlgItem(exporter, IDC_EXPORT_TEXT1)) == anthem; }));
  driver::Click(GetDlgItem(exporter, IDC_EXPORT_COMMAND1));
  ExpectMessageBox(*program,
                   "Song exported succesfully! You can now listen to it by using a multimedia player (i.e. Winamp).",
                   BoxIcon::Information);
  const std::string exported = ReadWide(anthem);
  EXPECT_GT(exported.size(), 44u);
  EXPECT_EQ(exported, DirectExport("Pesnya.str"));
  std::vector<std::wstring> names;
  for (const auto& entry : fs::directory_iterator(fs::path(folder))) names.push_back(entry.path().filename().wstring());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Гимн.wav", L"Песня.mp3", L"歌.flac"}))
      << "nothing else was written there";
}

}  // namespace
