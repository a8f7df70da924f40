// The make-new-song dialog against a scripted importer: the four checks,
// how the importer is started and driven, the bounded waits and what is
// left when it misbehaves, the file it produced, and the list rebuild.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "fakes.h"
#include "common/importer_window.h"
#include "manager/core/FrmAddNew.h"

namespace {

const std::string Game = "C:\\Games\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";
const std::string ProgramFolder = "C:\\Program Files\\Kickora";
const std::string Input = "D:\\My Music\\song.mp3";

struct Sent {
  intptr_t target;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t ms;
};

// One scripted importer process; its state lives in the FakeImporter so
// that the test can read it after the session has let go of the process.
class FakeImporter : public IImporter {
 public:
  static constexpr intptr_t Window = 0x500;
  ImporterStart startAs = ImporterStart::Started;
  int looksWithoutWindow = 0;  // -1: the window never appears
  bool convertHangs = false;
  bool closeEndsIt = true;
  std::string reason;  // what control 1016 holds after convert
  std::function<void(const std::string& input, const std::string& folder)> onConvert;

  int starts = 0;
  std::string program, commandLine;
  uint64_t now = 0;
  int looks = 0;
  bool running = false, terminated = false;
  std::vector<Sent> sent;
  std::vector<std::string> calls;
  std::map<int, std::string> typed;
  std::map<std::string, FileStamp> stamps;

  class Process : public IImporterProcess {
   public:
    explicit Process(FakeImporter& f) : f_(f) {}
    bool WaitForInputIdle(uint32_t) override { return true; }
    intptr_t FindOwnWindow(const std::string& title) override {
      EXPECT_EQ(title, "Tunegrab Importer");
      ++f_.looks;
      bool shown = f_.looksWithoutWindow >= 0 && f_.looks > f_.looksWithoutWindow;
      return shown && f_.running ? Window : 0;
    }
    intptr_t GetDlgItem(intptr_t window, int id) override { return window * 0x10000 + id; }
    bool SendMessageBounded(intptr_t target, uint32_t message, uintptr_t wParam, intptr_t lParam,
                            uint32_t ms) override {
      f_.sent.push_back({target, message, wParam, lParam, ms});
      int id = static_cast<int>(target & 0xFFFF);
      if (message == WM_CLEAR_MESSAGE) f_.typed[id].clear();
      if (message == WM_CHAR_MESSAGE) f_.typed[id] += static_cast<char>(wParam);
      if (message == WM_COMMAND_MESSAGE && wParam == ImporterConvertCommand) {
        f_.calls.push_back("convert");
        if (f_.convertHangs) {
          f_.now += ms;
          return false;
        }
        if (f_.onConvert) f_.onConvert(f_.typed[ImporterInputEdit], f_.typed[ImporterFolderEdit]);
      }
      if (message == WM_COMMAND_MESSAGE && wParam == ImporterCloseCommand) {
        f_.calls.push_back("close");
        if (f_.closeEndsIt) f_.running = false;
      }
      return true;
    }
    bool GetTextBounded(intptr_t target, size_t maxLength, uint32_t ms, std::string& text) override {
      f_.sent.push_back({target, WM_GETTEXT_MESSAGE, maxLength, 0, ms});
      EXPECT_EQ(target & 0xFFFF, ImporterReasonText);
      text = f_.reason.substr(0, maxLength);
      return true;
    }
    void BringWindowToTop(intptr_t window) override {
      EXPECT_EQ(window, Window);
      f_.calls.push_back("top");
    }
    bool WaitForExit(uint32_t ms) override {
      if (f_.running) f_.now += ms;
      return !f_.running;
    }
    void Terminate() override {
      f_.calls.push_back("terminate");
      f_.terminated = true;
      f_.running = false;
    }

   private:
    FakeImporter& f_;
  };

