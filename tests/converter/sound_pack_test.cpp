// Sound pack files: unpacking into numbered files and packing them again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "converter/context/state.h"
#include "converter/support/file_io.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// A sound file of size bytes that starts like a stream ("SC").
Bytes SoundFile(size_t size, int seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i * 7);
  if (size > 0) out[0] = 'S';
  if (size > 1) out[1] = 'C';
  return out;
}

Bytes Index(const std::vector<int32_t>& offsets) {
  Bytes out;
  for (int32_t offset : offsets) AppendU32(out, static_cast<uint32_t>(offset));
  return out;
}

std::string Sep() { return std::string(1, PathSeparator()); }

class SoundPackTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& arguments) { return RunCommandLine(arguments, &output); }
  ScopedWorkDir dir;
  std::string output;
};

// --- Unpack --------------------------------------------------------------

TEST_F(SoundPackTest, UnpackSplitsThePackAtTheIndexOffsets) {
  Bytes pack = SoundFile(10, 1);
  Append(pack, SoundFile(5, 2));
  Append(pack, SoundFile(7, 3));
  WriteFileBytes("s.pak", pack);
  WriteFileBytes("s.idx", Index({0, 10, 15}));
  fs::create_directory("out");
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx", "out" + Sep()}), 0);
  const std::string out = "out" + Sep();
  EXPECT_EQ(output, "0. " + out + "000.asf, 10 bytes\n1. " + out + "001.asf, 5 bytes\n2. " + out +
                        "002.asf, 7 bytes\noperation successfull\n");
  EXPECT_EQ(ReadFileBytes(out + "000.asf"), SoundFile(10, 1));
  EXPECT_EQ(ReadFileBytes(out + "001.asf"), SoundFile(5, 2));
  EXPECT_EQ(ReadFileBytes(out + "002.asf"), SoundFile(7, 3));
}

