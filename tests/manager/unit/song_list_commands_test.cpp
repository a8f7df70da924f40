// The song list's keys and menu against fakes: what plays, what stops it,
// the life of the converter's private folder, the end of a song, a song
// that does not convert, no sound device, requests while the converter
// runs, and the Recycle Bin flow with its question and messages.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/SongListCommands.h"

namespace {

const std::string Program = "C:\\Program Files\\Kickora Music Manager";
const std::string Game = "C:\\Program Files\\EA SPORTS\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";

// A file system whose shell delete removes the file, as the Recycle Bin does.
class RecyclingFileSystem : public FakeFileSystem {
 public:
  bool deleteRemoves = true;
  ShellOpOutcome ShellFileOperation(unsigned operation, const std::string& sources,
                                    const std::string& target, unsigned flags) override {
    ShellOpOutcome outcome = FakeFileSystem::ShellFileOperation(operation, sources, target, flags);
    if (operation == FO_DELETE_CODE && outcome.succeeded && deleteRemoves)
      Remove(sources.substr(0, sources.find('\0')));
    return outcome;
  }
};

class FakeAudio : public IAudioOutput {
 public:
  AudioStart answer = AudioStart::Started;
  std::vector<std::string> calls;  // "Play:<path>" and "Stop"
  std::function<void()> onPlay;
  AudioStart Play(const std::string& wav) override {
    calls.push_back("Play:" + wav);
    if (onPlay) onPlay();
    return answer;
  }
  void Stop() override { calls.push_back("Stop"); }
  std::vector<std::string> Plays() const {
    std::vector<std::string> out;
    for (auto& c : calls)
      if (c.starts_with("Play:")) out.push_back(c);
    return out;
  }
};

class FakeLabel : public IPlayingLabel {
 public:
  std::vector<std::string> texts;
  void SetPlayingText(const std::string& text) override { texts.push_back(text); }
};

class FakeQuestion : public IQuestion {
 public:
  bool answer = true;
  std::vector<std::pair<std::string, std::string>> asked;
  std::function<void()> onAsk;
  bool AskYesNo(const std::string& text, const std::string& title) override {
    asked.emplace_back(text, title);
    if (onAsk) onAsk();
    return answer;
  }
};

class SongCommands : public ::testing::Test, protected FakePlatform<RecyclingFileSystem> {
 protected:
  SongCommands()
      : FakePlatform<RecyclingFileSystem>(Program),
        form(view, platform),
        commands(form, view, platform, audio, question, label) {}

  void SetUp() override {
    fs.caseInsensitive = true;
    GameFolder = Game;
    SelectedSong.clear();
    fs.AddFile(Program + "\\tonepak.exe");
    for (const char* song : {"anthem.str", "broken.str", "goal.str"}) {
      fs.AddFile(Music + song);
      AddSong(form.Songs(), song);
    }
    view.calls.clear();  // each test sees only its own
    // The converter writes a WAV for every song but broken.str.
    processes.onRun = [this](const FakeProcessRunner::Call& call) {
      EXPECT_TRUE(scratch.live.count(call.workingFolder)) << "runs in its own folder";
      if (call.commandLine.find("broken.str") == std::string::npos)
        fs.AddFile(call.workingFolder + "\\000.wav", Bytes("RIFF"));
      if (duringConversion) {
        auto action = duringConversion;
        duringConversion = nullptr;
        action();
      }
      return ProcessOutcome{true, exitCode};
    };
  }

  void SelectOnly(int index) { view.selected = index < 0 ? std::vector<int>{} : std::vector<int>{index}; }
  SongList& list() { return form.Songs(); }
  std::string Wav(int folder) const {
    return "Play:C:\\Temp\\tunedeck-" + std::to_string(folder) + "\\000.wav";
  }

