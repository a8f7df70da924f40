// BIGF and C0FB archives: the directory walk and one WAV per entry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "converter/context/state.h"
#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

struct Entry {
  std::string name;
  Bytes data;
  std::optional<uint32_t> offset;  // the real position when absent
  std::optional<uint32_t> size;    // the data's size when absent
};

// Directory first, then the entries' data in order.
Bytes BuildArchive(bool bigf, const std::vector<Entry>& entries, std::optional<uint32_t> countField = {}) {
  size_t directory = bigf ? 16 : 6;
  for (const Entry& e : entries) directory += (bigf ? 8 : 6) + e.name.size() + 1;
  Bytes out;
  if (bigf) {
    AppendText(out, "BIGF");
    AppendU32(out, 0);
    AppendU32BE(out, countField.value_or(static_cast<uint32_t>(entries.size())));
    AppendU32BE(out, static_cast<uint32_t>(directory));
  } else {
    Append(out, BytesOf({0xC0, 0xFB, 0, 0}));
    const uint32_t count = countField.value_or(static_cast<uint32_t>(entries.size()));
    Append(out, BytesOf({static_cast<int>(count >> 8) & 0xFF, static_cast<int>(count) & 0xFF}));
  }
  size_t position = directory;
  for (const Entry& e : entries) {
    const uint32_t offset = e.offset.value_or(static_cast<uint32_t>(position));
    const uint32_t size = e.size.value_or(static_cast<uint32_t>(e.data.size()));
    for (uint32_t value : {offset, size}) {
      if (bigf) {
        AppendU32BE(out, value);
      } else {
        Append(out, BytesOf({static_cast<int>(value >> 16) & 0xFF, static_cast<int>(value >> 8) & 0xFF,
                             static_cast<int>(value) & 0xFF}));
      }
    }
    AppendText(out, e.name);
    out.push_back(0);
    position += e.data.size();
  }
  for (const Entry& e : entries) Append(out, e.data);
  return out;
}

// A self-sized "PT" stream: a 40-byte header and frames 15-byte EA ADPCM
// frames of silence, 28 samples (56 PCM bytes) each.
Bytes SelfSizedStream(int frames) {
  Bytes out;
  AppendText(out, std::string("PT\0\x02", 4));
  AppendU32(out, 40);
  out.resize(40, 0);
  for (int i = 0; i < frames; ++i) {
    out.push_back(0x0C);
    out.resize(out.size() + 14, 0);
  }
  return out;
}

std::string Native(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\' || c == '/') c = PathSeparator();
  }
  return out;
}

uint32_t WavDataBytes(const fs::path& path) {
  Bytes wav = ReadFileBytes(path);
  return wav.size() >= 44 ? U32At(wav, 40) : 0xFFFFFFFF;
}

const char kStreamLine[] = "Frequency 22050, BitsPerSample 16, Channels 1, Length 0, Mode EA_ADPCM\n";

class BigArchiveTest : public ::testing::Test {
 protected:
  int Scan(const Bytes& archive, std::vector<std::string> extra = {}) {
    WriteFileBytes("sounds.big", archive);
    extra.insert(extra.begin(), "sounds.big");
    return RunCommandLine(extra, &output);
  }
  ScopedWorkDir dir;
  std::string output;
};

// --- Names and messages ----------------------------------------------------

TEST_F(BigArchiveTest, EveryEntryBecomesAWavNamedAfterIt) {
  EXPECT_EQ(Scan(BuildArchive(true, {{"intro", SelfSizedStream(2)},
                                     {"a.b", SelfSizedStream(1)},
                                     {"goal.asf", SelfSizedStream(3)}})),
            0);
  EXPECT_EQ(output, std::string("scanning BIGF-pack file\n") + "\nWriting intro.wav\n" + kStreamLine +
                        "\nWriting a.b.wav\n" + kStreamLine + "\nWriting goal.wav\n" + kStreamLine);
  EXPECT_EQ(WavDataBytes("intro.wav"), 2u * 56);
  EXPECT_EQ(WavDataBytes("a.b.wav"), 56u);
  EXPECT_EQ(WavDataBytes("goal.wav"), 3u * 56);
}

TEST_F(BigArchiveTest, FourCharacterNamesKeepTheirDot) {
  EXPECT_EQ(Scan(BuildArchive(true, {{"a.bc", SelfSizedStream(1)}, {"ab.c", SelfSizedStream(1)}})), 0);
  EXPECT_TRUE(FileExistsAt("a.bc.wav"));
  EXPECT_TRUE(FileExistsAt("ab.c.wav"));
}

