// The main window's start-up: where the game folder comes from, what the
// list shows, the start-up error rule, and the window's commands.
#include <gtest/gtest.h>

#include <memory>

#include "fakes.h"

namespace {

const std::string AppPathKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\fifa2001.exe";
const std::string SettingId = "Kickora Music Manager|Settings|Fifapath";

class FakeView : public IMainView {
 public:
  std::vector<Song> shown;  // the songs as the list shows them now
  int selected = -1;
  SaveAnswer answer = SaveAnswer::Cancel;
  std::vector<std::string> asked;
  std::vector<std::string> calls;  // in order
  std::string label2;
  std::set<MainCommand> disabled;
  std::string background;

  intptr_t Hwnd() override { return 0x1234; }
  int SelectedIndex() override { return selected; }
  void ShowSongs(const SongList& songs) override {
    calls.push_back("ShowSongs");
    shown = songs.Songs();
  }
  void ShowTick(const SongList& songs, int) override { shown = songs.Songs(); }
  SaveAnswer AskYesNoCancel(const std::string& text, const std::string&) override {
    asked.push_back(text);
    return answer;
  }
  void SetLabel2(const std::string& caption) override { label2 = caption; }
  void DisableCommand(MainCommand command) override { disabled.insert(command); }
  void FlattenHeader() override { calls.push_back("FlattenHeader"); }
  void EnableCheckBoxes() override { calls.push_back("EnableCheckBoxes"); }
  void SetTiledBackground(const std::string& path) override { background = path; }
  void SetTextBlack() override { calls.push_back("SetTextBlack"); }
  void ShowForm() override { calls.push_back("ShowForm"); }
  void Unload() override { calls.push_back("Unload"); }
  void ShowFrmAddNew() override { calls.push_back("FrmAddNew"); }
  void ShowFrmExport() override { calls.push_back("FrmExport"); }
  void ShowFrmAbout() override { calls.push_back("frmAbout"); }
};

// Records the message boxes together with the moment the window appeared.
class OrderedMessages : public FakeMessages {
 public:
  explicit OrderedMessages(FakeView& view) : view_(view) {}
  using IMessageSink::Show;
  void Show(const std::string& text, MessageIcon icon, const std::string& title) override {
    FakeMessages::Show(text, icon, title);
    view_.calls.push_back("Message:" + text);
  }

 private:
  FakeView& view_;
};

class Startup : public ::testing::Test {
 protected:
  Startup() : messages(view), scratch(fs), platform{fs, registry, settings, dialogs, messages, shell, "C:\\Kickora", "", processes, scratch} {}
  void SetUp() override { GameFolder = "stale"; SelectedSong.clear(); }

  void AddGame(const std::string& folder, const std::vector<std::string>& songs) {
    fs.AddFolder(folder + "\\data\\audio\\music");
    for (const auto& s : songs) fs.AddFile(folder + "\\data\\audio\\music\\" + s);
  }
  void RegistryFolder(const std::string& folder) {
    registry.SetString(HKEY_LOCAL_MACHINE_VALUE, AppPathKey, "Path", folder);
  }
  bool Load() {
    form = std::make_unique<frmMain>(view, platform);
    return form->Form_Load();
  }
  bool Shown() const {
    return std::find(view.calls.begin(), view.calls.end(), "ShowForm") != view.calls.end();
  }

