// The export dialog's decisions against fakes: the quoted command line,
// the private folder the converter works in and its removal, success
// judged by the exit status and the produced file, and the messages.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/FrmExport.h"

namespace {

class FakeExportView : public IExportView {
 public:
  std::string text1, label1;
  std::vector<bool> busy;
  int unloads = 0;
  intptr_t Hwnd() override { return 0x1234; }
  std::string Text1() override { return text1; }
  void SetText1(const std::string& text) override { text1 = text; }
  void SetLabel1(const std::string& caption) override { label1 = caption; }
  void SetBusy(bool b) override { busy.push_back(b); }
  void Unload() override { ++unloads; }
};

const std::string ProgramFolder = "C:\\Program Files\\Kickora Music Manager";
const std::string Game = "C:\\Program Files\\EA SPORTS\\FIFA 2001";

class Export : public ::testing::Test, protected FakePlatform<> {
 protected:
  Export() : FakePlatform<>(ProgramFolder), form(view, platform) {}
  void SetUp() override {
    fs.caseInsensitive = true;
    fs.AddFile(ProgramFolder + "\\tonepak.exe");
    // An earlier version's leftover beside the program: never the result.
    fs.AddFile(ProgramFolder + "\\000.wav", Bytes("old song"));
    GameFolder = Game;
    SelectedSong = "anthem.str";
    view.text1 = "D:\\My Music\\anthem.wav";
  }
  // The converter writes what it is given into its working folder.
  void ConverterWrites(const std::string& bytes, uint32_t exitCode = 0) {
    processes.onRun = [this, bytes, exitCode](const FakeProcessRunner::Call& call) {
      EXPECT_EQ(view.busy, std::vector<bool>{true}) << "busy while the converter runs";
      if (!bytes.empty()) fs.AddFile(call.workingFolder + "\\000.wav", Bytes(bytes));
      return ProcessOutcome{true, exitCode};
    };
  }
  void ExpectClosedWith(const std::string& text, MessageIcon icon) {
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, text);
    EXPECT_EQ(messages.shown[0].icon, icon);
    EXPECT_EQ(messages.shown[0].title, "Kickora Music Manager");
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(SelectedSong, "");
    EXPECT_TRUE(scratch.live.empty()) << "the private folder is removed";
    EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
  }

  FakeExportView view;
  FrmExport form;
};

TEST_F(Export, RunsTheQuotedConverterHiddenInAFreshFolderAndCopiesItsWav) {
  fs.AddFolder("D:\\My Music");
  ConverterWrites("RIFF new");
  form.Command1_Click();
  ASSERT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(processes.calls[0].commandLine,
            "\"C:\\Program Files\\Kickora Music Manager\\tonepak.exe\" "
            "\"C:\\Program Files\\EA SPORTS\\FIFA 2001\\data\\audio\\music\\anthem.str\"");
  EXPECT_EQ(processes.calls[0].showState, 0);
  EXPECT_TRUE(processes.calls[0].waited);
  const std::string folder = processes.calls[0].workingFolder;
  EXPECT_TRUE(folder.starts_with("C:\\Temp\\")) << folder;

  ASSERT_EQ(fs.shellCalls.size(), 1u);
  EXPECT_EQ(fs.shellCalls[0].operation, FO_COPY_CODE);
  EXPECT_EQ(fs.shellCalls[0].sources, folder + "\\000.wav" + std::string(2, '\0'));
  EXPECT_EQ(fs.shellCalls[0].target, "D:\\My Music\\anthem.wav");
  EXPECT_EQ(fs.shellCalls[0].flags, 0x14u | FOF_NOERRORUI_FLAG);
  ExpectClosedWith("Song exported succesfully! You can now listen to it by using a multimedia "
                   "player (i.e. Winamp).",
                   MessageIcon::Information);
  EXPECT_FALSE(fs.Has(folder + "\\000.wav"));
  EXPECT_EQ(fs.At(ProgramFolder + "\\000.wav"), Bytes("old song")) << "the program folder is left alone";
}

TEST_F(Export, AProgramFolderAtADriveRootGetsNoDoubleBackslash) {
  platform.programFolder = "E:\\";
  fs.AddFile("E:\\tonepak.exe");
  GameFolder = "F:\\FIFA";
  form.Command1_Click();
  ASSERT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(processes.calls[0].commandLine, "\"E:\\tonepak.exe\" \"F:\\FIFA\\data\\audio\\music\\anthem.str\"");
}

