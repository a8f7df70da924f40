// BNK banks: the export of every sample to a WAV file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "bank_builder.h"
#include "converter/codecs/ea_adpcm.h"
#include "converter/containers/bnk.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using namespace bank_builder;

Bytes WavData(const fs::path& path) {
  Bytes wav = ReadFileBytes(path);
  return wav.size() < 44 ? Bytes{} : Bytes(wav.begin() + 44, wav.end());
}

class BankTest : public ::testing::Test {
 protected:
  int Export(const Bank& bank, std::vector<std::string> extra = {}) {
    WriteFileBytes("bank.bnk", bank.bytes);
    extra.insert(extra.begin(), "bank.bnk");
    return RunCommandLine(extra, &output);
  }

  ScopedWorkDir dir;
  std::string output;
};

// --- Export: files, names and messages ----------------------------------

TEST_F(BankTest, BankWithoutSlotsWritesNothing) {
  EXPECT_EQ(Export(BuildBank(2, {})), 0);
  EXPECT_EQ(output, "BNK contains 0 samples\n");
  EXPECT_FALSE(FileExistsAt("001.wav"));
}

TEST_F(BankTest, NamesFollowTheSlotNumbersAcrossEmptySlots) {
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1)), std::nullopt, Sample(30, Pattern(30, 3))});
  EXPECT_EQ(Export(bank), 0);
  EXPECT_TRUE(FileExistsAt("001.wav"));
  EXPECT_FALSE(FileExistsAt("002.wav"));
  EXPECT_TRUE(FileExistsAt("003.wav"));
  EXPECT_THAT(output, HasSubstr("BNK contains 3 samples\n"));
  EXPECT_THAT(output, HasSubstr("3: BNK offset " + std::to_string(bank.headerPositions[2]) + ", data " +
                                std::to_string(bank.dataOffsets[2]) + "\n"));
}

TEST_F(BankTest, PrintsEachSampleAsDescribed) {
  BankSample sample = Sample(30, Pattern(30, 1), 1);
  sample.lists[0].frequency = 11025;
  Bank bank = BuildBank(2, {sample});
  EXPECT_EQ(Export(bank), 0);
  // 30 bytes decode as two 15-byte EA ADPCM frames: 56 samples.
  EXPECT_EQ(output, "BNK contains 1 samples\n"
                    "1: BNK offset " + std::to_string(bank.headerPositions[0]) + ", data " +
                        std::to_string(bank.dataOffsets[0]) +
                        "\n"
                        "Frequency 11025, BitsPerSample 16, Channels 1, Length 30, Mode EA_ADPCM\n"
                        "00000070 112\n");
}

TEST_F(BankTest, SamplesAreWrittenToTheCurrentDirectoryWhateverTheDestination) {
  fs::create_directory("out");
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1))});
  EXPECT_EQ(Export(bank, {"out"}), 0);
  EXPECT_TRUE(FileExistsAt("001.wav"));
  EXPECT_FALSE(FileExistsAt(fs::path("out") / "001.wav"));
}

TEST_F(BankTest, ReadOnlyOutputIsMadeWritableAndReplaced) {
  WriteFileBytes("001.wav", Bytes(3, 'x'));
  fs::permissions("001.wav", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(Export(BuildBank(2, {Sample(30, Pattern(30, 1))})), 0);
  EXPECT_THAT(output, HasSubstr("'001.wav': removed read-only flag\n"));
  EXPECT_EQ(ReadFileBytes("001.wav").size(), 44u + 112u);
}

TEST_F(BankTest, OutputThatCannotBeCreatedFailsWithoutMessage) {
  fs::create_directory("002.wav");
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1)), Sample(30, Pattern(30, 2)), Sample(30, Pattern(30, 3))});
  EXPECT_EQ(Export(bank), 1);
  EXPECT_TRUE(FileExistsAt("001.wav"));
  EXPECT_FALSE(FileExistsAt("003.wav"));
  EXPECT_THAT(output, Not(HasSubstr("couldn't")));
}

// --- Export: decoding ------------------------------------------------------

TEST_F(BankTest, ForcedEaAdpcmReadsAsManyBytesAsTheHeaderGivesSamples) {
  // 2,800 samples: 2,800 bytes are read and decoded as 186 mono frames.
  Bank bank = BuildBank(2, {Sample(2800, Pattern(2800, 5))});
  EXPECT_EQ(Export(bank, {"1"}), 0);
  Bytes pcm = WavData("001.wav");
  ASSERT_EQ(pcm.size(), 10416u);

  EaAdpcmState state;
  state.count = 2800;
  Bytes expected(4 * 2800 + 64);
  Bytes data = Pattern(2800, 5);
  uint8_t* end = DecodeEaAdpcmMono(data.data(), expected.data(), state);
  expected.resize(static_cast<size_t>(end - expected.data()));
  EXPECT_EQ(pcm, expected);
  EXPECT_THAT(output, HasSubstr("Mode forced to 1\n"));
  EXPECT_THAT(output, HasSubstr("Length 2800, Mode EA_ADPCM\n000028B0 10416\n"));
}

