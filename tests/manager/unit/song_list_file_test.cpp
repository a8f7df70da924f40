// music.inf: the bytes a save writes, the game's limits, the safe
// replacement of the old file, and how a read checks the list.
#include <gtest/gtest.h>

#include "fakes.h"

namespace {

const std::string Game = "C:\\Games\\FIFA 2001";
const std::string Music = Game + "\\data\\audio\\music\\";
const std::string Inf = Music + "music.inf";
const std::string Critical8 =
    "Warning: There's a filename made up of more than 8 characters. That file will be skipped.";

// Song file names numbered from 0 ("s0.str", ...), built without operator+
// chains that GCC 12 misreports under -Wrestrict.
std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name = stem;
    name += std::to_string(i);
    name += ".str";
    names.push_back(name);
  }
  return names;
}

std::vector<uint8_t> Entries(uint8_t count, const std::vector<std::string>& names) {
  std::vector<uint8_t> bytes{count, 0};
  for (const std::string& name : names) {
    std::string padded = name;
    padded.resize(8, '\0');
    bytes.insert(bytes.end(), padded.begin(), padded.end());
  }
  return bytes;
}

class SongListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    GameFolder = Game;
    fs.AddFolder(Game + "\\data\\audio\\music");
  }
  bool Save(FakeSongList& list) { return WriteSongList(list, fs, messages); }

  FakeFileSystem fs;
  FakeMessages messages;
};

using WritingSongList = SongListFile;

TEST_F(WritingSongList, StoresCheckedSongNamesPaddedToEightBytes) {
  FakeSongList list({"anthem.str", "crowd.str", "goal.str"});
  list.Check({0, 2});
  Save(list);
  const std::vector<uint8_t> expected{0x02, 0x00, 0x61, 0x6E, 0x74, 0x68, 0x65, 0x6D, 0x00,
                                      0x00, 0x67, 0x6F, 0x61, 0x6C, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(fs.At(Inf), expected);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Changes saved!");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(messages.shown[0].title, "Kickora Music Manager");
}

TEST_F(WritingSongList, NothingCheckedGivesTwoZeroBytes) {
  FakeSongList list({"anthem.str"});
  fs.AddFile(Inf, Entries(1, {"anthem"}));
  Save(list);
  EXPECT_EQ(fs.At(Inf), (std::vector<uint8_t>{0, 0}));
}

TEST_F(WritingSongList, KeepsTheFileNamesCase) {
  FakeSongList list({"Goal.str"});
  list.Check({0});
  Save(list);
  EXPECT_EQ(fs.At(Inf), Entries(1, {"Goal"}));
}

TEST_F(WritingSongList, EightCharacterNameHasNoTerminatorNineIsSkipped) {
  FakeSongList list({"abcdefgh.str", "abcdefghi.str", "z.str"});
  list.Check({0, 1, 2});
  Save(list);
  EXPECT_EQ(fs.At(Inf), Entries(2, {"abcdefgh", "z"}));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, Critical8);
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages.shown[1].text, "Changes saved!");
}

TEST_F(WritingSongList, ElevenCheckedSongsAreRefusedAndTheFileIsLeftAlone) {
  FakeSongList list(Numbered("longername", 11));
  for (int i = 0; i < 11; ++i) list.Check({i});
  const std::vector<uint8_t> old = Entries(1, {"old"});
  fs.AddFile(Inf, old);
  Save(list);
  EXPECT_EQ(fs.At(Inf), old);
  EXPECT_TRUE(fs.writesOrder.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "You can have only up to 10 songs in FIFA 2001.");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
}

TEST_F(WritingSongList, TenCheckedWithOneLongNameWritesNine) {
  FakeSongList list(Numbered("s", 9));
  list.Add("ninechars.str");
  for (int i = 0; i < 10; ++i) list.Check({i});
  Save(list);
  EXPECT_EQ(fs.At(Inf)[0], 9);
  EXPECT_EQ(fs.At(Inf).size(), 2u + 8 * 9);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{Critical8, "Changes saved!"}));
}

