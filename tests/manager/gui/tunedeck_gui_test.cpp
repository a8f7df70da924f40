// tunedeck.exe driven from outside under a real window system (Wine and
// Xvfb in CI): where the game folder comes from, what the list shows, what
// a save writes, and the messages a user sees.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "driver.h"
#include "gui_files.h"
#include "manager/win32/resource.h"

namespace {

using namespace gui_files;
using driver::BoxIcon;
using driver::ListItem;
using driver::Program;

const std::string DesktopKey = "HKCU\\Control Panel\\Desktop";


class TunedeckGui : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every start-up source is cleared: each test sets only the one it needs.
    driver::Run("reg.exe delete \"" + AppPathKey + "\" /f");
    driver::Run("reg.exe delete \"" + SettingsKey + "\" /f");
    driver::Run("reg.exe delete \"" + DesktopKey + "\" /v LogPixels /f");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "tunedeck-gui-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);  // left over from an earlier run
    CreateDirectoryA(root_.c_str(), nullptr);
    game = root_ + "\\FIFA2001";
  }

  // A game folder with the songs (empty files will do) and a music.inf.
  void MakeGame(const std::string& folder, const std::vector<std::string>& songs,
                const std::vector<std::string>& listed) {
    for (const char* part : {"", "\\data", "\\data\\audio", "\\data\\audio\\music"})
      CreateDirectoryA((folder + part).c_str(), nullptr);
    WriteBytes(folder + "\\fifa2001.exe", "");
    for (const std::string& song : songs) WriteBytes(Music(folder) + song, "SCHl");
    WriteBytes(Music(folder) + "music.inf", SongListFile(listed));
  }
  static std::string Music(const std::string& folder) { return folder + "\\data\\audio\\music\\"; }

  std::unique_ptr<Program> Start(const std::string& arguments = "", const char* exe = TUNEDECK_PROGRAM) {
    auto program = std::make_unique<Program>(exe, arguments);
    EXPECT_NE(program->Pid(), 0u) << "tunedeck.exe did not start";
    return program;
  }

  // Answers the next message box with OK after checking what it says.
  void ExpectMessage(Program& program, const std::string& text, BoxIcon icon,
                     const std::string& title = Title) {
    ExpectMessageBox(program, text, icon, title, [](HWND box) {
      EXPECT_TRUE(driver::HasButton(box, IDOK));
      EXPECT_FALSE(driver::HasButton(box, IDCANCEL));
    });
  }

  static HWND Control(HWND main, int id) { return GetDlgItem(main, id); }
  static std::vector<ListItem> Songs(HWND main) { return driver::ReadList(Control(main, IDC_LISTVIEW1)); }

  std::string root_;
  std::string game;
};

using StartupSources = TunedeckGui;

TEST_F(StartupSources, CommandLineFolderIsAnnouncedThenItsSongsAreListed) {
  MakeGame(game, {"1intro.str", "anthem.str", "Goal.str", "crowd.str"}, {"Goal", "1intro"});
  auto program = Start(game);
  HWND box = program->WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  HWND hidden = program->MainWindow();
  EXPECT_TRUE(hidden == nullptr || !IsWindowVisible(hidden)) << "the window shows before the message";
  ExpectMessage(*program, "Fifa 2001 folder is: " + game, BoxIcon::Information);

  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::WindowText(main), Title);
  EXPECT_EQ(driver::WindowText(Control(main, IDC_LABEL2)), "Fifa 2001's folder is: " + game);
  EXPECT_EQ(Songs(main), (std::vector<ListItem>{{"anthem.str", false}, {"crowd.str", false}, {"Goal.str", true}}));
  for (int id : {IDC_COMMAND1, IDC_COMMAND2, IDC_COMMAND6}) EXPECT_TRUE(IsWindowEnabled(Control(main, id)));
  EXPECT_FALSE(program->HasExited());
}