// Whatever went wrong, the old file beside the program is never taken,
// nothing is copied and the private folder goes.
TEST_F(Export, AFailedConversionIsReportedAndCopiesNothing) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const std::vector<Case> cases = {
      {"exit status 1 with a partial file", [this] { ConverterWrites("RIFF part", 1); }},
      {"exit status 0 and no file", [this] { ConverterWrites(""); }},
      {"exit code 259 (STILL_ACTIVE)", [this] { ConverterWrites("RIFF", STILL_ACTIVE_CODE); }},
      {"the command line cannot start",
       [this] { processes.onRun = [](const FakeProcessRunner::Call&) { return ProcessOutcome{false, 0}; }; }},
      {"no private folder", [this] { scratch.failCreate = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    messages.shown.clear();
    view = FakeExportView{};
    view.text1 = "D:\\out.wav";
    fs.shellCalls.clear();
    scratch.failCreate = false;
    c.arrange();
    form.Command1_Click();
    EXPECT_TRUE(fs.shellCalls.empty());
    ExpectClosedWith("An error occurred while exporting the song.", MessageIcon::Critical);
  }
}

TEST_F(Export, AnUnusableDestinationIsTheSameError) {
  fs.AddFolder("D:\\My Music");
  ConverterWrites("RIFF");
  fs.shellOutcome = {false, false};
  form.Command1_Click();
  EXPECT_EQ(fs.shellCalls.size(), 1u);
  ExpectClosedWith("An error occurred while exporting the song.", MessageIcon::Critical);

  // A folder that is not there (the shell would make it), no folder at all
  // (the current one would be written) and nothing are never handed to the
  // shell; a drive's root is.
  fs.AddFile("E:\\old.wav");
  for (const char* target : {"D:\\No Such Folder\\x.wav", "x.wav", "", "D:\\My Music\\", "E:\\x.wav"}) {
    SCOPED_TRACE(target);
    SetUp();
    messages.shown.clear();
    view = FakeExportView{};
    view.text1 = target;
    fs.shellCalls.clear();
    fs.shellOutcome = {true, false};
    form.Command1_Click();
    const bool root = std::string(target) == "E:\\x.wav";
    EXPECT_EQ(fs.shellCalls.size(), root ? 1u : 0u);
    ExpectClosedWith(root ? "Song exported succesfully! You can now listen to it by using a multimedia "
                            "player (i.e. Winamp)."
                          : "An error occurred while exporting the song.",
                     root ? MessageIcon::Information : MessageIcon::Critical);
  }
}

// Success only when the file the player named holds the converter's WAV.
TEST_F(Export, ADestinationOfAnyNameIsCopiedWideAndCheckedAfterwards) {
  const std::string folder = "D:\\Моя музыка";  // UTF-8, as every destination
  const std::string target = folder + "\\Гимн.wav";
  fs.AddFolder(folder);
  ConverterWrites("RIFF new");
  view.text1 = target;
  form.Command1_Click();
  ASSERT_EQ(fs.shellCalls.size(), 1u);
  EXPECT_TRUE(fs.shellCalls[0].utf8);
  EXPECT_EQ(fs.shellCalls[0].target, target);
  EXPECT_EQ(fs.At(target), Bytes("RIFF new"));
  ExpectClosedWith("Song exported succesfully! You can now listen to it by using a multimedia "
                   "player (i.e. Winamp).",
                   MessageIcon::Information);

  // The shell says done, but the file went elsewhere; or an older file of
  // that name is all there is.
  for (const bool older : {false, true}) {
    SCOPED_TRACE(older ? "an older file" : "nothing there");
    SetUp();
    messages.shown.clear();
    view = FakeExportView{};
    view.text1 = older ? target : folder + "\\Марш.wav";
    if (older) fs.AddFile(target, Bytes("RIFF older"));
    fs.copiesGoElsewhere = true;
    ConverterWrites("RIFF new");
    form.Command1_Click();
    ExpectClosedWith("An error occurred while exporting the song.", MessageIcon::Critical);
  }
}

TEST_F(Export, AMissingConverterIsNamedAndTheDialogStays) {
  fs.files.erase("c:\\program files\\kickora music manager\\tonepak.exe");
  form.Command1_Click();
  EXPECT_TRUE(processes.calls.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "Cannot find file \"tonepak.exe\". Please make sure it is placed in C:\\Program "
            "Files\\Kickora Music Manager.");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(view.unloads, 0);
  EXPECT_TRUE(view.busy.empty());
  EXPECT_EQ(SelectedSong, "anthem.str");
}

// Windows' messages are processed during the wait, so the user can click
// again: neither a second export nor Close runs while one is in progress.
TEST_F(Export, ClicksDuringTheWaitStartNothingAndDoNotClose) {
  processes.onRun = [this](const FakeProcessRunner::Call& call) {
    form.Command1_Click();
    form.Command3_Click();
    EXPECT_EQ(view.unloads, 0);
    fs.AddFile(call.workingFolder + "\\000.wav");
    return ProcessOutcome{true, 0};
  };
  form.Command1_Click();
  EXPECT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(view.unloads, 1);
  EXPECT_FALSE(form.Busy());
}

TEST_F(Export, Label1NamesTheSongAtLoadAndWheneverBroughtForward) {
  form.Form_Load();
  EXPECT_EQ(view.label1, "Song to export: anthem.str");
  SelectedSong = "goal.str";
  form.Form_Activate();
  EXPECT_EQ(view.label1, "Song to export: goal.str");
}

TEST_F(Export, TheSaveDialogFillsText1OnlyWhenConfirmed) {
  form.Command2_Click();
  EXPECT_EQ(view.text1, "D:\\My Music\\anthem.wav");
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(dialogs.wasSave[0]);
  const FileDialogRequest& request = dialogs.requests[0];
  EXPECT_EQ(request.title, "Save exported song as...");
  EXPECT_EQ(request.filter, std::string("Audio files (*.wav)\0*.wav\0\0", 27));
  EXPECT_EQ(request.filterIndex, 1);
  EXPECT_EQ(request.defaultExt, "wav");
  EXPECT_EQ(request.flags, 0x6u);
  EXPECT_EQ(request.owner, 0x1234);
  EXPECT_EQ(TextBeforeNul(request.file), "");
  EXPECT_TRUE(request.utf8Paths) << "a destination of any name";

  dialogs.confirm = true;
  dialogs.chosenPath = "E:\\Songs\\mine.wav";
  form.Command2_Click();
  EXPECT_EQ(view.text1, "E:\\Songs\\mine.wav");
}

TEST_F(Export, HelpOpensTheReadmeBesideTheProgram) {
  form.Command4_Click();
  EXPECT_EQ(shell.opened, std::vector<std::string>{ProgramFolder + "\\readme.txt"});
}

}  // namespace