TEST_F(BigArchiveTest, CompactArchivesUse24BitFields) {
  EXPECT_EQ(Scan(BuildArchive(false, {{"one.asf", SelfSizedStream(1)}, {"two.asf", SelfSizedStream(2)}})), 0);
  EXPECT_THAT(output, StartsWith("scanning C0FB-pack file\n\nWriting one.wav\n"));
  EXPECT_EQ(WavDataBytes("one.wav"), 56u);
  EXPECT_EQ(WavDataBytes("two.wav"), 112u);
}

TEST_F(BigArchiveTest, OnlyTheLow16BitsOfTheCountAreUsed) {
  Bytes archive = BuildArchive(true, {{"x.asf", SelfSizedStream(1)}, {"y.asf", SelfSizedStream(1)}}, 0x00010002);
  EXPECT_EQ(Scan(archive), 0);
  EXPECT_TRUE(FileExistsAt("x.wav"));
  EXPECT_TRUE(FileExistsAt("y.wav"));
}

TEST_F(BigArchiveTest, EmptyArchivePrintsOnlyTheScanningLine) {
  EXPECT_EQ(Scan(BuildArchive(true, {})), 0);
  EXPECT_EQ(output, "scanning BIGF-pack file\n");
}

TEST_F(BigArchiveTest, EntryFoldersLeadIntoSubfolders) {
  fs::create_directory("music");
  EXPECT_EQ(Scan(BuildArchive(true, {{"music\\crowd.asf", SelfSizedStream(1)}})), 0);
  EXPECT_THAT(output, HasSubstr("\nWriting " + Native("music/crowd.wav") + "\n"));
  EXPECT_EQ(WavDataBytes(fs::path("music") / "crowd.wav"), 56u);
}

TEST_F(BigArchiveTest, MissingSubfolderEndsTheScan) {
  EXPECT_EQ(Scan(BuildArchive(true, {{"music\\crowd.asf", SelfSizedStream(1)}, {"b.asf", SelfSizedStream(1)}})), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\ncouldn't open '" + Native("music/crowd.wav") + "' for writing\n");
  EXPECT_FALSE(FileExistsAt("b.wav"));
}

TEST_F(BigArchiveTest, DestinationDirectoryTakesNoSecondSeparator) {
  fs::create_directory("out");
  Bytes archive = BuildArchive(true, {{"a.asf", SelfSizedStream(1)}});
  EXPECT_EQ(Scan(archive, {Native("out/")}), 0);
  EXPECT_TRUE(FileExistsAt(fs::path("out") / "a.wav"));
  fs::remove(fs::path("out") / "a.wav");
  EXPECT_EQ(Scan(archive, {"out"}), 0);
  EXPECT_TRUE(FileExistsAt(fs::path("out") / "a.wav"));
  // The printed name is the entry's, not the path.
  EXPECT_THAT(output, HasSubstr("\nWriting a.wav\n"));
}

// --- Decoding --------------------------------------------------------------

Bytes SchlStream(const Bytes& blockData) {
  Bytes out = SchlHeader(SchlHeaderOptions{});
  Append(out, SccBlock(1));
  Append(out, ScdEaBlock(static_cast<uint32_t>(blockData.size()), blockData));
  Append(out, SceBlock());
  return out;
}

TEST_F(BigArchiveTest, BlockStreamsRunToTheEndOfTheArchive) {
  Bytes frames(30, 0);
  frames[0] = frames[15] = 0x0C;
  EXPECT_EQ(Scan(BuildArchive(true, {{"first.asf", SchlStream(frames)}, {"second.asf", SchlStream(frames)}})), 0);
  // Two 15-byte frames per block: 56 samples. The first WAV also holds the
  // blocks of the second entry.
  EXPECT_EQ(WavDataBytes("first.wav"), 2u * 112);
  EXPECT_EQ(WavDataBytes("second.wav"), 112u);
}

TEST_F(BigArchiveTest, ForcedModeReachesTheBlockDecoder) {
  Bytes data = BytesOf({1, 2, 3, 4, 5, 6, 7, 8});
  Bytes stream = SchlStream(data);
  // Mode 4 reads the blocks as 16-bit PCM: everything behind the size field.
  EXPECT_EQ(Scan(BuildArchive(true, {{"pcm.asf", stream}}), {"4", "."}), 0);
  Bytes wav = ReadFileBytes("pcm.wav");
  ASSERT_EQ(wav.size(), 44u + 12 + data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), wav.end() - static_cast<long>(data.size())));
}

TEST_F(BigArchiveTest, PayloadIsLimitedToTheEntrySize) {
  // The entry's size stops the payload before the frames that follow it.
  Bytes stream = SelfSizedStream(4);
  Entry entry{"short.asf", stream, std::nullopt, 40 + 2 * 15};
  EXPECT_EQ(Scan(BuildArchive(true, {entry})), 0);
  EXPECT_EQ(WavDataBytes("short.wav"), 2u * 56);
}