  ImporterStart Start(const std::string& path, const std::string& line,
                      std::unique_ptr<IImporterProcess>& process) override {
    ++starts;
    program = path;
    commandLine = line;
    if (startAs != ImporterStart::Started) return startAs;
    running = true;
    process = std::make_unique<Process>(*this);
    return ImporterStart::Started;
  }
  uint64_t NowMs() override { return now; }
  FileStamp Stamp(const std::string& path) override { return stamps[path]; }
};

class FakeAddNewView : public IAddNewView {
 public:
  std::string text1 = Input, text2 = "newsong";
  int text2Sets = 0;
  std::vector<std::string> calls;
  intptr_t Hwnd() override { return 0x77; }
  std::string Text1() override { return text1; }
  void SetText1(const std::string& text) override { text1 = text; }
  std::string Text2() override { return text2; }
  void SetText2(const std::string& text) override {
    text2 = text;
    ++text2Sets;
  }
  void SetHourglass(bool on) override { calls.push_back(on ? "hourglass" : "arrow"); }
  void DoEvents() override { calls.push_back("DoEvents"); }
  void Unload() override { calls.push_back("Unload"); }
};

class FakeMainView : public IMainView {
 public:
  FakeSongList list;
  std::vector<std::string> tmpFile;
  ISongList& ListView1() override { return list; }
  intptr_t Hwnd() override { return 0x11; }
  void SetLabel2(const std::string&) override {}
  void DisableCommand(MainCommand) override {}
  void FlattenHeader() override {}
  void ShowTmpFile(const std::vector<std::string>& names) override { tmpFile = names; }
  void EnableCheckBoxes() override {}
  void SetTiledBackground(const std::string&) override {}
  void SetTextBlack() override {}
  void ShowForm() override {}
  void Unload() override {}
  void ShowFrmAddNew() override {}
  void ShowFrmExport() override {}
  void ShowFrmAbout() override {}
};

class MakeNewSong : public ::testing::Test {
 protected:
  MakeNewSong()
      : scratch(fs),
        platform{fs, registry, settings, dialogs, mainMessages, shell, ProgramFolder, "", processes,
                 scratch},
        form(view, mainView, platform, importer, messages) {}

  void SetUp() override {
    GameFolder = Game;
    fs.caseInsensitive = true;
    fs.AddFolder(Game + "\\data\\audio\\music");
    fs.AddFile(Input, Bytes("ID3"));
    // A working importer: convert writes <base>.asf, a new file each time.
    importer.onConvert = [this](const std::string& input, const std::string& folder) {
      std::string produced = AddBackslash(folder) + importer_window::ProducedSongName(FileNamePart(input));
      fs.AddFile(produced, Bytes("SCHl"));
      importer.stamps[produced] = {true, ++writes, 4};
    };
    form.Form_Load();
  }

  void ExpectOneMessage(const std::string& text, MessageIcon icon) {
    ASSERT_EQ(messages.shown.size(), 1u) << (messages.shown.empty() ? "" : messages.shown[0].text);
    EXPECT_EQ(messages.shown[0].text, text);
    EXPECT_EQ(messages.shown[0].icon, icon);
    EXPECT_EQ(messages.shown[0].title, "Kickora Music Manager");
  }
  // The renames the shell was asked for, as produced -> target.
  std::vector<std::string> Renames() const {
    std::vector<std::string> out;
    for (auto& call : fs.shellCalls) {
      EXPECT_EQ(call.operation, FO_RENAME_CODE);
      EXPECT_EQ(call.flags, 0x18u);
      out.push_back(call.sources + "->" + call.target);
    }
    return out;
  }

  uint64_t writes = 0;
  FakeFileSystem fs;
  FakeRegistry registry;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeMessages mainMessages, messages;
  FakeShell shell;
  FakeProcessRunner processes;
  FakeScratchFolders scratch;
  Platform platform;
  FakeImporter importer;
  FakeAddNewView view;
  FakeMainView mainView;
  FrmAddNew form;
};

TEST_F(MakeNewSong, TheFourChecksRefuseInTheirOrderAndStartNothing) {
  fs.AddFile(Music + "Taken.str");
  struct Case {
    std::string text1, text2, message;
    MessageIcon icon;
  };
  const std::vector<Case> cases = {
      {"D:\\missing.wav", "1abc", "Cannot find input file D:\\missing.wav.", MessageIcon::Critical},
      {Input, "1abc", "The converted song's filename cannot begin with '1'.", MessageIcon::Information},
      {Input, "", "Please type the name you want to save the file with.", MessageIcon::Critical},
      {Input, "taken", "The file taken.str already exists! Please choose a different name.",
       MessageIcon::Exclamation},
      {Input, "*", "The file *.str already exists! Please choose a different name.",
       MessageIcon::Exclamation},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text1 + " / " + c.text2);
    messages.shown.clear();
    view.text1 = c.text1;
    view.text2 = c.text2;
    form.Command1_Click();
    ExpectOneMessage(c.message, c.icon);
  }
  EXPECT_EQ(importer.starts, 0);
  EXPECT_TRUE(fs.shellCalls.empty());
  EXPECT_FALSE(form.SongsAdded);
}