  FakeView view;
  FakeFileSystem fs;
  FakeRegistry registry;
  FakeSettings settings;
  FakeDialogs dialogs;
  OrderedMessages messages;
  FakeShell shell;
  FakeProcessRunner processes;
  FakeScratchFolders scratch;
  Platform platform;
  std::unique_ptr<frmMain> form;
};

using GameFolderSources = Startup;

TEST_F(GameFolderSources, RegistryFolderLosesOnlyOneTrailingBackslash) {
  RegistryFolder("C:\\Games\\FIFA 2001\\");
  AddGame("C:\\Games\\FIFA 2001", {});
  ASSERT_TRUE(Load());
  EXPECT_EQ(view.label2, "Fifa 2001's folder is: C:\\Games\\FIFA 2001\\");
  EXPECT_EQ(GameFolder, "C:\\Games\\FIFA 2001");
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(dialogs.requests.empty());
  EXPECT_EQ(settings.saves, 0);
}

TEST_F(GameFolderSources, TwoTrailingBackslashesKeepOne) {
  RegistryFolder("C:\\G\\\\");
  frmMain(view, platform).LocateGameFolder();
  EXPECT_EQ(GameFolder, "C:\\G\\");
}

TEST_F(GameFolderSources, CommandLineWinsOverTheRegistryAndIsAnnouncedFirst) {
  RegistryFolder("C:\\Other");
  platform.commandLine = "D:\\FIFA";
  AddGame("D:\\FIFA", {"anthem.str"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(GameFolder, "D:\\FIFA");
  EXPECT_EQ(view.label2, "Fifa 2001's folder is: D:\\FIFA");
  ASSERT_GE(view.calls.size(), 2u);
  EXPECT_EQ(view.calls[1], "Message:Fifa 2001 folder is: D:\\FIFA");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(settings.saves, 0);
}

TEST(CommandLineFolder, LosesBlanksAndOnePairOfQuotes) {
  EXPECT_EQ(CommandLineFolder("\"C:\\Program Files\\EA SPORTS\\FIFA 2001\""),
            "C:\\Program Files\\EA SPORTS\\FIFA 2001");
  EXPECT_EQ(CommandLineFolder("  \" D:\\FIFA 2001 \"\t"), "D:\\FIFA 2001");
  EXPECT_EQ(CommandLineFolder("D:\\FIFA"), "D:\\FIFA");
  EXPECT_EQ(CommandLineFolder("\"\"D:\\FIFA\"\""), "\"D:\\FIFA\"") << "one pair only";
  EXPECT_EQ(CommandLineFolder("\"D:\\FIFA"), "\"D:\\FIFA") << "no closing quote";
  EXPECT_EQ(CommandLineFolder(" \"\" "), "");
}

TEST_F(GameFolderSources, QuotedCommandLineFolderIsUsedWithoutItsQuotes) {
  platform.commandLine = "\"D:\\Program Files\\FIFA 2001\" ";
  AddGame("D:\\Program Files\\FIFA 2001", {"anthem.str"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(GameFolder, "D:\\Program Files\\FIFA 2001");
  EXPECT_EQ(messages.shown[0].text, "Fifa 2001 folder is: D:\\Program Files\\FIFA 2001");
  EXPECT_TRUE(Shown());
  // Quotes and blanks alone give no folder: the registry's stays.
  RegistryFolder("C:\\Other");
  platform.commandLine = " \"\" ";
  frmMain(view, platform).LocateGameFolder();
  EXPECT_EQ(GameFolder, "C:\\Other");
}

TEST_F(GameFolderSources, SavedSettingIsUsedWithoutDialogAndNotSavedAgain) {
  settings.values[SettingId] = "E:\\FIFA 2001";
  AddGame("E:\\FIFA 2001", {});
  ASSERT_TRUE(Load());
  EXPECT_EQ(GameFolder, "E:\\FIFA 2001");
  EXPECT_EQ(view.label2, "Fifa 2001's folder is: E:\\FIFA 2001");
  EXPECT_TRUE(dialogs.requests.empty());
  EXPECT_EQ(settings.saves, 0);
}

TEST_F(GameFolderSources, DialogChoiceGivesTheFolderAndIsSaved) {
  dialogs.confirm = true;
  dialogs.chosenPath = "D:\\FIFA 2001\\fifa2001.exe";
  AddGame("D:\\FIFA 2001", {});
  ASSERT_TRUE(Load());
  ASSERT_EQ(dialogs.requests.size(), 1u);
  const FileDialogRequest& r = dialogs.requests[0];
  EXPECT_EQ(r.title, "Please locate the FIFA 2001 folder");
  EXPECT_EQ(r.initialDir, "C:\\");
  EXPECT_EQ(r.filter, std::string("Fifa2001.exe\0fifa2001.exe\0\0", 27));
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_EQ(r.flags, 0x1004u);
  EXPECT_EQ(r.owner, 0x1234);
  EXPECT_EQ(TextBeforeNul(r.file), "");
  EXPECT_EQ(GameFolder, "D:\\FIFA 2001");
  EXPECT_EQ(view.label2, "Fifa 2001's folder is: D:\\FIFA 2001");
  EXPECT_EQ(settings.values[SettingId], "D:\\FIFA 2001");
}

TEST_F(GameFolderSources, DialogChoiceAtADriveRootGivesTheDriveAlone) {
  dialogs.confirm = true;
  dialogs.chosenPath = "E:\\fifa2001.exe";
  frmMain(view, platform).LocateGameFolder();
  EXPECT_EQ(GameFolder, "E:");
  EXPECT_EQ(settings.values[SettingId], "E:");
}

TEST_F(GameFolderSources, CancelledDialogDisablesTheSongCommandsAndSavesNothing) {
  frmMain(view, platform).LocateGameFolder();
  EXPECT_EQ(GameFolder, "");
  EXPECT_EQ(view.label2, "Fifa 2001 has not been installed properly.");
  EXPECT_EQ(view.disabled, (std::set<MainCommand>{MainCommand::Command1, MainCommand::Command2,
                                                  MainCommand::Command6}));
  EXPECT_EQ(settings.saves, 0);
}

using StartupSequence = Startup;

TEST_F(StartupSequence, ListsTheSongsChecksMusicInfThenShowsTheWindow) {
  RegistryFolder("C:\\G");
  AddGame("C:\\G", {"1intro.str", "anthem.str", "Goal.str", "crowd.str"});
  fs.AddFile("C:\\G\\data\\audio\\music\\music.inf",
             {2, 0, 'G', 'o', 'a', 'l', 0, 0, 0, 0, '1', 'i', 'n', 't', 'r', 'o', 0, 0});
  ASSERT_TRUE(Load());
  EXPECT_EQ(Texts(view.shown), (std::vector<std::string>{"anthem.str", "crowd.str", "Goal.str"}));
  EXPECT_EQ(CheckedTexts(view.shown), (std::vector<std::string>{"Goal.str"}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"FlattenHeader", "ShowSongs", "EnableCheckBoxes",
                                                  "SetTextBlack", "ShowForm"}));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupSequence, BluJpgBesideTheProgramBecomesTheBackground) {
  RegistryFolder("C:\\G");
  AddGame("C:\\G", {"anthem.str"});
  fs.AddFile("C:\\Kickora\\blu.jpg");
  ASSERT_TRUE(Load());
  EXPECT_EQ(view.background, "C:\\Kickora\\blu.jpg");
  EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "SetTextBlack"), 0);
}

TEST_F(StartupSequence, MissingMusicFolderEndsTheProgramBeforeTheWindowShows) {
  RegistryFolder("C:\\NoGame\\");
  ASSERT_FALSE(Load());
  EXPECT_FALSE(Shown());
  EXPECT_EQ(view.disabled.size(), 3u);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "An error occurred while accessing C:\\NoGame\\data\\audio\\music\\\r\n"
            "Please make sure that you choose to do the 'full installation' of the game during "
            "the FIFA 2001's setup. See readme.txt for more info.");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages.shown[0].title, "Kickora Music Manager");
}

