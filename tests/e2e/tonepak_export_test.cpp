// The built converter run as a separate process: standard output, exit
// status and the bytes of the files it writes.
#include <gtest/gtest.h>

#include "kickora_version.h"
#include "support/ea_streams.h"
#include "support/run_program.h"
#include "support/test_files.h"

namespace {

ProgramResult Tonepak(const std::vector<std::string>& arguments) { return RunProgram(TONEPAK_PROGRAM, arguments); }

Bytes MonoStream(int frames) {
  SchlHeaderOptions options;
  options.length = static_cast<uint32_t>(28 * frames);
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Bytes data;
  for (int f = 0; f < frames; ++f) {
    data.push_back(0x00);
    for (int i = 0; i < 14; ++i) data.push_back(0x11);
  }
  Append(file, ScdEaBlock(static_cast<uint32_t>(data.size()), data));
  Append(file, SceBlock());
  return file;
}

}  // namespace

TEST(TonepakProgramTest, WithoutArgumentsPrintsTheUsageAndSucceeds) {
  ProgramResult r = Tonepak({});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find(" TONEPAK " TONEPAK_VERSION_TEXT " ("), std::string::npos);
  EXPECT_NE(r.output.find("  pack:   TONEPAK -pack <directory of unpacked files> <new packfile> <index>\n"),
            std::string::npos);
}

TEST(TonepakProgramTest, ExportsAStreamToNumberedWavInTheCurrentDirectory) {
  ScopedWorkDir dir;
  WriteFileBytes("song.str", MonoStream(2));
  ProgramResult r = Tonepak({"song.str"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "Frequency 22050, BitsPerSample 16, Channels 1, Length 56, Mode EA_ADPCM\n"
            "\nWriting 000.wav\n0\r\nOperation complete\n");
  Bytes wav = ReadFileBytes("000.wav");
  ASSERT_EQ(wav.size(), 44u + 112u);
  EXPECT_EQ(U32At(wav, 40), 112u);
  EXPECT_EQ(U32At(wav, 4), 148u);
  std::vector<int16_t> samples = SamplesOf(wav, 44);
  EXPECT_EQ(samples[0], 4096);  // code 1 at scale 0
}

TEST(TonepakProgramTest, FailuresExitWithStatusOne) {
  ScopedWorkDir dir;
  ProgramResult missing = Tonepak({"nothere.str"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "couldn't open 'nothere.str'\n");

  WriteFileBytes("empty.str", {});
  ProgramResult empty = Tonepak({"empty.str"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.output, "");

  ProgramResult usage = Tonepak({"-unpack", "only.pak"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_NE(usage.output.find(" Usage:\n\n"), std::string::npos);
}

TEST(TonepakProgramTest, DestinationFolderGetsOneSeparator) {
  ScopedWorkDir dir;
  WriteFileBytes("song.str", MonoStream(1));
  std::filesystem::create_directories("out");
  EXPECT_EQ(Tonepak({"song.str", "out"}).status, 0);
  EXPECT_TRUE(FileExistsAt("out/000.wav"));
  std::filesystem::remove("out/000.wav");
  EXPECT_EQ(Tonepak({"song.str", "out/"}).status, 0);
  EXPECT_TRUE(FileExistsAt("out/000.wav"));
}