TEST_F(MakeNewSong, MakeTypesIntoTheImportersBoxesConvertsRenamesAndClosesIt) {
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  EXPECT_TRUE(form.SongsAdded);
  EXPECT_EQ(importer.program, ProgramFolder + "\\tunegrab.exe");
  EXPECT_EQ(importer.commandLine, "\"" + ProgramFolder + "\\tunegrab.exe\"");
  EXPECT_EQ(importer.typed[ImporterInputEdit], Input);
  EXPECT_EQ(importer.typed[ImporterFolderEdit], Game + "\\data\\audio\\music");
  EXPECT_EQ(Renames(), std::vector<std::string>{Music + "song.asf" + std::string(2, '\0') + "->" +
                                                 Music + "newsong.str"});
  EXPECT_EQ(importer.calls, (std::vector<std::string>{"top", "convert", "close"}));
  EXPECT_FALSE(importer.running);
  EXPECT_FALSE(importer.terminated) << "an importer that closes is not killed";
  EXPECT_EQ(view.calls, (std::vector<std::string>{"hourglass", "arrow", "DoEvents"}));

  // Every box is emptied first, then typed one WM_CHAR at a time.
  const intptr_t edit = FakeImporter::Window * 0x10000 + ImporterInputEdit;
  ASSERT_GE(importer.sent.size(), 3u);
  EXPECT_EQ(importer.sent[0].target, edit);
  EXPECT_EQ(importer.sent[0].message, EM_SETSEL_MESSAGE);
  EXPECT_EQ(importer.sent[0].lParam, -1);
  EXPECT_EQ(importer.sent[1].message, WM_CLEAR_MESSAGE);
  EXPECT_EQ(importer.sent[2].message, WM_CHAR_MESSAGE);
  EXPECT_EQ(importer.sent[2].wParam, static_cast<uintptr_t>('D'));
  EXPECT_EQ(importer.sent[2].lParam, 0x110001);
  for (const Sent& s : importer.sent) {
    if (s.message == WM_COMMAND_MESSAGE && s.wParam == ImporterConvertCommand) {
      EXPECT_EQ(s.target, FakeImporter::Window);
      EXPECT_EQ(s.lParam, FakeImporter::Window * 0x10000 + ImporterConvertCommand);
      EXPECT_GE(s.ms, 60000u) << "convert may take minutes";
    } else {
      EXPECT_LE(s.ms, 10000u);
    }
  }
}

TEST_F(MakeNewSong, MissingImporterAndShortInputNamesAreReported) {
  importer.startAs = ImporterStart::ProgramMissing;
  form.Command1_Click();
  ExpectOneMessage("Cannot find file \"tunegrab.exe\". Please make sure it is placed in " +
                       ProgramFolder + ".",
                   MessageIcon::Critical);

  importer.startAs = ImporterStart::Failed;
  messages.shown.clear();
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);

  // A name with nothing before its last dot, and
  // song names no file (or one outside the music folder) could take.
  importer.startAs = ImporterStart::Started;
  fs.AddFile("D:\\.wav");
  for (const auto& [text1, text2] : std::vector<std::pair<std::string, std::string>>{
           {"D:\\.wav", "newsong"}, {Input, "..\\..\\x"}, {Input, "a?b"}, {Input, "a:b"}}) {
    view.text1 = text1;
    view.text2 = text2;
    messages.shown.clear();
    form.Command1_Click();
    ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);
  }
  EXPECT_EQ(importer.starts, 2);
  EXPECT_FALSE(form.SongsAdded);
}

TEST_F(MakeNewSong, TheWindowIsLookedForUntilItShowsButNotForEver) {
  importer.looksWithoutWindow = 20;  // two seconds of pauses
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  EXPECT_EQ(importer.looks, 21);

  importer.looksWithoutWindow = -1;
  importer.looks = 0;
  importer.now = 0;
  importer.calls.clear();
  messages.shown.clear();
  view.text2 = "other";
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);
  EXPECT_GE(importer.now, 10000u);
  EXPECT_LE(importer.now, 11000u + ImporterExitBound);
  EXPECT_EQ(importer.calls, std::vector<std::string>{"terminate"});
  EXPECT_FALSE(importer.running);
  EXPECT_EQ(Renames().size(), 1u) << "only the first Make renamed";
}

