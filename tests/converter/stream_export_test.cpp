// Export of stream files through the converter's entry, in-process.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "converter/console/tonepak.h"
#include "kickora_version.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

const char kMonoLine[] = "Frequency 22050, BitsPerSample 16, Channels 1, Length 0, Mode EA_ADPCM\n";

Bytes MonoHeader(uint32_t length = 0) {
  SchlHeaderOptions options;
  options.length = length;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  return file;
}

// One mono frame at scale 0, coefficient 0: every code n gives n * 4096.
Bytes MonoFrameOf(int code) {
  Bytes frame{0x00};
  for (int i = 0; i < 14; ++i) frame.push_back(static_cast<uint8_t>(code << 4 | code));
  return frame;
}

Bytes SkippedBlock(const std::string& tag, uint32_t size) {
  Bytes b;
  AppendText(b, tag);
  AppendU32(b, size);
  b.resize(size, 'S');  // a data tag inside must never be seen
  if (size >= 12) std::copy_n("SCDl", 4, b.begin() + 8);
  return b;
}

std::string Export(const std::vector<std::string>& args, int* status = nullptr) {
  std::string out;
  int s = RunCommandLine(args, &out);
  if (status) *status = s;
  return out;
}

}  // namespace

TEST(BannerTest, UsageWithoutArguments) {
  int status = -1;
  std::string out = Export({}, &status);
  EXPECT_EQ(status, 0);
  std::string expectedStart = std::string("\n TONEPAK " TONEPAK_VERSION_TEXT " (") + BuildDateText() + ") Electronic Art's music file<->WAV converter\n";
  EXPECT_EQ(out.substr(0, expectedStart.size()), expectedStart);
  EXPECT_NE(out.find("\n\n Usage:\n\n  export: TONEPAK <music file> [mode] [<destination directory>]\n"
                     "  import: TONEPAK -import <wave file> <destination file> <original sound> [bnk]\n"
                     "  unpack: TONEPAK -unpack <sound pack file> <index> [<destination dir>]\n"
                     "  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>\n\n"),
            std::string::npos);
  EXPECT_STREQ(VersionText(), TONEPAK_VERSION_TEXT);
}

TEST(BannerTest, BuildDateIsDayMonthYear) {
  char text[32];
  FormatBuildDate("Nov  6 2000", text, sizeof text);
  EXPECT_STREQ(text, "06.11.2000");
  FormatBuildDate("  dec 25 1999", text, sizeof text);
  EXPECT_STREQ(text, "25.12.1999");
  FormatBuildDate("Foo 1 2001", text, sizeof text);
  EXPECT_STREQ(text, "01.-01.2001");
}

TEST(BannerTest, KeywordsMatchInAnyCaseAndMissingArgumentsShowTheUsage) {
  ScopedWorkDir dir;
  int status = 0;
  EXPECT_NE(Export({"-UNPACK", "a"}, &status).find(" Usage:"), std::string::npos);
  EXPECT_EQ(status, 1);
  EXPECT_NE(Export({"-Import", "a", "b"}, &status).find(" Usage:"), std::string::npos);
  EXPECT_EQ(status, 1);
}

