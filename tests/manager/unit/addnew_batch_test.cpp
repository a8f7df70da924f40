// The make-new-song dialog and the song list's drops with several music
// files: the produced file's name rule, the importer's reason, the
// suggested name as Text1 changes, batches and their one message.
#include "addnew_fixture.h"

namespace {

using namespace addnew;
using MakeNewSongs = MakeNewSong;

TEST_F(MakeNewSongs, TheProducedFileIsTheNameUpToItsLastDotAndAFailureSaysWhy) {
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

TEST_F(MakeNewSongs, APathInText1SuggestsAFreeNameUntilThePlayerTypesOne) {
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

TEST_F(MakeNewSongs, SeveralFilesBecomeSongsInOneRunWithOneMessage) {
  fs.performRenames = true;
  fs.AddFile(Music + "anthem.str");
  mainView.list.Replace(FakeSongList({"anthem.str"}).Songs());
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

TEST_F(MakeNewSongs, DropsOnTheListRunABatchAndAreRefusedWhileASongIsMade) {
  fs.performRenames = true;
  fs.AddFile(Music + "goal.str");
  mainView.list.Replace(FakeSongList({"goal.str"}).Songs());
  FakeMessages listMessages;
  SongListDrop drop(mainView.list, platform, importer, view, listMessages);

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