TEST_F(MakeNewSong, AHangingOrLingeringImporterIsEnded) {
  importer.convertHangs = true;
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);
  EXPECT_EQ(importer.calls, (std::vector<std::string>{"top", "convert", "terminate"}));
  EXPECT_FALSE(importer.running);
  EXPECT_TRUE(fs.shellCalls.empty());

  // Converts, but ignores the close command.
  importer.convertHangs = false;
  importer.closeEndsIt = false;
  importer.calls.clear();
  messages.shown.clear();
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  EXPECT_EQ(importer.calls, (std::vector<std::string>{"top", "convert", "close", "terminate"}));
  EXPECT_FALSE(importer.running);
}

TEST_F(MakeNewSong, AnOldProducedFileIsNotTakenForANewSong) {
  fs.AddFile(Music + "song.asf", Bytes("old"));
  importer.stamps[Music + "song.asf"] = {true, 1000, 3};
  auto converts = importer.onConvert;
  importer.onConvert = nullptr;  // the conversion fails: nothing written
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);
  EXPECT_TRUE(fs.shellCalls.empty());
  EXPECT_FALSE(form.SongsAdded);

  importer.onConvert = converts;  // it works: the file is rewritten
  messages.shown.clear();
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  EXPECT_EQ(Renames().size(), 1u);
}

TEST_F(MakeNewSong, EveryCloseAfterMakingRebuildsTheListKeepingUnsavedChecks) {
  for (const char* song : {"anthem.str", "goal.str", "1intro.str"}) fs.AddFile(Music + song);
  fs.AddFile(Music + "music.inf", Bytes(std::string("\x01\0goal\0\0\0\0", 10)));
  mainView.list = FakeSongList({"anthem.str", "goal.str"});
  mainView.list.Check({0});  // ticked by the user, not saved: music.inf says goal

  form.Command3_Click();  // nothing made: the list is left alone
  EXPECT_TRUE(mainView.tmpFile.empty());
  EXPECT_EQ(view.calls, std::vector<std::string>{"Unload"});

  // Two songs made in one opening, then the title bar's close box.
  form.Command1_Click();
  fs.AddFile(Music + "newsong.str");  // what the shell's rename made
  view.text2 = "zulu";
  form.Command1_Click();
  fs.AddFile(Music + "zulu.str");
  ASSERT_TRUE(form.SongsAdded);
  view.calls.clear();
  form.Form_QueryUnload();
  EXPECT_EQ(mainView.list.Texts(),
            (std::vector<std::string>{"anthem.str", "goal.str", "newsong.str", "zulu.str"}));
  EXPECT_EQ(mainView.list.CheckedTexts(), std::vector<std::string>{"anthem.str"});
  EXPECT_EQ(mainView.tmpFile.size(), 5u);
  EXPECT_EQ(view.calls, std::vector<std::string>{"Unload"});
}

TEST_F(MakeNewSong, BrowseFillsText1OnlyWhenConfirmedAndHelpOpensTheReadme) {
  dialogs.confirm = false;
  form.Command2_Click();
  EXPECT_EQ(view.text1, Input);
  dialogs.confirm = true;
  dialogs.chosenPath = "E:\\a b\\c.wav";
  form.Command2_Click();
  EXPECT_EQ(view.text1, "E:\\a b\\c.wav");
  ASSERT_EQ(dialogs.requests.size(), 2u);
  const FileDialogRequest& r = dialogs.requests[1];
  EXPECT_FALSE(dialogs.wasSave[1]);
  EXPECT_EQ(r.title, "Please select an audio file");
  // Every extension the importer reads in the first entry, then all files.
  const std::string patterns = "*.wav;*.mp3;*.m4a;*.aac;*.mp4;*.flac;*.ogg;*.oga;*.opus;*.aif;*.aiff;*.aifc;*.wma";
  std::string described = patterns;
  for (size_t at = 0; (at = described.find(';', at)) != std::string::npos; at += 2) described.insert(at + 1, " ");
  EXPECT_EQ(r.filter, "Music files (" + described + ")" + '\0' + patterns + '\0' + "All files (*.*)" + '\0' +
                          "*.*" + '\0' + '\0');
  EXPECT_EQ(r.filterIndex, 1);
  EXPECT_EQ(r.flags, 0x81204u) << "explorer style, several files, must exist, no read-only box";
  EXPECT_EQ(r.owner, 0x77);
  EXPECT_TRUE(r.initialDir.empty());
  EXPECT_EQ(r.file, std::string(MultiSelectBufferSize, '\0')) << "room for many names";

  form.Command4_Click();
  EXPECT_EQ(shell.opened, std::vector<std::string>{ProgramFolder + "\\readme.txt"});
}