TEST_F(BankTest, ForcedUncompressedCopiesExactlyTheSampleData) {
  Bank bank = BuildBank(2, {Sample(40, Pattern(40, 1)), Sample(24, Pattern(24, 2))});
  EXPECT_EQ(Export(bank, {"4"}), 0);
  EXPECT_EQ(WavData("001.wav"), Pattern(40, 1));
  EXPECT_EQ(WavData("002.wav"), Pattern(24, 2));
  EXPECT_THAT(output, HasSubstr("Mode UNCOMP_16\n"));
}

TEST_F(BankTest, WithoutField0BhSamplesDecodeAsEaAdpcm) {
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1))});
  EXPECT_EQ(Export(bank), 0);
  EXPECT_THAT(output, HasSubstr("Mode EA_ADPCM\n"));
  EXPECT_EQ(WavData("001.wav").size(), 112u);
}

TEST_F(BankTest, CodecWithoutDecoderGivesAnEmptyWav) {
  EXPECT_EQ(Export(BuildBank(2, {Sample(30, Pattern(30, 1))}), {"7"}), 0);
  EXPECT_THAT(output, HasSubstr("Mode <unknown>\n"));
  Bytes wav = ReadFileBytes("001.wav");
  ASSERT_EQ(wav.size(), 44u);
  EXPECT_EQ(U32At(wav, 40), 0u);
  EXPECT_EQ(U32At(wav, 4), 36u);
}

TEST_F(BankTest, Field0BhCarriesOverToLaterSamples) {
  BankSample first = Sample(30, Pattern(30, 1));
  first.lists[0].eaAdpcm2 = true;
  Bank bank = BuildBank(2, {first, Sample(30, Pattern(30, 2))});
  EXPECT_EQ(Export(bank), 0);
  const size_t firstMode = output.find("Mode EA_ADPCM2\n");
  ASSERT_NE(firstMode, std::string::npos);
  EXPECT_NE(output.find("Mode EA_ADPCM2\n", firstMode + 1), std::string::npos);
}

