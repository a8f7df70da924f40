// Playing and removing songs from the song list, driven from outside with
// the real tunedeck.exe and tonepak.exe, under Wine with the null sound
// device that ALSA_CONFIG_PATH names (one output device that plays
// silently), as a player would use the keys.
#include "program_folder_gui.h"

namespace {

using namespace program_folder_gui;
using driver::ListItem;

// A song of the given length in blocks of 400 frames.
std::string LongSong(int seconds, unsigned seed) { return Song(seconds * 22050 / 28, seed, 400); }

class SongPlayer : public ProgramFolderGui {
 protected:
  void SetUp() override {
    ProgramFolderGui::SetUp();
    // Long songs, for the device plays faster than real time; a short one
    // to end by itself. music.inf ticks anthem.
    WriteBytes(music + "anthem.str", LongSong(240, 1));
    WriteBytes(music + "goal.str", LongSong(240, 2));
    WriteBytes(music + "jingle.str", LongSong(4, 3));
    trash = root + "\\trash";
    fs::create_directories(trash);
    SetEnvironmentVariableA("XDG_DATA_HOME", UnixPath(trash).c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("XDG_DATA_HOME", nullptr);
    ProgramFolderGui::TearDown();
  }

  HWND List() const { return GetDlgItem(main, IDC_LISTVIEW1); }
  std::string Playing() const { return driver::WindowText(GetDlgItem(main, IDC_PLAYING)); }
  void Key(int song, UINT key) {
    driver::SelectOnly(List(), {song});
    driver::PressKey(List(), key);
  }
  bool WaitPlaying(const std::string& text, std::chrono::milliseconds limit = Patience()) {
    return driver::WaitFor([&] { return Playing() == text; }, limit);
  }
  static std::chrono::milliseconds Patience() { return driver::Patience; }
  // The private folders of tunedeck in the temporary directory now.
  std::vector<std::string> ScratchFolders() const {
    std::vector<std::string> found;
    for (const std::string& name : Names(tempFolder))
      if (name.starts_with("tunedeck-") && !tempBefore.count(name)) found.push_back(name);
    return found;
  }

  HWND main = nullptr;
  std::string trash;
};

TEST_F(SongPlayer, EnterPlaysAndStopsASecondSongReplacesTheFirstAndNothingIsLeft) {
  // The test's own view of winmm: the null device is the one output.
  ASSERT_EQ(waveOutGetNumDevs(), 1u) << "ALSA_CONFIG_PATH must name the null device";
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  const std::vector<ListItem> before = driver::ReadList(List());
  EXPECT_EQ(Playing(), "");

  // The text changes only after the device accepted the song's first sound.
  Key(0, VK_RETURN);
  ASSERT_TRUE(WaitPlaying("Playing: anthem.str"));
  ASSERT_EQ(ScratchFolders().size(), 1u);
  EXPECT_TRUE(Exists(tempFolder + ScratchFolders()[0] + "\\000.wav"));
  EXPECT_EQ(driver::WindowText(main), Title) << "the caption stays";
  EXPECT_EQ(driver::ReadList(List()), before) << "no item changes its text or tick";
  Key(0, VK_RETURN);
  ASSERT_TRUE(WaitPlaying(""));
  EXPECT_TRUE(driver::WaitFor([&] { return ScratchFolders().empty(); }));

  Key(0, VK_RETURN);
  ASSERT_TRUE(WaitPlaying("Playing: anthem.str"));
  Key(2, VK_RETURN);
  ASSERT_TRUE(WaitPlaying("Playing: goal.str"));
  EXPECT_EQ(ScratchFolders().size(), 1u) << "the first song's folder went";
  // Esc stops and the window stays.
  driver::PressKey(List(), VK_ESCAPE);
  ASSERT_TRUE(WaitPlaying(""));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(driver::WaitFor([&] { return ScratchFolders().empty(); }));

  // A short song ends by itself, and its folder goes with it.
  Key(3, VK_RETURN);
  ASSERT_TRUE(WaitPlaying("Playing: jingle.str"));
  EXPECT_TRUE(WaitPlaying("", 20s)) << "the song ends by itself";
  EXPECT_TRUE(driver::WaitFor([&] { return ScratchFolders().empty(); }));

  // Space still ticks, and the program closes while a song plays (the
  // unsaved tick is let go with No).
  Key(2, VK_SPACE);
  EXPECT_TRUE(driver::WaitFor([&] { return driver::ReadList(List())[2].checked; }));
  Key(0, VK_RETURN);
  ASSERT_TRUE(WaitPlaying("Playing: anthem.str"));
  PostMessageA(main, WM_CLOSE, 0, 0);
  HWND question = program->WaitForMessageBox();
  ASSERT_NE(question, nullptr);
  driver::Press(question, IDNO);
  ASSERT_TRUE(program->WaitForExit());
  ExpectNothingLeftBehind(Installed);
}

TEST_F(SongPlayer, ASongThatIsNoStreamGivesTheExportsErrorAndNothingPlays) {
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  Key(1, VK_RETURN);
  ExpectMessage(Failed, BoxIcon::Error);
  EXPECT_EQ(Playing(), "");
  EXPECT_TRUE(ScratchFolders().empty());
}

TEST_F(SongPlayer, DelAsksThenYesRecyclesTheTickedSongAndNoKeepsIt) {
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(driver::ReadList(List())[0].checked);
  Key(2, VK_SPACE);  // goal ticked too, not saved
  ASSERT_TRUE(driver::WaitFor([&] { return driver::ReadList(List())[2].checked; }));

  auto question = [&](int answer) {
    HWND box = program->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::MessageBoxText(box), "Move anthem.str to the Recycle Bin?");
    EXPECT_EQ(driver::WindowText(box), Title);
    EXPECT_TRUE(driver::HasButton(box, IDYES) && driver::HasButton(box, IDNO));
    EXPECT_FALSE(driver::HasButton(box, IDOK));
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON) << "No is the default";
    driver::Press(box, answer);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(box); }));
  };
  Key(0, VK_DELETE);
  question(IDNO);
  Sleep(500);
  EXPECT_TRUE(Exists(music + "anthem.str"));
  EXPECT_EQ(driver::ReadList(List()).size(), 4u);

  Key(0, VK_DELETE);
  question(IDYES);
  ExpectMessage(
      "anthem.str was ticked. FIFA 2001's songs list changes only when you click on the 'Save "
      "Changes' button.",
      BoxIcon::Warning);
  EXPECT_FALSE(Exists(music + "anthem.str"));
  EXPECT_EQ(driver::ReadList(List()), (std::vector<ListItem>{{"broken.str", false},
                                                             {"goal.str", true},
                                                             {"jingle.str", false}}));
  // Wine's Recycle Bin is the desktop's trash: the file can be had back.
  EXPECT_EQ(ReadBytes(trash + "\\Trash\\files\\anthem.str"), LongSong(240, 1));
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main}) << "no dialog of the shell's own";
}

