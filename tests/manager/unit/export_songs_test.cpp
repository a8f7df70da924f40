// Several songs at once: the files an export into a folder writes (never
// over one that is there), the message at the end, and the removal of
// several songs with one question and one move.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/ExportSongs.h"
#include "manager/core/RemoveSong.h"

namespace {

const std::string ProgramFolder = "C:\\Program Files\\Kickora Music Manager";
const std::string Game = "C:\\Program Files\\EA SPORTS\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";
const std::string Folder = "D:\\My Songs";

class Busy : public IBusyView {
 public:
  std::vector<std::string> calls;
  void SetHourglass(bool on) override { calls.push_back(on ? "hourglass" : "arrow"); }
  void DoEvents() override { calls.push_back("DoEvents"); }
};

class Question : public IQuestion {
 public:
  std::vector<std::string> asked;
  bool AskYesNo(const std::string& text, const std::string&) override {
    asked.push_back(text);
    return true;
  }
};

// The Recycle Bin: every file of a delete goes.
class RecyclingFileSystem : public FakeFileSystem {
 public:
  ShellOpOutcome ShellFileOperation(unsigned operation, const std::string& sources, const std::string& target,
                                    unsigned flags) override {
    const ShellOpOutcome outcome = FakeFileSystem::ShellFileOperation(operation, sources, target, flags);
    for (size_t at = 0; operation == FO_DELETE_CODE && at < sources.size() && sources[at];) {
      const std::string path = sources.substr(at, sources.find('\0', at) - at);
      Remove(path);
      at += path.size() + 1;
    }
    return outcome;
  }
};

class SeveralSongs : public ::testing::Test, protected FakePlatform<RecyclingFileSystem> {
 protected:
  SeveralSongs() : FakePlatform<RecyclingFileSystem>(ProgramFolder) {}
  void SetUp() override {
    fs.caseInsensitive = true;
    GameFolder = Game;
    fs.AddFile(ProgramFolder + "\\tonepak.exe");
    for (const char* song : {"anthem.str", "broken.str", "goal.str"}) fs.AddFile(Music + song);
    fs.AddFile(Folder + "\\goal.wav", Bytes("the player's own"));
    // The converter writes a WAV for every song but broken.str.
    processes.onRun = [this](const FakeProcessRunner::Call& call) {
      if (call.commandLine.find("broken.str") == std::string::npos)
        fs.AddFile(call.workingFolder + "\\000.wav", Bytes("RIFF"));
      return ProcessOutcome{true, 0};
    };
  }
};

TEST_F(SeveralSongs, NamesNeverOverwriteAFileOfTheFolder) {
  EXPECT_EQ(FreeExportPath(fs, Folder, "anthem.str"), Folder + "\\anthem.wav");
  EXPECT_EQ(FreeExportPath(fs, Folder, "goal.str"), Folder + "\\goal (2).wav");
  fs.AddFile(Folder + "\\goal (2).wav");
  EXPECT_EQ(FreeExportPath(fs, Folder + "\\", "GOAL.str"), Folder + "\\GOAL (3).wav");
}

TEST_F(SeveralSongs, EachSongIsExportedAndTheMessageSaysWhichFailedAndWhy) {
  Busy busy;
  const ExportResult result = ExportSongs(platform, busy, {"anthem.str", "broken.str", "goal.str"}, Folder);
  EXPECT_EQ(result.exported, (std::vector<std::string>{"anthem.wav", "goal (2).wav"}));
  ASSERT_EQ(result.failed.size(), 1u);
  EXPECT_EQ(processes.calls.size(), 3u);
  EXPECT_TRUE(scratch.live.empty()) << "every private folder goes";
  EXPECT_EQ(busy.calls.front(), "hourglass");
  EXPECT_EQ(busy.calls.back(), "arrow");
  EXPECT_EQ(ExportSummary(result, Folder),
            "2 songs exported to D:\\My Songs.\r\n\r\nThis song could not be exported:\r\n"
            "broken.str: The converter could not read it; it may not be a song.");
  EXPECT_EQ(ExportSummaryIcon(result), MessageIcon::Exclamation);

  fs.Remove(ProgramFolder + "\\tonepak.exe");
  EXPECT_TRUE(ExportSongs(platform, busy, {"anthem.str"}, Folder).converterMissing);
  EXPECT_EQ(ExportSummary(ExportResult{}, Folder), "No song was exported.");
}

class PickingDialogs : public FakeDialogs {
 public:
  std::string folder;
  std::string ChooseFolder(intptr_t, const std::string&) override { return folder; }
};

TEST_F(SeveralSongs, ExportWithSeveralSelectedAsksForAFolderInsteadOfAFileName) {
  PickingDialogs picker;
  Platform withPicker{fs, registry, settings, picker, messages, shell, ProgramFolder, "", processes,
                      scratch};
  FakeMainWindow view;
  frmMain form(view, withPicker);
  FillSongList(form.Songs(), fs);
  view.selected = {0, 2};
  form.Command6_Click();  // the picker cancelled: nothing happens
  EXPECT_TRUE(processes.calls.empty());
  picker.folder = Folder;
  form.Command6_Click();
  EXPECT_EQ(processes.calls.size(), 2u);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"2 songs exported to D:\\My Songs."});
  view.selected = {1};
  form.Command6_Click();
  EXPECT_EQ(view.calls.back(), "FrmExport:broken.str") << "one song: the export dialog, as always";
}

TEST_F(SeveralSongs, RemovingSeveralAsksOnceMovesThemInOneGoAndRemindsOnce) {
  fs.AddFile(Music + "zulu.str");
  FakeSongList songs;
  FillSongList(songs, fs);  // anthem, broken, goal, zulu
  songs.Check({0, 2});
  Question question;
  std::vector<std::string> stopped;
  const auto outcome =
      RemoveSongs(songs, platform, question, {0, 1, 2}, [&](const std::string& song) { stopped.push_back(song); });
  EXPECT_EQ(outcome, RemoveOutcome::Removed);
  EXPECT_EQ(question.asked, std::vector<std::string>{"Move these 3 songs to the Recycle Bin?\r\n\r\n"
                                                     "anthem.str, broken.str and goal.str"});
  ASSERT_EQ(fs.shellCalls.size(), 1u) << "one operation: one undo";
  EXPECT_EQ(fs.shellCalls[0].sources,
            Music + "anthem.str" + '\0' + Music + "broken.str" + '\0' + Music + "goal.str" + '\0' + '\0');
  EXPECT_EQ(stopped.size(), 3u);
  EXPECT_EQ(songs.Texts(), std::vector<std::string>{"zulu.str"});
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"anthem.str and goal.str were ticked. FIFA 2001's songs "
                                                       "list changes only when you click on the 'Save Changes' "
                                                       "button."});
}

}  // namespace
