#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "converter/support/file_io.h"
#include "support/test_files.h"

namespace fs = std::filesystem;

TEST(ReplacementFileTest, CommitReplacesTheDestinationWhole) {
  ScopedWorkDir dir;
  WriteFileBytes("game.exe", Bytes(10, 'a'));
#ifndef _WIN32
  fs::permissions("game.exe", fs::perms::owner_all | fs::perms::group_read, fs::perm_options::replace);
#endif
  {
    ReplacementFile out("game.exe");
    ASSERT_TRUE(out.Open());
    std::fputs("patched", out.get());
    // Until the commit the old program is still there, whole.
    EXPECT_EQ(ReadFileBytes("game.exe"), Bytes(10, 'a'));
    ASSERT_TRUE(out.Commit());
  }
  Bytes expected;
  AppendText(expected, "patched");
  EXPECT_EQ(ReadFileBytes("game.exe"), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
#ifndef _WIN32
  EXPECT_EQ(fs::status("game.exe").permissions(), fs::perms::owner_all | fs::perms::group_read);
#endif
}

TEST(ReplacementFileTest, WithoutCommitNothingChangesAndNoTemporaryStays) {
  ScopedWorkDir dir;
  WriteFileBytes("music.str", Bytes(4, 'x'));
  {
    ReplacementFile out("music.str");
    ASSERT_TRUE(out.Open());
    std::fputs("half", out.get());
  }
  EXPECT_EQ(ReadFileBytes("music.str"), Bytes(4, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST(PathTest, JoinAddsOneSeparator) {
  std::string sep(1, PathSeparator());
  EXPECT_EQ(JoinPath("", "000.wav"), "000.wav");
  EXPECT_EQ(JoinPath("out", "000.wav"), "out" + sep + "000.wav");
  EXPECT_EQ(JoinPath("out/", "000.wav"), "out/000.wav");
  EXPECT_EQ(JoinPath("out\\", "000.wav"), "out\\000.wav");
}