// The menu key opens the menu at the selected song; its entries are
// chosen by their access keys.
TEST_F(SongPlayer, TheContextMenuPlaysStopsAndExportsTheSelectedSong) {
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  auto choose = [&](UINT key, UINT accessKey) {
    HWND menu = nullptr;
    driver::PressKey(List(), key);
    EXPECT_TRUE(driver::WaitFor([&] {
      for (HWND window : program->Windows())
        if (GetClassLongA(window, GCW_ATOM) == 32768) menu = window;
      return menu != nullptr;
    })) << "no menu opened";
    if (!menu) return;
    RECT at;
    GetWindowRect(menu, &at);
    RECT list;
    GetWindowRect(List(), &list);
    EXPECT_TRUE(at.left >= list.left && at.top >= list.top && at.top < list.bottom)
        << "the keyboard's menu opens on the list";
    driver::PressKey(menu, accessKey);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(menu); }));
  };
  driver::SelectOnly(List(), {2});
  choose(VK_APPS, 'P');
  ASSERT_TRUE(WaitPlaying("Playing: goal.str"));
  choose(VK_APPS, 'S');
  ASSERT_TRUE(WaitPlaying(""));
  choose(VK_APPS, 'E');
  HWND dialog = program->WaitForDialog(ExportTitle);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(driver::WindowText(GetDlgItem(dialog, IDC_EXPORT_LABEL1)), "Song to export: goal.str");
  driver::Press(dialog, IDC_EXPORT_COMMAND3);
  EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(ScratchFolders().empty());
}

// Run with ALSA_CONFIG_PATH naming an empty configuration: Wine then sees
// no output device, as on a machine without a sound card.
using SongPlayerWithoutSound = SongPlayer;

TEST_F(SongPlayerWithoutSound, EnterTellsThePlayerThatThereIsNoSoundDevice) {
  ASSERT_EQ(waveOutGetNumDevs(), 0u) << "ALSA_CONFIG_PATH must name an empty configuration";
  main = StartProgram();
  ASSERT_NE(main, nullptr);
  Key(0, VK_RETURN);
  ExpectMessage(
      "The song cannot be played: Windows reports no sound output device. Connect speakers or "
      "headphones, or turn the sound device on, and try again.",
      BoxIcon::Error);
  EXPECT_EQ(Playing(), "");
  EXPECT_TRUE(ScratchFolders().empty());
  EXPECT_EQ(program->Windows(), std::vector<HWND>{main}) << "one message, nothing else";
}

}  // namespace