TEST_F(WritingSongList, AnEmptySongNameIsEightZeroBytes) {
  FakeSongList list({".str"});
  list.Check({0});
  Save(list);
  EXPECT_EQ(fs.At(Inf), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(WritingSongList, ReplacesAReadOnlyFileWithAWritableOne) {
  fs.AddFile(Inf, Entries(1, {"old"}));
  fs.readOnly.insert(Inf);
  FakeSongList list({"anthem.str"});
  list.Check({0});
  Save(list);
  EXPECT_EQ(fs.At(Inf), Entries(1, {"anthem"}));
  EXPECT_FALSE(fs.readOnly.count(Inf));
  EXPECT_EQ(messages.Texts().back(), "Changes saved!");
}

TEST_F(WritingSongList, WritesATemporaryFileBesideAndNeverMusicInfDirectly) {
  FakeSongList list({"anthem.str"});
  list.Check({0});
  Save(list);
  EXPECT_EQ(fs.writesOrder, (std::vector<std::string>{Music + "music.inf.tmp"}));
  EXPECT_FALSE(fs.Has(Music + "music.inf.tmp"));
}

TEST_F(WritingSongList, AFailedWriteKeepsTheOldFileAndReportsTheError) {
  const std::vector<uint8_t> old = Entries(1, {"old"});
  fs.AddFile(Inf, old);
  fs.failWriteWith = ErrDiskFull;
  FakeSongList list({"anthem.str"});
  list.Check({0});
  Save(list);
  EXPECT_EQ(fs.At(Inf), old);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Error n\xB0 61\r\nDisk full");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
}

TEST_F(WritingSongList, ADiskFillingUpMidFileKeepsTheOldFileAndLeavesNoTemporary) {
  const std::vector<uint8_t> old = Entries(1, {"old"});
  fs.AddFile(Inf, old);
  fs.readOnly.insert(Inf);
  fs.diskRoomBytes = 5;
  FakeSongList list({"anthem.str", "goal.str"});
  list.Check({0, 1});
  Save(list);
  EXPECT_EQ(fs.At(Inf), old);
  EXPECT_FALSE(fs.Has(Music + "music.inf.tmp"));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Error n\xB0 61\r\nDisk full"}));
}

TEST_F(WritingSongList, AFailedRenameRemovesTheTemporaryFile) {
  const std::vector<uint8_t> old = Entries(1, {"old"});
  fs.AddFile(Inf, old);
  fs.failReplaceWith = ErrPermissionDenied;
  FakeSongList list({"anthem.str"});
  Save(list);
  EXPECT_EQ(fs.At(Inf), old);
  EXPECT_FALSE(fs.Has(Music + "music.inf.tmp"));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Error n\xB0 70\r\nPermission denied"}));
}

TEST_F(WritingSongList, AMissingMusicFolderIsAnErrorMessage) {
  GameFolder = "C:\\Nowhere";
  fs.failWriteWith = ErrPathNotFound;
  FakeSongList list({"anthem.str"});
  Save(list);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Error n\xB0 76\r\nPath not found"}));
}

using ReadingSongList = SongListFile;

TEST_F(ReadingSongList, ChecksTheNamedItemsIgnoringCase) {
  FakeSongList list({"anthem.str", "crowd.str", "Goal.str"});
  fs.AddFile(Inf, Entries(2, {"ANTHEM", "goal"}));
  EXPECT_FALSE(ReadSongList(list, fs, false));
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{"anthem.str", "Goal.str"}));
}

TEST_F(ReadingSongList, AnEightCharacterEntryWithoutNulMatchesAllEight) {
  FakeSongList list({"abcdefg.str", "abcdefgh.str"});
  fs.AddFile(Inf, Entries(1, {"abcdefgh"}));
  ReadSongList(list, fs, false);
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{"abcdefgh.str"}));
}

TEST_F(ReadingSongList, ANameListedTwiceTogglesBackToUnchecked) {
  FakeSongList list({"anthem.str"});
  fs.AddFile(Inf, Entries(2, {"anthem", "anthem"}));
  ReadSongList(list, fs, false);
  EXPECT_TRUE(list.CheckedTexts().empty());
}

