// The text and path helpers every path of the manager goes through, and the
// shell file operation's request.
#include <gtest/gtest.h>

#include "fakes.h"
#include "manager/core/Platform.h"
#include "manager/core/modFiles.h"
#include "manager/core/modStrings.h"

namespace {

int32_t Last(const std::string& search, const std::string& find) {
  int32_t start = -1, compare = 0;
  return FindLast(search, find, start, compare);
}

TEST(FindLast, GivesThePositionFromOneOfTheLastOccurrence) {
  EXPECT_EQ(Last("C:\\Games\\fifa2001.exe", "\\"), 9);
  EXPECT_EQ(Last("abcabc", "bc"), 5);
}

TEST(FindLast, IsZeroWhenNothingIsFound) {
  EXPECT_EQ(Last("", "\\"), 0);
  EXPECT_EQ(Last("fifa2001.exe", "\\"), 0);
}

TEST(FindLast, FindsASeparatorAtTheVeryEnd) { EXPECT_EQ(Last("C:\\Games\\", "\\"), 9); }

TEST(FindLast, FindsATextOfSeveralCharacters) { EXPECT_EQ(Last("C:\\a\\\\b", "\\\\"), 5); }

TEST(FindLast, ReturnsTheStartForAnEmptyTextToFind) {
  int32_t start = -1, compare = 0;
  EXPECT_EQ(FindLast("abc", "", start, compare), -1);
}

TEST(FindLast, HonoursAStartPositionAndCaseInsensitiveMode) {
  int32_t start = 4, compare = 0;
  EXPECT_EQ(FindLast("a\\b\\c\\d", "\\", start, compare), 4);
  start = -1;
  compare = 1;
  EXPECT_EQ(FindLast("Song.STR.str", "STR", start, compare), 10);
}

TEST(ReverseText, ReversesEveryCharacter) {
  EXPECT_EQ(ReverseText("C:\\ab"), "ba\\:C");
  EXPECT_EQ(ReverseText(""), "");
}

TEST(AddBackslash, AddsOneOnlyWhenMissing) {
  EXPECT_EQ(AddBackslash("C:\\Games"), "C:\\Games\\");
  EXPECT_EQ(AddBackslash("C:\\Games\\"), "C:\\Games\\");
  EXPECT_EQ(AddBackslash(""), "\\");
}

TEST(FolderPart, KeepsEverythingUpToTheLastBackslash) {
  EXPECT_EQ(FolderPart("D:\\FIFA 2001\\fifa2001.exe"), "D:\\FIFA 2001\\");
  EXPECT_EQ(FolderPart("E:\\fifa2001.exe"), "E:\\");
  EXPECT_EQ(FolderPart("fifa2001.exe"), "");
}

TEST(FileNamePart, KeepsEverythingAfterTheLastBackslash) {
  EXPECT_EQ(FileNamePart("D:\\songs\\new.wav"), "new.wav");
  EXPECT_EQ(FileNamePart("new.wav"), "new.wav");
  EXPECT_EQ(FileNamePart("D:\\songs\\"), "");
}

TEST(FileExists, IsAFileSearch) {
  FakeFileSystem fs;
  fs.AddFile("C:\\g\\data\\audio\\music\\anthem.str");
  EXPECT_TRUE(FileExists(fs, "C:\\g\\data\\audio\\music\\anthem.str"));
  EXPECT_TRUE(FileExists(fs, "C:\\g\\data\\audio\\music"));
  EXPECT_TRUE(FileExists(fs, "C:\\g\\data\\audio\\music\\*.str"));
  EXPECT_FALSE(FileExists(fs, "C:\\g\\data\\audio\\music\\*.wav"));
  EXPECT_FALSE(FileExists(fs, ""));
}

TEST(ShellFileOp, PassesEverySourceNulTerminatedWithAFinalNul) {
  FakeFileSystem fs;
  ASSERT_TRUE(CopyFiles(fs, std::vector<std::string>{"C:\\a.wav", "C:\\b.wav"}, "D:\\out", false,
                        true, false));
  ASSERT_EQ(fs.shellCalls.size(), 1u);
  EXPECT_EQ(fs.shellCalls[0].operation, FO_COPY_CODE);
  EXPECT_EQ(fs.shellCalls[0].sources, std::string("C:\\a.wav\0C:\\b.wav\0\0", 19));
  EXPECT_EQ(fs.shellCalls[0].target, "D:\\out");
  EXPECT_EQ(fs.shellCalls[0].flags, 0x14u | FOF_NOERRORUI_FLAG) << "no error dialog of the shell's own";
}

TEST(ShellFileOp, BuildsTheFlagsFromTheArguments) {
  EXPECT_EQ(ShellFileOpFlags(true, false, false), 0u);
  EXPECT_EQ(ShellFileOpFlags(false, false, false), 0x10u);
  EXPECT_EQ(ShellFileOpFlags(false, true, true), 0x1Cu);
  EXPECT_EQ(ShellFileOpFlags(true, true, false), 0x4u);
}

TEST(ShellFileOp, RenameIsOneSourceAndNeverSilent) {
  FakeFileSystem fs;
  ASSERT_TRUE(RenameFiles(fs, "C:\\x.asf", "C:\\m\\new.str", false, true));
  EXPECT_EQ(fs.shellCalls[0].operation, FO_RENAME_CODE);
  EXPECT_EQ(fs.shellCalls[0].sources, std::string("C:\\x.asf\0\0", 10));
  EXPECT_EQ(fs.shellCalls[0].flags, 0x18u);
}

TEST(ShellFileOp, FailsWhenTheShellFailsOrTheUserAborted) {
  FakeFileSystem fs;
  fs.shellOutcome = {false, false};
  EXPECT_FALSE(CopyFiles(fs, "C:\\a", "C:\\b", false, true, false));
  fs.shellOutcome = {true, true};
  EXPECT_FALSE(CopyFiles(fs, "C:\\a", "C:\\b", false, true, false));
}

// Every path into the music folder: the list, music.inf, exports, imports.
TEST(MusicFolder, LiesUnderTheGameFolderWithOneBackslashBetweenEvenAtARoot) {
  EXPECT_EQ(MusicFolder("C:\\Program Files\\FIFA 2001"), "C:\\Program Files\\FIFA 2001\\data\\audio\\music\\");
  EXPECT_EQ(MusicFolder("D:\\"), "D:\\data\\audio\\music\\");
  const std::string saved = GameFolder;
  GameFolder = "D:\\";
  EXPECT_EQ(MusicFolder(GameFolder), "D:\\data\\audio\\music\\");
  EXPECT_EQ(SongListPath(), "D:\\data\\audio\\music\\music.inf");
  GameFolder = saved;
}

TEST(ProgramFile, LiesBesideTheProgramWithOneBackslashBetweenEvenAtARoot) {
  EXPECT_EQ(ProgramFile("C:\\Program Files\\Kickora Music Manager", HelpFileName),
            "C:\\Program Files\\Kickora Music Manager\\readme.txt");
  EXPECT_EQ(ProgramFile("E:\\", "tonepak.exe"), "E:\\tonepak.exe");
}

}  // namespace