TEST_F(StartupSources, QuotedCommandLineFolderWithBlanksIsUsedWithoutItsQuotes) {
  // As a Start-menu shortcut passes it.
  const std::string folder = root_ + "\\EA SPORTS\\FIFA 2001";
  CreateDirectoryA((root_ + "\\EA SPORTS").c_str(), nullptr);
  MakeGame(folder, {"anthem.str", "goal.str"}, {"goal"});
  auto program = Start("\"" + folder + "\"");
  ExpectMessage(*program, "Fifa 2001 folder is: " + folder, BoxIcon::Information);
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::WindowText(Control(main, IDC_LABEL2)), "Fifa 2001's folder is: " + folder);
  EXPECT_EQ(Songs(main), (std::vector<ListItem>{{"anthem.str", false}, {"goal.str", true}}));
}

TEST_F(StartupSources, RegistryFolderIsUsedWithoutAMessage) {
  MakeGame(game, {"anthem.str", "goal.str"}, {"anthem"});
  ASSERT_EQ(driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d " + game + "\\ /f"), 0u);
  auto program = Start();
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main}) << "no message box expected";
  EXPECT_EQ(driver::WindowText(Control(main, IDC_LABEL2)), "Fifa 2001's folder is: " + game + "\\");
  EXPECT_EQ(Songs(main), (std::vector<ListItem>{{"anthem.str", true}, {"goal.str", false}}));
  EXPECT_NE(driver::Run("reg.exe query \"" + SettingsKey + "\\Settings\" /v Fifapath"), 0u)
      << "a folder from the registry is not saved";
}

TEST_F(StartupSources, SavedSettingIsUsedWithoutTheDialog) {
  MakeGame(game, {"anthem.str"}, {"anthem"});
  driver::Run("reg.exe add \"" + SettingsKey + "\\Settings\" /v Fifapath /d " + game + " /f");
  auto program = Start();
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::WindowText(Control(main, IDC_LABEL2)), "Fifa 2001's folder is: " + game);
  EXPECT_EQ(Songs(main), (std::vector<ListItem>{{"anthem.str", true}}));
}

TEST_F(StartupSources, NothingKnownAsksForTheGameAndCancelEndsTheProgram) {
  auto program = Start();
  HWND dialog = program->WaitForDialog("Please locate the FIFA 2001 folder");
  ASSERT_NE(dialog, nullptr);
  driver::Press(dialog, IDCANCEL);
  ExpectMessage(*program,
                "An error occurred while accessing \\data\\audio\\music\\\r\nPlease make sure that you "
                "choose to do the 'full installation' of the game during the FIFA 2001's setup. See "
                "readme.txt for more info.",
                BoxIcon::Error);
  EXPECT_TRUE(program->WaitForExit());
  HWND main = program->MainWindow();
  EXPECT_TRUE(main == nullptr || !IsWindowVisible(main));
}

TEST_F(StartupSources, TheFolderPickedInTheDialogIsSavedForNextTime) {
  MakeGame(game, {"anthem.str"}, {});
  auto program = Start();
  HWND dialog = program->WaitForDialog("Please locate the FIFA 2001 folder");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(driver::SetFileName(dialog, game + "\\fifa2001.exe"));
  driver::Press(dialog, IDOK);
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::WindowText(Control(main, IDC_LABEL2)), "Fifa 2001's folder is: " + game);
  EXPECT_EQ(driver::Run("reg.exe query \"" + SettingsKey + "\\Settings\" /v Fifapath"), 0u);
  EXPECT_EQ(driver::ReadSetting("Kickora Music Manager", "Settings", "Fifapath"), game);
}

TEST_F(StartupSources, MissingMusicFolderEndsTheProgramBeforeTheWindowShows) {
  CreateDirectoryA(game.c_str(), nullptr);
  auto program = Start(game);
  ExpectMessage(*program, "Fifa 2001 folder is: " + game, BoxIcon::Information);
  ExpectMessage(*program,
                "An error occurred while accessing " + game +
                    "\\data\\audio\\music\\\r\nPlease make sure that you choose to do the 'full "
                    "installation' of the game during the FIFA 2001's setup. See readme.txt for more info.",
                BoxIcon::Error);
  EXPECT_TRUE(program->WaitForExit());
  HWND main = program->MainWindow();
  EXPECT_TRUE(main == nullptr || !IsWindowVisible(main));
}