TEST_F(BigArchiveTest, EntryWithoutAStreamEndsTheScan) {
  // The search for a stream header runs on to the end of the archive, so
  // only a last entry can be without one.
  Bytes junk(64, 0x11);
  EXPECT_EQ(Scan(BuildArchive(true, {{"a.asf", SelfSizedStream(1)}, {"junk.dat", junk}})), 1);
  EXPECT_EQ(output, std::string("scanning BIGF-pack file\n\nWriting a.wav\n") + kStreamLine + "\nWriting junk.wav\n");
  EXPECT_EQ(ReadFileBytes("junk.wav").size(), 44u);
}

// --- Hostile archives ------------------------------------------------------

TEST_F(BigArchiveTest, TruncatedDirectoryEndsWithAMessage) {
  Bytes archive = BuildArchive(true, {}, 3);
  AppendU32BE(archive, 16);  // half an entry
  EXPECT_EQ(Scan(archive), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\narchive directory is truncated\n");

  Bytes magicOnly;
  AppendText(magicOnly, "BIGF");
  EXPECT_EQ(Scan(magicOnly), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\narchive directory is truncated\n");
}

TEST_F(BigArchiveTest, HugeCountStopsAtTheEndOfTheDirectory) {
  Bytes archive = BuildArchive(false, {{"a.asf", SelfSizedStream(1)}}, 0xFFFF);
  EXPECT_EQ(Scan(archive), 1);
  EXPECT_TRUE(FileExistsAt("a.wav"));
  // The next "entry" is read from the stream data: its offset lies far out.
  EXPECT_THAT(output, HasSubstr("lies outside the archive\n"));
}

TEST_F(BigArchiveTest, DataOffsetPastTheEndWritesNothing) {
  Entry far{"far.asf", {}, 0x7FFFFFF0u, 100};
  EXPECT_EQ(Scan(BuildArchive(true, {far})), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\nentry 'far.asf' lies outside the archive\n");
  EXPECT_FALSE(FileExistsAt("far.wav"));
}

TEST_F(BigArchiveTest, NameRunningIntoTheEndOfTheFileEndsThere) {
  Bytes archive = BuildArchive(true, {}, 1);
  AppendU32BE(archive, 0);
  AppendU32BE(archive, 100);
  AppendText(archive, "noend");
  EXPECT_EQ(Scan(archive), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\n\nWriting noend.wav\n");
}

TEST_F(BigArchiveTest, LongNamesKeepTheir255FirstBytes) {
  // 255 letters and ".wav" make a name no file system accepts.
  EXPECT_EQ(Scan(BuildArchive(true, {{std::string(300, 'n') + ".asf", SelfSizedStream(1)}})), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\ncouldn't open '" + std::string(255, 'n') + ".wav' for writing\n");
}

#ifndef _WIN32
// Windows paths this long exceed MAX_PATH.
TEST_F(BigArchiveTest, RestOfALongNameIsPassedOver) {
  const std::string folder(200, 'f');
  const std::string name = folder + "\\" + std::string(100, 'n') + ".asf";
  fs::create_directory(folder);
  EXPECT_EQ(Scan(BuildArchive(true, {{name, SelfSizedStream(1)}, {"next.asf", SelfSizedStream(1)}})), 0);
  // 255 bytes keep the folder, the separator and 54 letters of the name.
  EXPECT_TRUE(FileExistsAt(fs::path(folder) / (std::string(54, 'n') + ".wav")));
  EXPECT_EQ(WavDataBytes("next.wav"), 56u);
}
#endif

TEST_F(BigArchiveTest, NamesCannotLeaveTheDestination) {
  fs::create_directory("out");
  EXPECT_EQ(Scan(BuildArchive(true, {{"..\\evil.asf", SelfSizedStream(1)}}), {"out"}), 1);
  EXPECT_EQ(output, "scanning BIGF-pack file\ncouldn't open '" + Native("../evil.wav") + "' for writing\n");
  EXPECT_FALSE(FileExistsAt("evil.wav"));

  EXPECT_EQ(Scan(BuildArchive(true, {{"\\root.asf", SelfSizedStream(1)}})), 1);
  EXPECT_THAT(output, HasSubstr("couldn't open '" + Native("/root.wav") + "' for writing\n"));
  EXPECT_EQ(Scan(BuildArchive(true, {{"c:x.asf", SelfSizedStream(1)}})), 1);
  EXPECT_THAT(output, HasSubstr("couldn't open 'c:x.wav' for writing\n"));
}

}  // namespace
