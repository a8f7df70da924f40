// The make-new-song dialog against a scripted importer: the four checks,
// how the importer is started and driven, the bounded waits and what is
// left when it misbehaves, the file it produced, and the list rebuild.
#include "addnew_fixture.h"

namespace {

using namespace addnew;

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

// A path of any script reaches the importer whole, as UTF-16 characters
// (an emoji as its two surrogates), and its song is renamed into place.
TEST_F(MakeNewSong, APathInAnyScriptIsTypedAsUtf16) {
  const std::string input = "D:\\Моя музыка\\歌 🎵.flac";
  fs.AddFile(input, Bytes("fLaC"));
  view.text1 = input;
  form.Command1_Click();
  ExpectOneMessage("Song converted succesfully!", MessageIcon::Information);
  const std::u16string units = importer.typedUnits[ImporterInputEdit];
  EXPECT_EQ(units.substr(3, 3), u"Моя");
  EXPECT_EQ(units.substr(units.size() - 9), u"歌 \xD83C\xDFB5.flac");
  EXPECT_EQ(importer.typed[ImporterInputEdit], input);
#if defined(_WIN32)
  // A Western code page (the tests' Wine) cannot spell it: the importer's own name.
  const std::string produced = "tunegrab.asf";
#else
  const std::string produced = "歌 🎵.asf";  // the narrow encoding here is UTF-8
#endif
  EXPECT_EQ(Renames(), std::vector<std::string>{Music + produced + std::string(2, '\0') + "->" + Music + "newsong.str"});
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
  mainView.list.Replace(FakeSongList({"anthem.str", "goal.str"}).Songs());
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

}  // namespace