TEST_F(StartupSequence, CancelledDialogEndsInTheMissingFolderMessage) {
  ASSERT_FALSE(Load());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.shown[0].text.starts_with(
      "An error occurred while accessing \\data\\audio\\music\\\r\n"));
}

TEST_F(StartupSequence, MissingMusicInfIsDroppedSilently) {
  RegistryFolder("C:\\G");
  AddGame("C:\\G", {"anthem.str"});
  ASSERT_TRUE(Load());
  EXPECT_TRUE(Shown());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(Texts(view.shown), (std::vector<std::string>{"anthem.str"}));
}

TEST_F(StartupSequence, DeletedSongIsWarnedAboutAfterTheWindowShows) {
  RegistryFolder("C:\\G");
  AddGame("C:\\G", {"anthem.str"});
  fs.AddFile("C:\\G\\data\\audio\\music\\music.inf", {1, 0, 'A', 'n', 't', 'h', 'e', 'm', 0, 0});
  ASSERT_TRUE(Load());  // the entry's spelling "Anthem.str" is not on this disk
  const std::string warning =
      "One or more songs have been deleted from your hard disk. Please click on the 'Save "
      "changes' button to fix the FIFA 2001 songs list too.";
  EXPECT_EQ(view.calls.back(), "Message:" + warning);
  EXPECT_EQ(view.calls[view.calls.size() - 2], "ShowForm");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(messages.shown[0].title, "Warning");
}

class MainCommands : public Startup {
 protected:
  void SetUp() override {
    Startup::SetUp();
    RegistryFolder("C:\\G");
    AddGame("C:\\G", {"anthem.str", "goal.str"});
    ASSERT_TRUE(Load());
  }
  frmMain& Form() { return *form; }
};

TEST_F(MainCommands, ExportWithoutSelectionAsksForOne) {
  Form().Command6_Click();
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{
                                  "Please select the song you want to export from the game by "
                                  "clicking on its filename on the list."}));
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "FrmExport"), 0);
}

TEST_F(MainCommands, ExportTakesTheSelectedSongCheckedOrNot) {
  view.selected = 1;
  Form().Command6_Click();
  EXPECT_EQ(SelectedSong, "goal.str");
  EXPECT_EQ(view.calls.back(), "FrmExport");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainCommands, SaveWritesTheCheckedSongs) {
  ToggleCheck(Form().Songs(), 1);
  Form().Command2_Click();
  EXPECT_EQ(fs.At("C:\\G\\data\\audio\\music\\music.inf"),
            (std::vector<uint8_t>{1, 0, 'g', 'o', 'a', 'l', 0, 0, 0, 0}));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Changes saved!"}));
}

TEST_F(MainCommands, HelpAndLogoOpenDocumentsAndTheOthersOpenForms) {
  Form().Command5_Click();
  Form().PicLogo_Click();
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"C:\\Kickora\\readme.txt", MakerWebSite}));
  Form().Command1_Click();
  Form().Command3_Click();
  Form().Command4_Click();
  EXPECT_EQ(std::vector<std::string>(view.calls.end() - 3, view.calls.end()),
            (std::vector<std::string>{"FrmAddNew", "frmAbout", "Unload"}));
}

}  // namespace
