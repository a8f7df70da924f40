// The export into memory against the export to a WAV file: the same samples,
// rate and channels for every stream kind, and for a long stream the
// converter's own import coded; banks are refused and nothing is written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "converter/api/tonepak_api.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

// A 20-second stereo song coded by the import (plain or split EA ADPCM):
// many regular blocks.
Bytes CodedSong(bool split) {
  tonepak::MemoryImportRequest request;
  request.rate = 22050;
  request.channels = 2;
  for (int i = 0; i < 22050 * 20; ++i) {
    const double t = i / 22050.0;
    request.samples.push_back(static_cast<int16_t>(9000 * std::sin(2 * std::numbers::pi * 440 * t)));
    request.samples.push_back(static_cast<int16_t>(7000 * std::sin(2 * std::numbers::pi * 660 * t)));
  }
  SchlHeaderOptions stereo;
  stereo.channels = 2;
  stereo.eaAdpcm2 = split;
  request.original = SchlHeader(stereo);
  Append(request.original, SccBlock(1));
  Append(request.original, ScdEaBlock(28, Bytes(30, 0)));
  Append(request.original, SceBlock());
  const tonepak::Result coded = tonepak::ImportFromMemory(request);
  EXPECT_TRUE(coded.ok()) << coded.Text();
  return coded.bytes;
}

TEST(ExportToMemory, GivesTheSamplesOfTheFirstWavFileTheExportWrites) {
  struct Case {
    const char* name;
    Bytes stream;
  } cases[] = {{"mono SCHl", MonoSchl()},      {"KWK", KwkStream()},
               {"1SNh", OneSnhStream()},        {"coded song", CodedSong(false)},
               {"split song", CodedSong(true)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkDir dir;
    WriteFileBytes("song.str", c.stream);
    const tonepak::Result memory = tonepak::DecodeStreamToMemory({"song.str"});
    ASSERT_TRUE(memory.ok()) << memory.Text();
    EXPECT_TRUE(memory.written.empty());
    EXPECT_FALSE(FileExistsAt("000.wav"));

    std::filesystem::create_directory("wav");
    ASSERT_TRUE(tonepak::Export({"song.str", "wav", "wav", 0}).ok());
    const Bytes wav = ReadFileBytes("wav/000.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(memory.decoded.samples, SamplesOf(Bytes(wav.begin() + 44, wav.begin() + 44 + (wav.size() - 44) / 2 * 2)));
    EXPECT_EQ(memory.decoded.channels, U16At(wav, 22));
    EXPECT_EQ(static_cast<uint32_t>(memory.decoded.rate), U32At(wav, 24));
    EXPECT_GT(memory.decoded.samples.size(), 0u);
  }
}

TEST(ExportToMemory, RefusesABankAndAMissingFile) {
  ScopedWorkDir dir;
  WriteFileBytes("sounds.bnk", Bytes{'B', 'N', 'K', 'l', 0, 0, 0, 0});
  for (const char* name : {"sounds.bnk", "missing.str"}) {
    const tonepak::Result result = tonepak::DecodeStreamToMemory({name});
    EXPECT_FALSE(result.ok()) << name;
    EXPECT_TRUE(result.decoded.samples.empty());
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
}

}  // namespace