  FakeMainWindow view;
  frmMain form;
  FakeAudio audio;
  FakeQuestion question;
  FakeLabel label;
  SongListCommands commands;
  uint32_t exitCode = 0;
  std::function<void()> duringConversion;
};

TEST_F(SongCommands, EnterPlaysTheConvertedSongAndEnterAgainStopsAndRemovesItsFolder) {
  SelectOnly(0);
  commands.Enter();
  ASSERT_EQ(processes.calls.size(), 1u);
  EXPECT_EQ(processes.calls[0].commandLine,
            "\"" + Program + "\\tonepak.exe\" \"" + Music + "anthem.str\"");
  EXPECT_EQ(processes.calls[0].showState, SW_HIDE_STATE);
  EXPECT_EQ(audio.Plays(), std::vector<std::string>{Wav(1)});
  EXPECT_EQ(label.texts, std::vector<std::string>{"Playing: anthem.str"});
  EXPECT_EQ(scratch.live.size(), 1u) << "the WAV stays while it plays";
  EXPECT_TRUE(commands.MenuState().stop);
  EXPECT_FALSE(commands.MenuState().play) << "the selected song plays already";

  commands.Enter();
  EXPECT_EQ(audio.calls.back(), "Stop");
  EXPECT_TRUE(scratch.live.empty());
  EXPECT_EQ(label.texts.back(), "");
  EXPECT_FALSE(commands.Player().Playing());
  EXPECT_EQ(processes.calls.size(), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SongCommands, AnotherSongReplacesTheFirstAndEscOrTheSongsEndStopIt) {
  SelectOnly(0);
  commands.Enter();
  SelectOnly(2);
  commands.Enter();
  // The first song is silenced and its folder gone before the second converts.
  EXPECT_EQ(audio.calls, (std::vector<std::string>{Wav(1), "Stop", Wav(2)}));
  EXPECT_EQ(scratch.live, std::set<std::string>{"C:\\Temp\\tunedeck-2"});
  EXPECT_EQ(label.texts, (std::vector<std::string>{"Playing: anthem.str", "", "Playing: goal.str"}));

  commands.Escape();
  EXPECT_TRUE(scratch.live.empty());
  EXPECT_EQ(label.texts.back(), "");
  commands.Escape();  // nothing plays: nothing happens
  EXPECT_EQ(label.texts.size(), 4u);

  commands.Choose(SongMenuCommand::Play);
  commands.PlaybackEnded();
  EXPECT_TRUE(scratch.live.empty()) << "the end of the song removes its folder";
  EXPECT_EQ(label.texts.back(), "");
  EXPECT_FALSE(commands.MenuState().stop);
  commands.PlaybackEnded();  // a late word from the device changes nothing
  EXPECT_EQ(label.texts.size(), 6u);
  commands.Enter();
  EXPECT_EQ(audio.Plays().size(), 4u) << "Enter after the end plays the song again";
  commands.Close();
  EXPECT_TRUE(scratch.live.empty()) << "closing the program removes the folder";
  EXPECT_EQ(audio.calls.back(), "Stop");
  commands.Enter();
  EXPECT_EQ(audio.Plays().size(), 4u) << "nothing plays once the window closes";
}

TEST_F(SongCommands, ASongThatDoesNotConvertGivesTheExportsErrorAndNothingPlays) {
  SelectOnly(1);
  commands.Enter();
  exitCode = 1;  // a WAV is written, but the converter reports failure
  SelectOnly(0);
  commands.Enter();
  ASSERT_EQ(messages.shown.size(), 2u);
  for (const auto& message : messages.shown) {
    EXPECT_EQ(message.text, "An error occurred while exporting the song.");
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_EQ(message.title, "Kickora Music Manager");
  }
  EXPECT_TRUE(audio.Plays().empty());
  EXPECT_TRUE(label.texts.empty());
  EXPECT_TRUE(scratch.live.empty());
  EXPECT_FALSE(commands.Player().Playing());

  fs.Remove(Program + "\\tonepak.exe");
  commands.Enter();
  EXPECT_EQ(messages.shown.back().text,
            "Cannot find file \"tonepak.exe\". Please make sure it is placed in " + Program + ".");
  EXPECT_EQ(processes.calls.size(), 2u);
}

TEST_F(SongCommands, WithoutASoundDeviceOneClearMessageAndNothingIsLeft) {
  audio.answer = AudioStart::NoDevice;
  SelectOnly(0);
  commands.Enter();
  ASSERT_EQ(messages.Texts(), std::vector<std::string>{NoSoundDeviceMessage});
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(label.texts.empty());
  EXPECT_TRUE(scratch.live.empty());
  EXPECT_FALSE(commands.MenuState().stop);
  audio.answer = AudioStart::Failed;
  commands.Enter();
  EXPECT_EQ(messages.shown.back().text, SoundDeviceFailedMessage);
  EXPECT_TRUE(scratch.live.empty());
}

// The converter's wait keeps the window answering: keys pressed meanwhile.
TEST_F(SongCommands, RequestsWhileTheConverterRunsAreHonouredOnceItEnds) {
  SelectOnly(0);
  duringConversion = [this] { commands.Escape(); };
  commands.Enter();
  EXPECT_TRUE(audio.Plays().empty()) << "stopped before it started";
  EXPECT_TRUE(scratch.live.empty());

  duringConversion = [this] {
    SelectOnly(2);
    commands.Enter();
  };
  SelectOnly(0);
  commands.Enter();
  EXPECT_EQ(audio.Plays(), std::vector<std::string>{Wav(3)}) << "only the later song plays";
  EXPECT_EQ(processes.calls.size(), 3u);
  EXPECT_NE(processes.calls[2].commandLine.find("goal.str"), std::string::npos);
  EXPECT_EQ(label.texts, std::vector<std::string>{"Playing: goal.str"});
  EXPECT_EQ(scratch.live.size(), 1u);

  commands.Escape();
  duringConversion = [this] { commands.Close(); };
  commands.Enter();
  EXPECT_EQ(audio.Plays().size(), 1u) << "nothing starts once the window has closed";
  EXPECT_TRUE(scratch.live.empty());
}

TEST_F(SongCommands, TheMenuOffersWhatTheSelectionAllowsAndOpensTheFolderAndTheExport) {
  SongMenuState none = commands.MenuState();
  EXPECT_FALSE(none.play || none.stop || none.exportSong || none.remove);
  EXPECT_TRUE(none.openFolder);
  commands.Choose(SongMenuCommand::Export);
  EXPECT_TRUE(view.calls.empty()) << "no song, no export";

  SelectOnly(2);
  SongMenuState selected = commands.MenuState();
  EXPECT_TRUE(selected.play && selected.exportSong && selected.remove && selected.openFolder);
  EXPECT_FALSE(selected.stop);
  commands.Choose(SongMenuCommand::Export);
  EXPECT_EQ(view.calls, std::vector<std::string>{"FrmExport:goal.str"});
  commands.Choose(SongMenuCommand::OpenFolder);
  EXPECT_EQ(shell.opened, std::vector<std::string>{Game + "\\data\\audio\\music"});

  GameFolder.clear();  // the game was not found: the list is empty, the menu too
  SongMenuState lost = commands.MenuState();
  EXPECT_FALSE(lost.play || lost.exportSong || lost.remove || lost.openFolder);
  commands.Enter();
  EXPECT_TRUE(processes.calls.empty());
}

TEST_F(SongCommands, DeleteAsksThenRecyclesKeepsTheOtherTicksAndRemindsOfTheSave) {
  Check(list(), {0, 2});
  SelectOnly(0);
  commands.Enter();  // the song to remove plays
  commands.Delete();
  ASSERT_EQ(question.asked.size(), 1u);
  EXPECT_EQ(question.asked[0].first, "Move anthem.str to the Recycle Bin?");
  EXPECT_EQ(question.asked[0].second, "Kickora Music Manager");
  ASSERT_EQ(fs.shellCalls.size(), 1u);
  EXPECT_EQ(fs.shellCalls[0].operation, 3u);
  EXPECT_EQ(fs.shellCalls[0].sources, Music + "anthem.str" + std::string(2, '\0'));
  EXPECT_EQ(fs.shellCalls[0].flags, 0x40u | 0x10u | 0x400u | 0x4u);
  EXPECT_FALSE(commands.Player().Playing()) << "the song stops before it moves";
  EXPECT_TRUE(scratch.live.empty());
  EXPECT_EQ(Texts(list().Songs()), (std::vector<std::string>{"broken.str", "goal.str"}));
  EXPECT_EQ(CheckedTexts(list().Songs()), std::vector<std::string>{"goal.str"});
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "anthem.str was ticked. FIFA 2001's songs list changes only when you click on the "
            "'Save Changes' button.");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);