TEST(StreamExportTest, BlocksAreDecodedAndTheHeaderFinished) {
  ScopedWorkDir dir;
  Bytes file = MonoHeader();
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  Append(file, SkippedBlock("kVGT", 16));
  Append(file, SkippedBlock("pQGT", 12));
  Append(file, SkippedBlock("nTCD", 20));
  Append(file, SkippedBlock("MADk", 24));
  Append(file, ScdEaBlock(15, MonoFrameOf(2)));
  Append(file, SceBlock());
  WriteFileBytes("song.str", file);
  int status = -1;
  std::string out = Export({"song.str"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, std::string(kMonoLine) + "\nWriting 000.wav\n0\r1\r\nOperation complete\n");
  Bytes wav = ReadFileBytes("000.wav");
  ASSERT_EQ(wav.size(), 44u + 112u);
  EXPECT_EQ(SamplesOf(wav, 44)[0], 4096);
  EXPECT_EQ(SamplesOf(wav, 44)[28], 8192);
  EXPECT_EQ(U32At(wav, 40), 112u);
}

TEST(StreamExportTest, SkippedBlockWithATinySizeDoesNotLoop) {
  ScopedWorkDir dir;
  Bytes file = MonoHeader();
  AppendText(file, "MADx");
  AppendU32(file, 3);
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  WriteFileBytes("song.str", file);
  int status = -1;
  Export({"song.str"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFileBytes("000.wav").size(), 44u + 56u);
}

TEST(StreamExportTest, WavHeaderFiguresForStereo) {
  ScopedWorkDir dir;
  SchlHeaderOptions options;
  options.channels = 2;
  Bytes stereo = SchlHeader(options);
  Append(stereo, SccBlock(1));
  // A stereo 22050 Hz stream of 88,200 sample bytes, copied as UNCOMP_16.
  Bytes file = stereo;
  const int blockData = 7992;
  int remaining = 88200;
  while (remaining > 0) {
    int n = std::min(blockData, remaining);
    AppendText(file, "SCDl");
    AppendU32(file, static_cast<uint32_t>(8 + n));
    file.resize(file.size() + static_cast<size_t>(n), 0);
    remaining -= n;
  }
  WriteFileBytes("song.str", file);
  int status = -1;
  std::string out = Export({"song.str", "4", "."}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.substr(0, 17), "Mode forced to 4\n");
  Bytes wav = ReadFileBytes("000.wav");
  EXPECT_EQ(U32At(wav, 4), 88236u);
  EXPECT_EQ(U16At(wav, 22), 2u);
  EXPECT_EQ(U32At(wav, 24), 22050u);
  EXPECT_EQ(U32At(wav, 28), 88200u);
  EXPECT_EQ(U16At(wav, 32), 4u);
  EXPECT_EQ(U16At(wav, 34), 16u);
  EXPECT_EQ(U32At(wav, 40), 88200u);
}

TEST(StreamExportTest, LowRatesAreRaisedOnlyWhenFinishing) {
  ScopedWorkDir dir;
  SchlHeaderOptions options;
  options.frequency = 11025;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  WriteFileBytes("song.str", file);
  Export({"song.str"});
  Bytes wav = ReadFileBytes("000.wav");
  EXPECT_EQ(U32At(wav, 24), 22050u);
  EXPECT_EQ(U32At(wav, 28), 44100u);
}

TEST(StreamExportTest, CorruptBlocksStopWithPlaceholdersKept) {
  ScopedWorkDir dir;
  Bytes file = MonoHeader();
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  AppendText(file, "SCDl");
  AppendU32(file, 8001);
  file.resize(file.size() + 40, 0);
  WriteFileBytes("song.str", file);
  int status = -1;
  std::string out = Export({"song.str"}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, std::string(kMonoLine) + "\nWriting 000.wav\n0\rcorrupt input file\n");
  Bytes wav = ReadFileBytes("000.wav");
  EXPECT_EQ(wav.size(), 44u + 56u);
  EXPECT_EQ(U32At(wav, 40), 0x20202020u);
  EXPECT_EQ(U32At(wav, 4), 0x20202020u);

  for (uint32_t tooSmall : {0u, 12u, 19u, 0x80000000u}) {
    Bytes small = MonoHeader();
    AppendText(small, "SCDl");
    AppendU32(small, tooSmall);
    small.resize(small.size() + 40, 0);
    WriteFileBytes("small.str", small);
    EXPECT_NE(Export({"small.str"}, &status).find("corrupt input file\n"), std::string::npos) << tooSmall;
    EXPECT_EQ(status, 1);
  }
}

TEST(StreamExportTest, ForcedModesSelectTheBlockRow) {
  ScopedWorkDir dir;
  int status = -1;
  // Mode 7 names no decoder.
  Bytes file = MonoHeader();
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  WriteFileBytes("song.str", file);
  std::string out = Export({"song.str", "7", "."}, &status);
  EXPECT_EQ(out, std::string("Mode forced to 7\n") + kMonoLine + "\nWriting 000.wav\n0\rdecoding error!\n");
  EXPECT_EQ(status, 1);

  // Mode 5: 8-bit samples widened, size - 8 bytes.
  Bytes eight = MonoHeader();
  AppendText(eight, "SCDl");
  AppendU32(eight, 12);
  Append(eight, BytesOf({0x00, 0x7F, 0x80, 0xFF}));
  WriteFileBytes("eight.str", eight);
  Export({"eight.str", "5", "."}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(SamplesOf(ReadFileBytes("000.wav"), 44), (std::vector<int16_t>{0, 32639, -32640, -1}));

  // Mode 3: UNCOMP_OLD stereo copies count x 4 bytes, never past the block.
  SchlHeaderOptions options;
  options.channels = 2;
  Bytes old = SchlHeader(options);
  Append(old, SccBlock(1));
  AppendText(old, "SCDl");
  AppendU32(old, 12 + 400);
  AppendU32(old, 100);
  for (int i = 0; i < 200; ++i) AppendU16(old, static_cast<uint16_t>(i));
  AppendText(old, "SCDl");
  AppendU32(old, 12 + 8);
  AppendU32(old, 100);  // asks for 400 bytes, holds 8
  for (int i = 0; i < 4; ++i) AppendU16(old, 7);
  WriteFileBytes("old.str", old);
  Export({"old.str", "3", "."}, &status);
  EXPECT_EQ(status, 0);
  Bytes wav = ReadFileBytes("000.wav");
  EXPECT_EQ(U32At(wav, 40), 408u);
  EXPECT_EQ(SamplesOf(wav, 44)[199], 199);
  EXPECT_EQ(SamplesOf(wav, 44)[200], 7);

  // Mode 2 with the destination "2": the folder does not exist.
  std::string noFolder = Export({"song.str", "2"}, &status);
  EXPECT_EQ(noFolder, std::string("Mode forced to 2\n") + kMonoLine + "couldn't open '000.wav'\n");
  EXPECT_EQ(status, 1);
  // 0 is no mode: it is the destination folder, the third argument ignored.
  std::filesystem::create_directory("0");
  Export({"song.str", "0", "elsewhere"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(FileExistsAt("0/000.wav"));
}

TEST(StreamExportTest, EaAdpcm2StereoBlockInterleavesBothChannels) {
  ScopedWorkDir dir;
  SchlHeaderOptions options;
  options.channels = 2;
  options.eaAdpcm2 = true;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Bytes left, right;
  for (int f = 0; f < 10; ++f) {
    Append(left, MonoFrameOf(1));
    Append(right, MonoFrameOf(7));
  }
  Append(file, ScdEa2Block(left, right, 280));
  WriteFileBytes("song.str", file);
  int status = -1;
  Export({"song.str"}, &status);
  EXPECT_EQ(status, 0);
  Bytes wav = ReadFileBytes("000.wav");
  ASSERT_EQ(wav.size(), 44u + 1120u);
  std::vector<int16_t> s = SamplesOf(wav, 44);
  for (size_t i = 0; i < s.size(); i += 2) {
    ASSERT_EQ(s[i], 4096) << i;
    ASSERT_EQ(s[i + 1], 28672) << i;
  }
}

TEST(StreamExportTest, AsfNamesAndSeveralStreams) {
  ScopedWorkDir dir;
  // Three KWK/TMpl payload streams, each followed by the next header.
  Bytes file;
  for (int i = 0; i < 3; ++i) {
    AppendText(file, "KWK\x01TMpl");
    Bytes record(32, 0);
    record[2] = 2;
    record[6] = 0x22;
    record[7] = 0x56;
    record[8] = 8;
    Append(file, record);
    Append(file, Bytes(8, 0x11));
    Append(file, Bytes(5, 0));  // padding in front of the next header
  }
  WriteFileBytes("three.str", file);
  int status = -1;
  std::string out = Export({"three.str"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(FileExistsAt("000.wav") && FileExistsAt("001.wav") && FileExistsAt("002.wav"));
  EXPECT_EQ(ReadFileBytes("002.wav").size(), 44u + 32u);

  std::filesystem::create_directory("sub");
  WriteFileBytes("sub/MUSIC.ASF", file);
  Export({"sub/MUSIC.ASF"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(FileExistsAt("sub/MUSIC.wav"));
  EXPECT_FALSE(FileExistsAt("sub/000.wav"));
}

TEST(StreamExportTest, SelfSizedPayloadDecodesMonoEaAdpcm) {
  ScopedWorkDir dir;
  Bytes file;
  AppendText(file, std::string("PT\0\x02", 4));
  AppendU32(file, 16);
  file.resize(16, 0xFF);
  Append(file, MonoFrameOf(3));
  Append(file, MonoFrameOf(3));
  WriteFileBytes("short.str", file);
  int status = -1;
  std::string out = Export({"short.str"}, &status);
  EXPECT_EQ(status, 0);
  Bytes wav = ReadFileBytes("000.wav");
  ASSERT_EQ(wav.size(), 44u + 112u);
  EXPECT_EQ(SamplesOf(wav, 44)[0], 3 * 4096);

  // A header that leaves no payload decodes nothing and fails.
  Bytes empty;
  AppendText(empty, std::string("PT\0\x02", 4));
  AppendU32(empty, 16);
  empty.resize(16, 0xFF);
  WriteFileBytes("empty.str", empty);
  out = Export({"empty.str"}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("decoder returned no data!?\n"), std::string::npos);
}

TEST(StreamExportTest, ReadOnlyOutputIsMadeWritable) {
  ScopedWorkDir dir;
  Bytes file = MonoHeader();
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  WriteFileBytes("song.str", file);
  WriteFileBytes("000.wav", Bytes(3, 0));
  std::filesystem::permissions("000.wav", std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                              std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  int status = -1;
  std::string out = Export({"song.str"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, std::string(kMonoLine) + "'000.wav': removed read-only flag\n\nWriting 000.wav\n0\r\nOperation complete\n");
  EXPECT_EQ(ReadFileBytes("000.wav").size(), 100u);
}

TEST(StreamExportTest, OverlongArgumentsAreRefused) {
  ScopedWorkDir dir;
  int status = -1;
  std::string longFolder(1100, 'd');
  Bytes file = MonoHeader();
  Append(file, ScdEaBlock(15, MonoFrameOf(1)));
  WriteFileBytes("song.str", file);
  EXPECT_EQ(Export({"song.str", longFolder}, &status), "couldn't open '" + longFolder + "'\n");
  EXPECT_EQ(status, 1);
}