TEST_F(ReadingSongList, AnEmptyEntryChecksTheItemNamedDotStr) {
  FakeSongList list({".str", "anthem.str"});
  fs.AddFile(Inf, Entries(1, {""}));
  ReadSongList(list, fs, false);
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{".str"}));
}

TEST_F(ReadingSongList, UnknownNamesAreIgnoredAndCountZeroChecksNothing) {
  FakeSongList list({"anthem.str"});
  fs.AddFile(Inf, Entries(1, {"1intro"}));
  ReadSongList(list, fs, true);
  EXPECT_TRUE(list.CheckedTexts().empty());
  std::vector<uint8_t> zero = Entries(0, {"anthem"});
  zero[1] = 0xAB;  // the second byte means nothing
  fs.AddFile(Inf, zero);
  EXPECT_FALSE(ReadSongList(list, fs, true));
  EXPECT_TRUE(list.CheckedTexts().empty());
}

TEST_F(ReadingSongList, StopsAtTheEndOfAShortFile) {
  FakeSongList list({"anthem.str", "goal.str"});
  fs.AddFile(Inf, Entries(5, {"anthem"}));
  EXPECT_NO_THROW(ReadSongList(list, fs, false));
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{"anthem.str"}));
}

TEST_F(ReadingSongList, VerifyReportsASongFileThatIsGone) {
  FakeSongList list({"anthem.str", "goal.str"});
  fs.AddFile(Music + "goal.str");
  fs.AddFile(Inf, Entries(2, {"anthem", "goal"}));
  EXPECT_TRUE(ReadSongList(list, fs, true));
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{"goal.str"}));
}

TEST_F(ReadingSongList, VerifyLooksForTheEntrysSpellingOnACaseSensitiveDisk) {
  FakeSongList list({"Anthem.str"});
  fs.AddFile(Music + "Anthem.str");
  fs.AddFile(Inf, Entries(1, {"anthem"}));
  EXPECT_TRUE(ReadSongList(list, fs, true));
  EXPECT_TRUE(list.CheckedTexts().empty());

  fs.caseInsensitive = true;
  fs.files.clear();
  fs.AddFile(Music + "Anthem.str");
  fs.AddFile(Inf, Entries(1, {"anthem"}));
  EXPECT_FALSE(ReadSongList(list, fs, true));
  EXPECT_EQ(list.CheckedTexts(), (std::vector<std::string>{"Anthem.str"}));
}

TEST_F(ReadingSongList, AMissingFileIsAnErrorForTheCaller) {
  FakeSongList list({"anthem.str"});
  try {
    ReadSongList(list, fs, true);
    FAIL() << "a missing music.inf must reach the caller";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number, ErrFileNotFound);
  }
}

TEST_F(SongListFile, WhatASaveWritesReadsBackTheSame) {
  FakeSongList list({"anthem.str", "crowd.str", "Goal.str", "zz.str"});
  list.Check({1, 2});
  Save(list);
  FakeSongList fresh({"anthem.str", "crowd.str", "Goal.str", "zz.str"});
  ReadSongList(fresh, fs, false);
  EXPECT_EQ(fresh.CheckedTexts(), list.CheckedTexts());
}

TEST(ToggleCheck, FlipsTheTick) {
  FakeSongList list({"a.str", "b.str"});
  ToggleCheck(list, 1);
  EXPECT_EQ(list.CheckedTexts(), std::vector<std::string>{"b.str"});
  ToggleCheck(list, 1);
  EXPECT_TRUE(list.CheckedTexts().empty());
}

TEST(FillSongList, ListsSongFilesByNameIgnoringCaseWithoutTheOnes) {
  GameFolder = "C:\\G";
  FakeFileSystem fs;
  for (const char* name : {"Goal.str", "1intro.str", "anthem.str", "music.inf", "10x.str"})
    fs.AddFile(std::string("C:\\G\\data\\audio\\music\\") + name);
  FakeSongList list({"stale.str"});
  std::vector<std::string> listing = FillSongList(list, fs);
  EXPECT_EQ(list.Texts(), (std::vector<std::string>{"anthem.str", "Goal.str"}));
  EXPECT_EQ(listing, (std::vector<std::string>{"10x.str", "1intro.str", "anthem.str", "Goal.str"}));
}

}  // namespace