class SongListCommands : public TunedeckGui {
 protected:
  HWND StartOn(const std::string& folder) {
    driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + folder + "\" /f");
    program = Start();
    HWND main = program->WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }
  std::unique_ptr<Program> program;
};

TEST_F(SongListCommands, TickingAndSavingWritesTheCheckedSongs) {
  MakeGame(game, {"anthem.str", "crowd.str", "goal.str"}, {"anthem"});
  HWND main = StartOn(game);
  ASSERT_NE(main, nullptr);
  HWND list = Control(main, IDC_LISTVIEW1);
  driver::ClickCheckBox(list, 2);
  driver::ClickCheckBox(list, 0);
  ASSERT_EQ(Songs(main), (std::vector<ListItem>{{"anthem.str", false}, {"crowd.str", false}, {"goal.str", true}}));
  driver::Click(Control(main, IDC_COMMAND2));
  ExpectMessage(*program, "Changes saved!", BoxIcon::Information);
  EXPECT_EQ(ReadBytes(Music(game) + "music.inf"), std::string("\x01\0goal\0\0\0\0", 10));
  EXPECT_EQ(GetFileAttributesA((Music(game) + "music.inf.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SongListCommands, AnEleventhTickIsRefusedAtTheClickAndMusicInfStaysAsItWas) {
  std::vector<std::string> songs, listed;
  for (int i = 0; i < 11; ++i) songs.push_back("song" + std::to_string(10 + i) + ".str");
  for (int i = 0; i < 10; ++i) listed.push_back("song" + std::to_string(10 + i));
  MakeGame(game, songs, listed);
  const std::string before = ReadBytes(Music(game) + "music.inf");
  HWND main = StartOn(game);
  ASSERT_NE(main, nullptr);
  driver::ClickCheckBox(Control(main, IDC_LISTVIEW1), 10);
  ExpectMessage(*program, "You can have only up to 10 songs in FIFA 2001.", BoxIcon::Information);
  EXPECT_FALSE(Songs(main)[10].checked);
  driver::Click(Control(main, IDC_COMMAND2));
  ExpectMessage(*program, "Changes saved!", BoxIcon::Information);
  EXPECT_EQ(ReadBytes(Music(game) + "music.inf"), before);
}

// The game normally lies in "Program Files", and its music.inf may be
// read-only: the save replaces it with a writable file.
TEST_F(SongListCommands, SavesIntoProgramFilesOverAReadOnlyMusicInf) {
  char programFiles[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH), 0u);
  std::string folder = std::string(programFiles) + "\\FIFA 2001";
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  MakeGame(folder, {"anthem.str", "goal.str"}, {"anthem"});
  SetFileAttributesA((Music(folder) + "music.inf").c_str(), FILE_ATTRIBUTE_READONLY);
  HWND main = StartOn(folder);
  ASSERT_NE(main, nullptr);
  driver::ClickCheckBox(Control(main, IDC_LISTVIEW1), 1);
  driver::Click(Control(main, IDC_COMMAND2));
  ExpectMessage(*program, "Changes saved!", BoxIcon::Information);
  EXPECT_EQ(ReadBytes(Music(folder) + "music.inf"), SongListFile({"anthem", "goal"}));
  EXPECT_EQ(GetFileAttributesA((Music(folder) + "music.inf").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(SongListCommands, ExportWithNothingSelectedAsksForASong) {
  MakeGame(game, {"anthem.str"}, {});
  HWND main = StartOn(game);
  ASSERT_NE(main, nullptr);
  driver::Click(Control(main, IDC_COMMAND6));
  ExpectMessage(*program,
                "Please select the song you want to export from the game by clicking on its filename "
                "on the list.",
                BoxIcon::Warning);
}

TEST_F(SongListCommands, HelpWithoutReadmeOpensNothingAndSaysNothing) {
  MakeGame(game, {"anthem.str"}, {});
  // A copy of the program in a folder of its own: the build puts the help
  // file beside the built one.
  const std::string folder = root_ + "\\program";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(TUNEDECK_PROGRAM, (folder + "\\tunedeck.exe").c_str(), FALSE));
  driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f");
  program = Start("", (folder + "\\tunedeck.exe").c_str());
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // Sent, not posted: it returns only when the click's handler has
  // finished, which a message box would prevent.
  DWORD_PTR ignored = 0;
  ASSERT_NE(SendMessageTimeoutA(Control(main, IDC_COMMAND5), BM_CLICK, 0, 0, SMTO_NORMAL, 20000, &ignored), 0);
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main});
}

TEST_F(SongListCommands, ExitEndsTheProgram) {
  MakeGame(game, {"anthem.str"}, {});
  HWND main = StartOn(game);
  ASSERT_NE(main, nullptr);
  driver::Click(Control(main, IDC_COMMAND4));
  EXPECT_TRUE(program->WaitForExit());
}

class MainWindowLook : public SongListCommands {};

TEST_F(MainWindowLook, ControlsSitWhereTheyWereDesigned) {
  MakeGame(game, {"anthem.str"}, {});
  HWND main = StartOn(game);
  ASSERT_NE(main, nullptr);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int twips) { return MulDiv(twips / 15, dpi, 96); };
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, px(7245));
  EXPECT_EQ(client.bottom, px(4620));
  auto where = [main](int id) {
    RECT r;
    GetWindowRect(GetDlgItem(main, id), &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT save = where(IDC_COMMAND2);
  EXPECT_EQ(save.left, px(5280));
  EXPECT_EQ(save.top, px(1200));
  EXPECT_EQ(save.right - save.left, px(1815));
  RECT list = where(IDC_LISTVIEW1);
  EXPECT_EQ(list.left, px(2520));
  EXPECT_EQ(list.bottom - list.top, px(3525));
  RECT ticked = where(IDC_TICKED);
  EXPECT_EQ(ticked.top, px(4185));
  EXPECT_EQ(driver::WindowText(Control(main, IDC_TICKED)), "0 of 10 songs ticked");
  EXPECT_EQ(driver::WindowText(Control(main, IDC_COMMAND6)), "&Export song from game...");
  EXPECT_FALSE(IsWindowVisible(Control(main, IDC_TMPFILE)));

  HWND listView = Control(main, IDC_LISTVIEW1);
  HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(GetWindowLongA(header, GWL_STYLE) & HDS_BUTTONS, 0) << "the header must not be clickable";
  EXPECT_EQ(GetWindowLongA(listView, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  EXPECT_EQ(SendMessageA(listView, LVM_GETTEXTCOLOR, 0, 0), 0) << "black text without blu.jpg";
}

// Declared DPI-aware, the program lays itself out for the screen's DPI
// (Windows then leaves the window unstretched; Wine never stretches).
TEST_F(MainWindowLook, LayoutGrowsWithTheScreensDpi) {
  MakeGame(game, {"anthem.str"}, {});
  ASSERT_EQ(driver::Run("reg.exe add \"" + DesktopKey + "\" /v LogPixels /t REG_DWORD /d 120 /f"), 0u);
  HWND main = StartOn(game);
  driver::Run("reg.exe delete \"" + DesktopKey + "\" /v LogPixels /f");
  ASSERT_NE(main, nullptr);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, MulDiv(483, 120, 96));
  EXPECT_EQ(client.bottom, MulDiv(308, 120, 96));
  RECT save;
  GetWindowRect(Control(main, IDC_COMMAND2), &save);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&save), 2);
  EXPECT_EQ(save.left, MulDiv(352, 120, 96));
  EXPECT_EQ(save.bottom - save.top, MulDiv(33, 120, 96));
}

TEST_F(MainWindowLook, BluJpgBesideTheProgramMakesTheItemTextTransparent) {
  MakeGame(game, {"anthem.str"}, {});
  // A copy of the program in a folder of its own, with the picture beside it.
  const std::string folder = root_ + "\\program";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(TUNEDECK_PROGRAM, (folder + "\\tunedeck.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(TUNEDECK_BLU_JPG, (folder + "\\blu.jpg").c_str(), FALSE));
  driver::Run("reg.exe add \"" + AppPathKey + "\" /v Path /d \"" + game + "\" /f");
  program = Start("", (folder + "\\tunedeck.exe").c_str());
  HWND main = program->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(Control(main, IDC_LISTVIEW1), LVM_GETTEXTBKCOLOR, 0, 0)), CLR_NONE);
}

}  // namespace