TEST_F(BankTest, WavHeaderTakesEachSamplesChannelsAndRate) {
  BankSample stereo = Sample(28, Pattern(60, 1), 2);
  stereo.lists[0].frequency = 44100;
  Bank bank = BuildBank(4, {stereo});
  EXPECT_EQ(Export(bank), 0);
  Bytes wav = ReadFileBytes("001.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(U16At(wav, 22), 2);
  EXPECT_EQ(U32At(wav, 24), 44100u);
  // Stereo EA ADPCM: 28 samples per channel from one 30-byte frame.
  EXPECT_EQ(U32At(wav, 40), 112u);
}

// --- Export: cross-references ---------------------------------------------

// Builds the bank twice: the first pass fixes the layout (offset values do
// not change header sizes), the second fills in offsets from that layout.
template <typename Make>
Bank BuildWithOwnOffsets(Make make) {
  Bank layout = BuildBank(2, make(std::vector<uint32_t>{0, 0, 0}));
  Bank bank = BuildBank(2, make(layout.dataOffsets));
  EXPECT_EQ(bank.dataOffsets, layout.dataOffsets);
  return bank;
}

TEST_F(BankTest, FurtherListsNameTheSlotsHoldingTheirData) {
  Bank bank = BuildWithOwnOffsets([](const std::vector<uint32_t>& data) {
    // Sample 1: one list inside sample 3's data, one beyond the end of the
    // bank (which names no slot). Sample 2: offsets before every region.
    // Sample 3: the data of samples 1 and 2.
    BankSample first = Sample(30, Pattern(30, 1));
    first.lists.push_back(SampleList{1, 22050, 30, data[2] + 5, false});
    first.lists.push_back(SampleList{1, 22050, 30, 0x00FFFFFF, false});
    BankSample second = Sample(30, Pattern(30, 2));
    second.lists.push_back(SampleList{1, 22050, 30, 0, false});
    BankSample third = Sample(30, Pattern(30, 3));
    third.lists.push_back(SampleList{1, 22050, 30, data[0], false});
    third.lists.push_back(SampleList{1, 22050, 30, data[1] + 29, false});
    return std::vector<std::optional<BankSample>>{first, second, third};
  });
  EXPECT_EQ(Export(bank), 0);
  EXPECT_THAT(output, HasSubstr("00000070 112\n->3\n2: "));
  EXPECT_THAT(output, HasSubstr("00000070 112\n3: "));
  EXPECT_THAT(output, HasSubstr("00000070 112\n->1->2\n"));
}

TEST_F(BankTest, EmptySlotRegionStartsAtZero) {
  // Slot 2 is empty, so its table entry is 0: slot 1's region [data 1, 0)
  // holds nothing and slot 2's region [0, data 3) holds slot 1's data.
  Bank bank = BuildWithOwnOffsets([](const std::vector<uint32_t>& data) {
    BankSample third = Sample(30, Pattern(30, 3));
    third.lists.push_back(SampleList{1, 22050, 30, data[0] + 1, false});
    third.lists.push_back(SampleList{1, 22050, 30, data[2], false});
    return std::vector<std::optional<BankSample>>{Sample(30, Pattern(30, 1)), std::nullopt, third};
  });
  EXPECT_EQ(Export(bank), 0);
  EXPECT_THAT(output, HasSubstr("->2->3\n"));
}

TEST_F(BankTest, SingleListHeadersPrintNoReferences) {
  EXPECT_EQ(Export(BuildBank(2, {Sample(30, Pattern(30, 1))})), 0);
  EXPECT_THAT(output, Not(HasSubstr("->")));
  EXPECT_EQ(output.substr(output.size() - 13), "00000070 112\n");
}

// --- Export: hostile banks -------------------------------------------------

TEST_F(BankTest, DataBeyondTheEndDecodesOnlyWhatExists) {
  // Header claims 1,000 samples; the bank holds 24 bytes of data.
  Bank bank = BuildBank(2, {Sample(1000, Pattern(24, 1))});
  EXPECT_EQ(Export(bank, {"4"}), 0);
  EXPECT_EQ(WavData("001.wav"), Pattern(24, 1));
}

TEST_F(BankTest, DataOffsetOutsideTheBankGivesAnEmptySample) {
  BankSample far = Sample(100, Pattern(10, 1));
  far.lists[0].dataOffset = 0xFFFFFFF0u;  // negative as a 32-bit file offset
  BankSample beyond = Sample(100, Pattern(10, 2));
  beyond.lists[0].dataOffset = 0x7FFFFFF0u;
  EXPECT_EQ(Export(BuildBank(2, {far, beyond}), {"4"}), 0);
  EXPECT_EQ(ReadFileBytes("001.wav").size(), 44u);
  EXPECT_EQ(ReadFileBytes("002.wav").size(), 44u);
}

TEST_F(BankTest, HugeLengthOfAStereoEaAdpcm2SampleStaysInItsBuffers) {
  BankSample sample = Sample(0x7FFFFFFF, Pattern(300000, 1), 2);
  sample.lists[0].eaAdpcm2 = true;
  EXPECT_EQ(Export(BuildBank(2, {sample})), 0);
  // The interleaving buffer bounds one sample's output below 1,000,000 bytes.
  const size_t size = WavData("001.wav").size();
  EXPECT_GT(size, 0u);
  EXPECT_LE(size, kScratchBytes);
  EXPECT_EQ(size % 4, 0u);
}

TEST_F(BankTest, SlotCountsBeyondTheFileFindOnlyEmptySlots) {
  Bytes bytes;
  AppendText(bytes, "BNKl");
  AppendU16(bytes, 2);
  AppendU16(bytes, 0x7FFF);
  AppendU32(bytes, 0);
  EXPECT_EQ(Export(Bank{bytes, {}, {}}), 0);
  EXPECT_EQ(output, "BNK contains 32767 samples\n");

  bytes[7] = 0x80;  // a negative count: no slot at all
  EXPECT_EQ(Export(Bank{bytes, {}, {}}), 0);
  EXPECT_EQ(output, "BNK contains -32513 samples\n");
  EXPECT_FALSE(FileExistsAt("001.wav"));
}

TEST_F(BankTest, HeaderThatIsNoFieldListIsFatal) {
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1))});
  bank.bytes[bank.headerPositions[0]] = 0x12;
  EXPECT_EQ(Export(bank), 1);
  EXPECT_THAT(output, HasSubstr("doptdata!\n"));
}

TEST_F(BankTest, UnknownVersionIsFatal) {
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1))});
  bank.bytes[4] = 5;
  EXPECT_EQ(Export(bank), 1);
  EXPECT_EQ(output, "BNK contains 1 samples\nunknown 5\n");
}

TEST_F(BankTest, ListRunningPastTheEndOfTheBankStops) {
  Bank bank = BuildBank(2, {Sample(30, Pattern(30, 1))});
  // Cut the bank inside the header: no FFh ends the list.
  bank.bytes.resize(bank.headerPositions[0] + 9);
  EXPECT_EQ(Export(bank), 0);
  EXPECT_TRUE(FileExistsAt("001.wav"));
}

}  // namespace
