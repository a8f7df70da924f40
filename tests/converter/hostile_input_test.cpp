// Mutated copies of valid files of every kind the export reads: each run
// must end with status 0 or 1 and, under the sanitizers, touch no memory it
// does not own.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

Bytes SelfSized() {
  Bytes file;
  AppendText(file, std::string("PT\0\x02", 4));
  AppendU32(file, 16);
  file.resize(16, 0xFF);
  file.resize(16 + 45, 0x42);
  return file;
}

Bytes SmallBank() {
  Bytes file;
  AppendText(file, "BNKl");
  AppendU16(file, 2);
  AppendU16(file, 2);
  AppendU32(file, 0);
  AppendU32(file, 8);  // slot 0: header at 12 + 8
  AppendU32(file, 0);  // slot 1 empty
  Bytes header = BytesOf({'P', 'T', 0, 0, 0xFD});
  Append(header, PtField(0x85, 30, 2));
  Append(header, PtField(0x88, 48, 4));
  Append(header, BytesOf({0x8A, 0, 0xFF}));
  Append(file, header);
  file.resize(48, 0);
  Append(file, Bytes(30, 0x35));
  return file;
}

Bytes SmallBig() {
  Bytes stream = MonoSchl();
  Bytes file;
  AppendText(file, "BIGF");
  AppendU32(file, 0);
  AppendU32BE(file, 1);
  AppendU32BE(file, 40);
  AppendU32BE(file, 40);
  AppendU32BE(file, static_cast<uint32_t>(stream.size()));
  AppendText(file, std::string("music\\song.asf\0", 15));
  file.resize(40, 0);
  Append(file, stream);
  return file;
}

void Mutate(Bytes& file, std::mt19937& random) {
  int edits = 1 + static_cast<int>(random() % 6);
  for (int e = 0; e < edits && !file.empty(); ++e) {
    size_t at = random() % file.size();
    switch (random() % 5) {
      case 0: file[at] = static_cast<uint8_t>(random()); break;
      case 1: file[at] = 0xFF; break;
      case 2: file[at] = 0x00; break;
      case 3: file[at] = 0x7F; break;
      case 4: file.resize(at); break;  // truncate
    }
  }
}

void RunMutations(const Bytes& seed, uint32_t salt, const std::vector<std::string>& extraArguments = {}) {
  ScopedWorkDir dir;
  std::mt19937 random(salt);
  for (int i = 0; i < 150; ++i) {
    Bytes file = seed;
    Mutate(file, random);
    WriteFileBytes("input.bin", file);
    std::vector<std::string> args{"input.bin"};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    int status = RunCommandLine(args, nullptr);
    ASSERT_TRUE(status == 0 || status == 1) << "mutation " << i << " status " << status;
  }
}

}  // namespace

TEST(HostileInputTest, MutatedStreamsEndCleanly) {
  RunMutations(MonoSchl(), 1);
  RunMutations(SplitStereoSchl(), 2);
  RunMutations(KwkStream(), 3);
  RunMutations(OneSnhStream(), 4);
  RunMutations(SelfSized(), 5);
}

TEST(HostileInputTest, MutatedStreamsWithForcedModesEndCleanly) {
  for (int mode = 1; mode <= 6; ++mode) RunMutations(MonoSchl(), 10u + static_cast<uint32_t>(mode), {std::to_string(mode), "."});
}

TEST(HostileInputTest, MutatedBanksAndArchivesEndCleanly) {
  RunMutations(SmallBank(), 20);
  RunMutations(SmallBank(), 21, {"1", "."});
  RunMutations(SmallBig(), 22);
}

TEST(HostileInputTest, OutputStaysWithinWhatTheFileHolds) {
  ScopedWorkDir dir;
  std::string output;
  // Stereo EA ADPCM blocks without data that announce the largest count:
  // only the frames the blocks brought are decoded (none), so the run fails
  // with the empty-block message instead of writing 32 KB of silence each.
  SchlHeaderOptions stereo;
  stereo.channels = 2;
  Bytes blocks = SchlHeader(stereo);
  for (int k = 0; k < 100; ++k) Append(blocks, ScdEaBlock(8000, {}));
  WriteFileBytes("blocks.asf", blocks);
  EXPECT_EQ(RunCommandLine({"blocks.asf"}, &output), 1);
  EXPECT_NE(output.find("decoder returned no data!?\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes("blocks.wav").size(), 44u);

  // 500 slots that all lead to one header naming the whole bank as data: the
  // export stops once the WAV files hold 16 times the bank and 1 MB.
  Bytes bank;
  AppendText(bank, "BNKl");
  AppendU16(bank, 2);
  AppendU16(bank, 500);
  AppendU32(bank, 0);
  const uint32_t headerAt = 12 + 4 * 500;
  for (uint32_t k = 0; k < 500; ++k) AppendU32(bank, headerAt - (12 + 4 * k));
  Append(bank, BytesOf({'P', 'T', 0, 0, 0xFD}));
  Append(bank, PtField(0x85, 8000, 4));
  Append(bank, PtField(0x88, 0, 4));
  Append(bank, BytesOf({0x8A, 0, 0xFF}));
  bank.resize(8000, 0x21);
  WriteFileBytes("shared.bnk", bank);
  EXPECT_EQ(RunCommandLine({"shared.bnk"}, &output), 1);
  EXPECT_TRUE(output.ends_with("corrupt input file\n"));
  uint64_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    if (entry.path().extension() == ".wav") written += entry.file_size();
  EXPECT_LE(written, 16u * bank.size() + (1u << 20) + 30000u);
  EXPECT_GT(written, 16u * bank.size());
}
