// The import command and the probe of the original sound: kinds, header
// values, where the original is left, every message of the command.
#include <gtest/gtest.h>

#include <cstring>

#include "converter/context/context.h"
#include "converter/modes/import.h"
#include "converter/support/file_io.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

struct Probe {
  std::string output;
  long position = -1;
  StreamParams params;
  ImportState import;
};

Probe ProbeFile(const Bytes& original, int slot = -1) {
  WriteFileBytes("orig", original);
  FileHandle file = OpenFile("orig", "rb");
  ConversionContext ctx;
  ProbeOriginal(ctx, file.get(), slot);
  Probe probe;
  for (const std::string& message : ctx.messages) probe.output += message;
  probe.position = std::ftell(file.get());
  probe.params = ctx.params;
  probe.import = ctx.import;
  return probe;
}

std::string RunImport(const std::vector<std::string>& arguments, int* status = nullptr) {
  std::vector<std::string> all{"-import"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::string output;
  int result = RunCommandLine(all, &output);
  if (status) *status = result;
  return output;
}

Bytes TwoSampleBank() {
  const uint32_t data = kBankDataStart;
  return Bank({{}, BankHeader({BankList(1, 11025, 300, data)}), BankHeader({BankList(2, 44100, 200, data + 64)})},
              Bytes(128, 0));
}

}  // namespace

TEST(ImportProbe, SchlOriginalGivesItsHeaderAndStopsBehindTheFirstDataTag) {
  ScopedWorkDir dir;
  PtList list;
  list.frequency = 44100;
  list.length = 123456;
  Bytes original = SchlOriginal(list, {1008, 1008});
  Probe probe = ProbeFile(original);
  EXPECT_EQ(probe.output, "Original file: channels=2, frequency=44100\n");
  EXPECT_EQ(probe.params.codecFlags, ORIG_SCHL);
  EXPECT_EQ(probe.params.length, 123456);
  const size_t firstData = 8 + (PtListBytes(list).size() + 3) / 4 * 4 + 12;
  ASSERT_EQ(std::memcmp(original.data() + firstData, "SCDl", 4), 0);
  EXPECT_EQ(probe.position, static_cast<long>(firstData + 4));
  // The header copy holds the list from its "PT" tag on.
  Bytes pt = PtListBytes(list);
  EXPECT_EQ(std::memcmp(probe.import.headerCopy, pt.data(), pt.size()), 0);
}

TEST(ImportProbe, SplitFieldAddsEaAdpcm2ToTheKind) {
  ScopedWorkDir dir;
  PtList list;
  list.eaAdpcm2 = true;
  Probe probe = ProbeFile(SchlOriginal(list, {1008}));
  EXPECT_EQ(probe.params.codecFlags, ORIG_SCHL | EA_ADPCM2);
}

TEST(ImportProbe, SchlWithoutPtListKeepsDefaultsAndAnEmptyHeaderCopy) {
  ScopedWorkDir dir;
  Bytes original = SchlOriginal({}, {1008});
  std::memcpy(original.data() + 8, "PT\0\x01", 4);
  Probe probe = ProbeFile(original);
  EXPECT_EQ(probe.output, "Original file: channels=1, frequency=22050\n");
  EXPECT_EQ(probe.params.length, 0);
  for (uint8_t b : probe.import.headerCopy) ASSERT_EQ(b, 0);
  EXPECT_EQ(std::memcmp(original.data() + probe.position - 4, "SCDl", 4), 0);
}

TEST(ImportProbe, BarePtHeaderFileIsReadFromItsStart) {
  ScopedWorkDir dir;
  PtList list;
  list.channels = 1;
  list.frequency = 32000;
  Probe probe = ProbeFile(BarePtOriginal(list));
  EXPECT_EQ(probe.output, "Original file: channels=1, frequency=32000\n");
  EXPECT_EQ(probe.params.codecFlags, ORIG_PT);
  EXPECT_EQ(std::memcmp(probe.import.headerCopy, "PT\0\x02", 4), 0);
}

TEST(ImportProbe, BankAsksForTheKindOnlyOrReadsTheSample) {
  ScopedWorkDir dir;
  Probe kind = ProbeFile(TwoSampleBank(), -1);
  EXPECT_EQ(kind.output, "");
  EXPECT_EQ(kind.params.codecFlags, ORIG_BNK);
  Probe sample = ProbeFile(TwoSampleBank(), 2);
  EXPECT_EQ(sample.output, "Original file: channels=2, frequency=44100\n");
  EXPECT_EQ(sample.import.dataOffset, static_cast<int32_t>(kBankDataStart + 64));
  EXPECT_EQ(sample.params.length, 200);
}