  SelectOnly(0);  // broken.str, not ticked: no reminder
  commands.Delete();
  EXPECT_EQ(Texts(list().Songs()), std::vector<std::string>{"goal.str"});
  EXPECT_EQ(CheckedTexts(list().Songs()), std::vector<std::string>{"goal.str"});
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(SongCommands, NoChangesNothingAndAFailedMoveIsReported) {
  Check(list(), {1});
  SelectOnly(1);
  question.answer = false;
  commands.Delete();
  EXPECT_EQ(question.asked.size(), 1u);
  EXPECT_TRUE(fs.shellCalls.empty());
  EXPECT_TRUE(fs.Has(Music + "broken.str"));
  EXPECT_EQ(CheckedTexts(list().Songs()), std::vector<std::string>{"broken.str"});
  EXPECT_TRUE(view.calls.empty()) << "the list is not rebuilt";

  // The shell reports success, yet the file is still there (or it fails).
  question.answer = true;
  fs.deleteRemoves = false;
  commands.Delete();
  fs.shellOutcome = {false, false};
  commands.Delete();
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, RecycleFailedMessage("broken.str")));
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(list().Count(), 3);

  // Nothing is asked without a selection or for one of the game's own names.
  SelectOnly(-1);
  commands.Delete();
  EXPECT_EQ(question.asked.size(), 3u);
  EXPECT_FALSE(IsRemovableSong("1intro.str"));
  EXPECT_FALSE(IsRemovableSong("..\\music.inf"));
  EXPECT_TRUE(IsRemovableSong("Goal 2.str"));
}

}  // namespace