TEST_F(MakeNewSong, TheProducedFileIsTheNameUpToItsLastDotAndAFailureSaysWhy) {
  EXPECT_EQ(FrmAddNew::ProducedFile("D:\\a.b\\My.Song.flac"), Music + "My.Song.asf");
  EXPECT_EQ(FrmAddNew::ProducedFile("D:\\x\\song.mp3"), Music + "song.asf");
  EXPECT_EQ(FrmAddNew::ProducedFile("D:\\x\\README"), Music + "README.asf");
  EXPECT_EQ(FrmAddNew::ProducedFile("D:\\x\\.opus"), "");

  const std::string flac = "D:\\My Music\\Long.Name.flac";
  fs.AddFile(flac, Bytes("fLaC"));
  view.text1 = flac;
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  EXPECT_EQ(Renames(), std::vector<std::string>{Music + "Long.Name.asf" + std::string(2, '\0') + "->" +
                                                 Music + "newsong.str"});

  // No file produced: the importer's reason, read before it is closed, on
  // a second line; its line breaks do not make more lines.
  importer.onConvert = nullptr;
  importer.reason = "This file holds no sound\r\nthat can be read.";
  importer.calls.clear();
  importer.sent.clear();
  messages.shown.clear();
  view.text2 = "other";
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.\r\nThis file holds no sound that can be read.",
                   MessageIcon::Critical);
  ASSERT_GE(importer.sent.size(), 2u);
  EXPECT_EQ(importer.sent[importer.sent.size() - 2].message, WM_GETTEXT_MESSAGE) << "read just before close";
  EXPECT_LE(importer.sent[importer.sent.size() - 2].ms, 10000u);

  // An importer with an empty reason: the first line alone.
  importer.reason.clear();
  messages.shown.clear();
  form.Command1_Click();
  ExpectOneMessage("An error occurred during the operation.", MessageIcon::Critical);
}

TEST_F(MakeNewSong, APathInText1SuggestsAFreeNameUntilThePlayerTypesOne) {
  fs.AddFile(Music + "Cancion.str");
  const std::string spanish = "D:\\My Music\\Canci\xF3n.mp3";  // code page 1252
  fs.AddFile(spanish, Bytes("no tags"));
  view.text2.clear();
  view.text1 = "D:\\My Mu";  // typed so far: no file yet
  form.Text1_Change();
  EXPECT_EQ(view.text2Sets, 0);
  view.text1 = spanish;
  form.Text1_Change();
  EXPECT_EQ(view.text2, "Cancion2") << "accent folded, taken name numbered";
  // Another file while Text2 still holds the suggestion: a new suggestion.
  view.text1 = Input;
  form.Text1_Change();
  EXPECT_EQ(view.text2, "song");
  // The player's own name stays.
  view.text2 = "mine";
  view.text1 = spanish;
  form.Text1_Change();
  EXPECT_EQ(view.text2, "mine");

  // The open dialog's one chosen file, and a file dropped on the dialog.
  view.text2.clear();
  dialogs.confirm = true;
  dialogs.chosenPath = spanish;
  form.Command2_Click();
  EXPECT_EQ(view.text1, spanish);
  EXPECT_EQ(view.text2, "Cancion2");
  view.text2.clear();
  form.Form_FilesDropped({Input});
  EXPECT_EQ(view.text1, Input);
  EXPECT_EQ(view.text2, "song");
  EXPECT_EQ(importer.starts, 0) << "one file is not made at once";
}

