// The song model the main window shows: the 10-song limit at the click,
// ticks compared with music.inf's, the lengths read from stream headers,
// and closing with ticks that are not saved.
#include <gtest/gtest.h>

#include <memory>

#include "fakes.h"

namespace {

const std::string Music = "C:\\G\\data\\audio\\music\\";

// The start of a song as the game has them: "SCHl" with its "PT" field list
// (rate and sample count big-endian), "SCCl", then the first "SCDl".
std::vector<uint8_t> StreamOf(uint32_t samples, uint32_t rate) {
  std::vector<uint8_t> fields;
  const auto add = [](std::vector<uint8_t>& to, std::initializer_list<int> bytes) {
    for (int byte : bytes) to.push_back(static_cast<uint8_t>(byte));
  };
  const auto big = [&](std::vector<uint8_t>& to, uint32_t value) {
    add(to, {int(value >> 24), int(value >> 16 & 255), int(value >> 8 & 255), int(value & 255)});
  };
  add(fields, {'P', 'T', 0, 0, 0xFD, 0x82, 1, 1, 0x84, 4});
  big(fields, rate);
  add(fields, {0x85, 4});
  big(fields, samples);
  add(fields, {0xFF});
  while (fields.size() % 4) fields.push_back(0);
  std::vector<uint8_t> file;
  add(file, {'S', 'C', 'H', 'l', int(8 + fields.size()), 0, 0, 0});
  for (uint8_t byte : fields) file.push_back(byte);
  add(file, {'S', 'C', 'C', 'l', 12, 0, 0, 0, 1, 0, 0, 0, 'S', 'C', 'D', 'l', 8, 0, 0, 0});
  return file;
}

TEST(SongModel, AnEleventhTickIsRefusedAndTickingBackIsNoChange) {
  FakeSongList songs;
  for (int i = 0; i < 11; ++i) songs.Add("s" + std::to_string(i) + ".str");
  songs.MarkSaved();
  EXPECT_EQ(TickedCountText(songs), "0 of 10 songs ticked");
  for (int i = 0; i < 10; ++i) ASSERT_EQ(songs.RequestTick(i, true), TickAnswer::Done);
  EXPECT_EQ(songs.RequestTick(10, true), TickAnswer::Refused);
  EXPECT_FALSE(songs.At(10).ticked);
  EXPECT_EQ(songs.TickedCount(), 10);
  EXPECT_TRUE(songs.HasUnsavedTicks());
  EXPECT_EQ(TickedCountText(songs), "10 of 10 ticked, not saved");
  // One unticked makes room; ticking the same box twice changes nothing.
  EXPECT_EQ(songs.RequestTick(3, false), TickAnswer::Done);
  EXPECT_EQ(songs.RequestTick(10, true), TickAnswer::Done);
  EXPECT_EQ(songs.RequestTick(10, true), TickAnswer::Done);
  EXPECT_EQ(songs.TickedCount(), 10);
  songs.MarkSaved();
  EXPECT_FALSE(songs.HasUnsavedTicks());
  songs.RequestTick(0, false);
  songs.RequestTick(0, true);
  EXPECT_FALSE(songs.HasUnsavedTicks()) << "back to the saved ticks";
}

TEST(SongModel, LengthsComeFromTheStreamHeaderAndAreEmptyForOtherFiles) {
  EXPECT_EQ(LengthText(22050 * 5, 22050), "0:05");
  EXPECT_EQ(LengthText(44100 * 187, 44100), "3:07");
  EXPECT_EQ(LengthText(22050 * 3600 + 11025, 22050), "60:01");  // rounded to the nearest second
  EXPECT_EQ(LengthText(7000, 22050), "0:01") << "a short jingle still plays";
  EXPECT_EQ(LengthText(0, 22050), "");
  EXPECT_EQ(LengthText(1000, 0), "");

  GameFolder = "C:\\G";
  FakeFileSystem fs;
  fs.AddFile(Music + "anthem.str", StreamOf(22050 * 187, 22050));
  fs.AddFile(Music + "goal.str", StreamOf(32000 * 5, 32000));
  fs.AddFile(Music + "notes.str", Bytes("this is no stream at all"));
  fs.AddFile(Music + "cut.str", Bytes("SCHl"));
  FakeSongList songs;
  FillSongList(songs, fs);
  ASSERT_EQ(songs.Count(), 4);
  std::vector<std::string> lengths;
  for (const Song& song : songs.Songs()) lengths.push_back(song.fileName + "=" + song.length);
  EXPECT_EQ(lengths, (std::vector<std::string>{"anthem.str=3:07", "cut.str=", "goal.str=0:05", "notes.str="}));
}

TEST(SongModel, ClosingWithUnsavedTicksAsksAndSavesOnlyOnYes) {
  FakePlatform<> fakes("C:\\K", "C:\\G");
  FakeFileSystem& fs = fakes.fs;
  FakeMessages& messages = fakes.messages;
  fs.AddFolder("C:\\G\\data\\audio\\music");
  for (const char* song : {"anthem.str", "goal.str", "zulu.str"}) fs.AddFile(Music + song);
  const std::vector<uint8_t> saved{1, 0, 'g', 'o', 'a', 'l', 0, 0, 0, 0};
  fs.AddFile(Music + "music.inf", saved);
  FakeMainWindow view;
  frmMain form(view, fakes.platform);
  ASSERT_TRUE(form.Form_Load());
  messages.shown.clear();
  EXPECT_EQ(CheckedTexts(view.shown), std::vector<std::string>{"goal.str"});

  form.Command4_Click();  // nothing changed: closes without a question
  EXPECT_TRUE(view.asked.empty());
  EXPECT_EQ(view.calls.back(), "Unload");

  // The click reaches the model; the window shows what the model says.
  ASSERT_EQ(form.ListView1_ItemCheck(0, true), TickAnswer::Done);
  EXPECT_EQ(CheckedTexts(view.shown), (std::vector<std::string>{"anthem.str", "goal.str"}));
  EXPECT_FALSE(form.Form_QueryUnload()) << "Cancel keeps the window";
  view.answer = SaveAnswer::No;
  EXPECT_TRUE(form.Form_QueryUnload());
  EXPECT_EQ(fs.At(Music + "music.inf"), saved);
  EXPECT_EQ(view.asked, std::vector<std::string>(2, "Kickora Music Manager: " + std::string(UnsavedTicksQuestion)));

  // Yes closes only when the save succeeded.
  view.answer = SaveAnswer::Yes;
  fs.failWriteWith = 61;
  EXPECT_FALSE(form.Form_QueryUnload());
  EXPECT_EQ(fs.At(Music + "music.inf"), saved);
  fs.failWriteWith = 0;
  EXPECT_TRUE(form.Form_QueryUnload());
  EXPECT_EQ(fs.At(Music + "music.inf"), (std::vector<uint8_t>{2, 0, 'a', 'n', 't', 'h', 'e', 'm', 0, 0, 'g', 'o',
                                                                'a', 'l', 0, 0, 0, 0}));
  EXPECT_EQ(messages.Texts().back(), "Changes saved!");
  EXPECT_TRUE(form.Form_QueryUnload()) << "saved: no more question";
  EXPECT_EQ(view.asked.size(), 4u);

  // A rebuild keeps the ticks; a ticked song gone from the folder is a change.
  fs.Remove(Music + "goal.str");
  ASSERT_TRUE(RebuildSongList(form.Songs(), fs));
  EXPECT_EQ(CheckedTexts(view.shown), std::vector<std::string>{"anthem.str"});
  EXPECT_TRUE(form.Songs().HasUnsavedTicks());
}

}  // namespace