TEST(ImportCommand, RefusesWhatItCannotUse) {
  ScopedWorkDir dir;
  WriteFileBytes("in.wav", WaveFile(2, 22050, Music(100, 2, 22050)));
  WriteFileBytes("bank.bnk", TwoSampleBank());
  WriteFileBytes("junk", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0});
  WriteFileBytes("out", Bytes{9, 9});
  int status = 0;

  EXPECT_EQ(RunImport({"none.wav", "out", "bank.bnk"}, &status), "couldn't open 'none.wav'\n\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(RunImport({"in.wav", "out", "none.asf"}, &status), "couldn't open original sound file 'none.asf'\n\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(RunImport({"in.wav", "out", "junk"}, &status), "unknown/unsupported original sound file\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk"}, &status), "BNK importing needs BNK sample number\n");
  EXPECT_EQ(status, 1);
  // Sample numbers start at 1; the message shows the slot.
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk", "1"}, &status), "Can't find BNK 0\n");
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk", "4"}, &status), "Can't find BNK 3\n");
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk", "0"}, &status), "Can't find BNK -1\n");
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk", "-7"}, &status), "Can't find BNK -8\n");
  EXPECT_EQ(RunImport({"in.wav", "out", "bank.bnk", "x"}, &status), "Can't find BNK -1\n");
  EXPECT_EQ(status, 1);
  // An 8-bit WAV is refused by the WAV reader before the original is looked at.
  WriteFileBytes("8bit.wav", WaveFile(1, 22050, {}, 8));
  EXPECT_EQ(RunImport({"8bit.wav", "out", "none.asf"}, &status), "16 bits per sample wave file required\n\n");
  // Nothing of this touched the destination.
  EXPECT_EQ(ReadFileBytes("out"), (Bytes{9, 9}));
}

TEST(ImportCommand, RefusesOriginalsOfMoreThanTwoChannels) {
  ScopedWorkDir dir;
  PtList list;
  list.channels = 6;
  WriteFileBytes("in.wav", WaveFile(2, 22050, Music(100, 2, 22050)));
  WriteFileBytes("orig.asf", SchlOriginal(list, {1008, 1008}));
  int status = 0;
  EXPECT_EQ(RunImport({"in.wav", "out.asf", "orig.asf"}, &status),
            "Original file: channels=6, frequency=22050\nunknown/unsupported original sound file\n");
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(FileExistsAt("out.asf"));
}

TEST(ImportCommand, BankSampleLineAppearsOnceAndTheRunEndsSuccessfully) {
  ScopedWorkDir dir;
  WriteFileBytes("in.wav", WaveFile(1, 11025, Music(100, 1, 11025)));
  WriteFileBytes("bank.bnk", TwoSampleBank());
  int status = 1;
  EXPECT_EQ(RunImport({"in.wav", "out.bnk", "bank.bnk", "2"}, &status),
            "Original file: channels=1, frequency=11025\nencoding... ok\nencoding successful\n");
  EXPECT_EQ(status, 0);
}

TEST(ImportCommand, WaveDataSizeIsTrustedOnlyAsFarAsTheFileGoes) {
  ScopedWorkDir dir;
  // 1,000 stereo frames behind a data size of 0xFFFFFFFF, as a streaming
  // writer leaves it, and behind one that claims far more than the file.
  for (uint32_t claimed : {0xFFFFFFFFu, 40000000u}) {
    Bytes wav = WaveFile(2, 22050, Music(1000, 2, 22050));
    PutU32LE(wav.data() + 40, claimed);
    WriteFileBytes("in.wav", wav);
    WriteFileBytes("orig.asf", SchlOriginal({}, {1008, 1008}));
    int status = 1;
    std::string output = RunImport({"in.wav", "out.asf", "orig.asf"}, &status);
    EXPECT_EQ(status, 0) << output;
    ImportedStream s = ParseImportedStream(ReadFileBytes("out.asf"), false, 2);
    EXPECT_EQ(s.blocks.size(), 1u);
    EXPECT_NE(output.find("read:     4000, write:     1080, to go        0 00:00 (0.0%)"), std::string::npos)
        << output;
  }
}

TEST(ImportCommand, ReadOnlyDestinationIsMadeWritableFirst) {
  ScopedWorkDir dir;
  WriteFileBytes("in.wav", WaveFile(2, 22050, Music(100, 2, 22050)));
  WriteFileBytes("orig.asf", SchlOriginal({}, {1008, 1008}));
  WriteFileBytes("out.asf", Bytes{1});
  std::filesystem::permissions("out.asf", std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  int status = 1;
  std::string output = RunImport({"in.wav", "out.asf", "orig.asf"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find("'out.asf': removed read-only flag\n"), std::string::npos) << output;
  EXPECT_GT(ReadFileBytes("out.asf").size(), 100u);
}