TEST_F(MakeNewSong, SeveralFilesBecomeSongsInOneRunWithOneMessage) {
  fs.performRenames = true;
  fs.AddFile(Music + "anthem.str");
  mainView.list = FakeSongList({"anthem.str"});
  mainView.list.Check({0});
  const std::vector<std::string> files = {"D:\\in\\Anthem.wav", "D:\\in\\fake.m4a", "D:\\in\\anthem.flac"};
  for (const std::string& file : files) fs.AddFile(file, Bytes("RIFF"));
  // The importer cannot read fake.m4a and says so.
  auto converts = importer.onConvert;
  importer.onConvert = [&](const std::string& input, const std::string& folder) {
    if (input.ends_with(".m4a")) {
      importer.reason = "This file holds no sound that can be read.";
      return;
    }
    importer.reason.clear();
    converts(input, folder);
  };
  // Chosen together in the open dialog: the folder, then the names.
  dialogs.confirm = true;
  dialogs.chosenPath = std::string("D:\\in") + '\0' + "Anthem.wav" + '\0' + "fake.m4a" + '\0' + "anthem.flac";
  form.Command2_Click();

  EXPECT_EQ(importer.starts, 3) << "one importer run per file";
  EXPECT_FALSE(importer.running);
  EXPECT_TRUE(fs.Has(Music + "anthem2.str") && fs.Has(Music + "anthem3.str"));
  ExpectOneMessage("2 songs made: Anthem2.str, anthem3.str.\r\n\r\n"
                   "This file could not be made into a song:\r\n"
                   "fake.m4a: This file holds no sound that can be read.",
                   MessageIcon::Exclamation);
  ASSERT_FALSE(view.calls.empty());
  EXPECT_EQ(view.calls.front(), "hourglass");
  EXPECT_EQ(view.calls.back(), "arrow");
  EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "hourglass"), 1);
  EXPECT_EQ(view.text1, Input) << "a batch leaves the boxes alone";

  // The list is rebuilt when the dialog closes, keeping the unsaved tick.
  EXPECT_TRUE(mainView.tmpFile.empty());
  form.Command3_Click();
  EXPECT_EQ(mainView.list.Texts(), (std::vector<std::string>{"anthem.str", "anthem2.str", "anthem3.str"}));
  EXPECT_EQ(mainView.list.CheckedTexts(), std::vector<std::string>{"anthem.str"});
}

TEST_F(MakeNewSong, DropsOnTheListRunABatchAndAreRefusedWhileASongIsMade) {
  fs.performRenames = true;
  fs.AddFile(Music + "goal.str");
  mainView.list = FakeSongList({"goal.str"});
  FakeMessages listMessages;
  SongListDrop drop(mainView, platform, importer, view, listMessages);

  // Dropped while the dialog makes a song: refused, nothing more started.
  auto converts = importer.onConvert;
  importer.onConvert = [&](const std::string& input, const std::string& folder) {
    drop.FilesDropped({Input});
    form.Form_FilesDropped({Input, Input});
    converts(input, folder);
  };
  view.text2 = "made";
  form.Command1_Click();
  EXPECT_EQ(importer.starts, 1);
  const std::string refused = "A song is being made right now. Please drop the files again when it is finished.";
  ASSERT_EQ(listMessages.shown.size(), 1u);
  EXPECT_EQ(listMessages.shown[0].text, refused);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{refused, "Song converted succesfully!"}));
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);

  // Dropped on the list: a file and one that is gone. The song is made
  // under the file's name and the list rebuilt at once.
  importer.onConvert = converts;
  listMessages.shown.clear();
  fs.AddFile("D:\\in\\goal!.mp3", Bytes("ID3"));
  drop.FilesDropped({"D:\\in\\goal!.mp3", "D:\\in\\gone.ogg"});
  EXPECT_EQ(mainView.list.Texts(), (std::vector<std::string>{"goal.str", "goal2.str", "made.str"}));
  ASSERT_EQ(listMessages.shown.size(), 1u);
  EXPECT_EQ(listMessages.shown[0].text,
            "1 song made: goal2.str.\r\n\r\nThis file could not be made into a song:\r\n"
            "gone.ogg: The file cannot be found.");
  EXPECT_EQ(listMessages.shown[0].icon, MessageIcon::Exclamation);

  // No importer: said once, and the batch stops.
  importer.startAs = ImporterStart::ProgramMissing;
  listMessages.shown.clear();
  const int starts = importer.starts;
  drop.FilesDropped({Input, Input});
  EXPECT_EQ(importer.starts, starts + 1);
  ASSERT_EQ(listMessages.shown.size(), 1u);
  EXPECT_EQ(listMessages.shown[0].text,
            "Cannot find file \"tunegrab.exe\". Please make sure it is placed in " + ProgramFolder + ".");
}

}  // namespace