TEST_F(SoundPackTest, PrefixIsUsedExactlyAsGiven) {
  WriteFileBytes("s.pak", SoundFile(4, 1));
  WriteFileBytes("s.idx", Index({0}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx", "out"}), 0);
  EXPECT_TRUE(FileExistsAt("out000.asf"));
}

TEST_F(SoundPackTest, MoreArgumentsLeaveThePrefixEmpty) {
  WriteFileBytes("s.pak", SoundFile(4, 1));
  WriteFileBytes("s.idx", Index({0}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx", "out", "extra"}), 0);
  EXPECT_TRUE(FileExistsAt("000.asf"));
  EXPECT_FALSE(FileExistsAt("out000.asf"));
}

TEST_F(SoundPackTest, FirstEntryIsReadFromTheStartWhateverTheIndexSays) {
  Bytes pack = SoundFile(6, 1);
  Append(pack, SoundFile(6, 2));
  WriteFileBytes("s.pak", pack);
  // Sizes are differences: entry 0 is 6 bytes, read from offset 0 rather
  // than 4; entry 1 takes the 2 bytes that follow it.
  WriteFileBytes("s.idx", Index({4, 10}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 0);
  EXPECT_EQ(ReadFileBytes("000.asf"), SoundFile(6, 1));
  EXPECT_EQ(ReadFileBytes("001.asf"), Bytes(pack.begin() + 6, pack.begin() + 8));
}

TEST_F(SoundPackTest, TrailingIndexBytesAreIgnored) {
  WriteFileBytes("s.pak", SoundFile(8, 1));
  Bytes index = Index({0});
  Append(index, BytesOf({1, 2, 3}));
  WriteFileBytes("s.idx", index);
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 0);
  EXPECT_EQ(ReadFileBytes("000.asf"), SoundFile(8, 1));
  EXPECT_FALSE(FileExistsAt("001.asf"));
}

TEST_F(SoundPackTest, EmptyIndexWritesNothing) {
  WriteFileBytes("s.pak", SoundFile(8, 1));
  WriteFileBytes("s.idx", {});
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 0);
  EXPECT_EQ(output, "operation successfull\n");
  EXPECT_FALSE(FileExistsAt("000.asf"));
}

TEST_F(SoundPackTest, EntriesThatAreNoStreamAreWarnedAboutAndWritten) {
  Bytes pack = BytesOf({'X', 'C', 1, 2});
  pack.push_back('S');  // one byte: too short to be a stream
  Append(pack, SoundFile(3, 1));
  WriteFileBytes("s.pak", pack);
  WriteFileBytes("s.idx", Index({0, 4, 5}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 0);
  const std::string warning = "WARNING: s.pak or index 's.idx' is corrupted\n";
  EXPECT_EQ(output, warning + "0. 000.asf, 4 bytes\n" + warning + "1. 001.asf, 1 bytes\n2. 002.asf, 3 bytes\n" +
                        "operation successfull\n");
  EXPECT_EQ(ReadFileBytes("000.asf"), BytesOf({'X', 'C', 1, 2}));
}

TEST_F(SoundPackTest, NumbersFrom1000OnHaveFourDigits) {
  std::vector<int32_t> offsets;
  Bytes pack;
  for (int i = 0; i < 1001; ++i) {
    offsets.push_back(static_cast<int32_t>(pack.size()));
    Append(pack, SoundFile(2, i));
  }
  WriteFileBytes("s.pak", pack);
  WriteFileBytes("s.idx", Index(offsets));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 0);
  EXPECT_TRUE(FileExistsAt("999.asf"));
  EXPECT_TRUE(FileExistsAt("1000.asf"));
  EXPECT_THAT(output, HasSubstr("1000. 1000.asf, 2 bytes\n"));
}

TEST_F(SoundPackTest, UnpackFailuresNameTheFile) {
  WriteFileBytes("s.pak", SoundFile(8, 1));
  EXPECT_EQ(Run({"-unpack", "s.pak", "none.idx"}), 1);
  EXPECT_EQ(output, "couldn't open index file 'none.idx' for reading\n");

  WriteFileBytes("s.idx", Index({0}));
  EXPECT_EQ(Run({"-unpack", "none.pak", "s.idx"}), 1);
  EXPECT_EQ(output, "couldn't open packfile 'none.pak for reading\n");

  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx", "missing" + Sep()}), 1);
  EXPECT_EQ(output, "couldn't open 'missing" + Sep() + "000.asf' for writing\n");
}

TEST_F(SoundPackTest, UnpackNeedsPackAndIndex) {
  EXPECT_EQ(Run({"-unpack", "s.pak"}), 1);
  EXPECT_THAT(output, HasSubstr(" Usage:\n"));
}

// --- Unpack: hostile indexes -----------------------------------------------

TEST_F(SoundPackTest, DecreasingOffsetsStopBeforeTheEntry) {
  Bytes pack = SoundFile(10, 1);
  Append(pack, SoundFile(10, 2));
  WriteFileBytes("s.pak", pack);
  WriteFileBytes("s.idx", Index({0, 10, 4}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 1);
  EXPECT_EQ(output, "0. 000.asf, 10 bytes\nindex 's.idx' is corrupted\n");
  EXPECT_TRUE(FileExistsAt("000.asf"));
  EXPECT_FALSE(FileExistsAt("001.asf"));
}

TEST_F(SoundPackTest, LastOffsetBeyondThePackIsCorrupt) {
  WriteFileBytes("s.pak", SoundFile(10, 1));
  WriteFileBytes("s.idx", Index({0, 2000000000}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 1);
  EXPECT_THAT(output, EndsWith("index 's.idx' is corrupted\n"));
}

TEST_F(SoundPackTest, HugeEntrySizesCopyOnlyWhatThePackHolds) {
  WriteFileBytes("s.pak", SoundFile(10, 1));
  // Entry 0 claims about 4 GB (from a negative first offset).
  WriteFileBytes("s.idx", Index({INT32_MIN, INT32_MAX}));
  EXPECT_EQ(Run({"-unpack", "s.pak", "s.idx"}), 1);
  EXPECT_EQ(ReadFileBytes("000.asf"), SoundFile(10, 1));
  EXPECT_THAT(output, StartsWith("0. 000.asf, 10 bytes\n"));
}

// --- Pack ------------------------------------------------------------------

TEST_F(SoundPackTest, PackConcatenatesTheNumberedFiles) {
  fs::create_directory("in");
  const std::string in = "in" + Sep();
  WriteFileBytes(in + "000.asf", SoundFile(10, 1));
  WriteFileBytes(in + "001.asf", SoundFile(3, 2));
  WriteFileBytes(in + "002.asf", SoundFile(0, 3));
  WriteFileBytes(in + "003.asf", SoundFile(5, 4));
  EXPECT_EQ(Run({"-pack", in, "new.pak", "new.idx"}), 0);
  EXPECT_EQ(output, "0. " + in + "000.asf, 10 bytes\n1. " + in + "001.asf, 3 bytes\n2. " + in +
                        "002.asf, 0 bytes\n3. " + in + "003.asf, 5 bytes\n" +
                        "new sound packfile 'new.pak' created, size 18 bytes, 4 entries\n");
  Bytes expected = SoundFile(10, 1);
  Append(expected, SoundFile(3, 2));
  Append(expected, SoundFile(5, 4));
  EXPECT_EQ(ReadFileBytes("new.pak"), expected);
  EXPECT_EQ(ReadFileBytes("new.idx"), Index({0, 10, 13, 13}));
}

TEST_F(SoundPackTest, SingleFileGivesOneEntry) {
  WriteFileBytes("000.asf", SoundFile(6, 1));
  EXPECT_EQ(Run({"-pack", "", "new.pak", "new.idx"}), 0);
  EXPECT_THAT(output, EndsWith("created, size 6 bytes, 1 entries\n"));
  EXPECT_EQ(ReadFileBytes("new.idx"), Index({0}));
}

TEST_F(SoundPackTest, GapInTheNumberingEndsTheSet) {
  WriteFileBytes("p000.asf", SoundFile(4, 1));
  WriteFileBytes("p001.asf", SoundFile(4, 2));
  WriteFileBytes("p003.asf", SoundFile(4, 3));
  EXPECT_EQ(Run({"-pack", "p", "new.pak", "new.idx"}), 0);
  EXPECT_THAT(output, EndsWith("size 8 bytes, 2 entries\n"));
  EXPECT_EQ(ReadFileBytes("new.idx"), Index({0, 4}));
}

TEST_F(SoundPackTest, PackingThenUnpackingGivesTheSameFiles) {
  fs::create_directory("a");
  fs::create_directory("b");
  const std::string a = "a" + Sep();
  const std::string b = "b" + Sep();
  std::vector<Bytes> files;
  for (int i = 0; i < 12; ++i) {
    files.push_back(SoundFile(static_cast<size_t>(1 + i * 37 % 101), i));
    char name[16];
    std::snprintf(name, sizeof name, "%03d.asf", i);
    WriteFileBytes(a + name, files.back());
  }
  ASSERT_EQ(Run({"-pack", a, "all.pak", "all.idx"}), 0);
  ASSERT_EQ(Run({"-unpack", "all.pak", "all.idx", b}), 0);
  for (int i = 0; i < 12; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.asf", i);
    EXPECT_EQ(ReadFileBytes(b + name), files[static_cast<size_t>(i)]) << name;
  }
  EXPECT_FALSE(FileExistsAt(b + "012.asf"));
}

TEST_F(SoundPackTest, MissingFirstFileIsFatal) {
  EXPECT_EQ(Run({"-pack", "none", "new.pak", "new.idx"}), 1);
  EXPECT_EQ(output, "couldn't found 000.asf, directory 'none'\n\n");
  EXPECT_TRUE(FileExistsAt("new.pak"));
  EXPECT_FALSE(FileExistsAt("new.idx"));
}

TEST_F(SoundPackTest, WithoutIndexNameThePackIsTruncatedAndUsageShown) {
  WriteFileBytes("new.pak", Bytes(100, 1));
  WriteFileBytes("000.asf", SoundFile(6, 1));
  EXPECT_EQ(Run({"-pack", "", "new.pak"}), 1);
  EXPECT_EQ(ReadFileBytes("new.pak").size(), 0u);
  EXPECT_THAT(output, HasSubstr("  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>\n"));

  EXPECT_EQ(Run({"-pack", "only-prefix"}), 1);
  EXPECT_THAT(output, HasSubstr(" Usage:\n"));
}

TEST_F(SoundPackTest, PackFilesThatCannotBeCreatedAreFatal) {
  WriteFileBytes("000.asf", SoundFile(6, 1));
  fs::create_directory("dir.pak");
  EXPECT_EQ(Run({"-pack", "", "dir.pak", "new.idx"}), 1);
  EXPECT_EQ(output, "couldn't open sound packfile 'dir.pak' for writing\n");

  fs::create_directory("dir.idx");
  EXPECT_EQ(Run({"-pack", "", "new.pak", "dir.idx"}), 1);
  EXPECT_THAT(output, EndsWith("couldn't open index 'dir.idx' for writing\n"));
}

TEST_F(SoundPackTest, ReadOnlyOutputsAreMadeWritable) {
  WriteFileBytes("000.asf", SoundFile(6, 1));
  WriteFileBytes("new.pak", {});
  fs::permissions("new.pak", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(Run({"-pack", "", "new.pak", "new.idx"}), 0);
  EXPECT_THAT(output, StartsWith("'new.pak': removed read-only flag\n"));
  EXPECT_EQ(ReadFileBytes("new.pak"), SoundFile(6, 1));
}

#ifndef _WIN32
// 100,001 files: too slow under Wine, the limit is the same code there.
TEST_F(SoundPackTest, AtMost100000FilesArePacked) {
  for (int i = 0; i <= 100000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.asf", i);
    std::FILE* file = std::fopen(name, "wb");
    ASSERT_NE(file, nullptr);
    std::fputc(i & 0xFF, file);
    std::fclose(file);
  }
  EXPECT_EQ(Run({"-pack", "", "new.pak", "new.idx"}), 0);
  EXPECT_THAT(output, EndsWith("size 100000 bytes, 100000 entries\n"));
  EXPECT_EQ(ReadFileBytes("new.idx").size(), 400000u);
}
#endif

}  // namespace
