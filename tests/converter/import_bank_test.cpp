// Bank sample replacement: the new data in place of the old, the length of
// the target, every data offset behind it moved by the same amount.
#include <gtest/gtest.h>

#include <cstring>

#include "converter/api/tonepak_api.h"
#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/containers/bank_import.h"
#include "converter/context/state.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

constexpr uint32_t T = kBankDataStart;

Bytes Filled(size_t size, uint8_t value) { return Bytes(size, value); }

Bytes Coded(const Pcm& pcm, int channels, uint16_t flags = 0) {
  const EaAdpcmLayout layout{channels, (flags & EA_ADPCM2) != 0};
  std::vector<int16_t> buffer(pcm);
  buffer.resize(buffer.size() + 112, 0);
  std::vector<uint8_t> out(pcm.size() + 256);
  EaAdpcmState state{};
  uint8_t* end = EncodeEaAdpcm(buffer.data(), out.data(), state, static_cast<int32_t>(pcm.size() * 2), layout);
  return Bytes(out.data(), end);
}

struct BankRun {
  int status = -1;
  std::string output;
  Bytes bank;
};

BankRun ImportInto(const Bytes& bank, const Pcm& pcm, int waveChannels, long long number,
                   const std::string& destination = "out.bnk") {
  WriteFileBytes("in.wav", WaveFile(waveChannels, 22050, pcm));
  WriteFileBytes("bank.bnk", bank);
  BankRun run;
  const tonepak::Result result = tonepak::Import({"in.wav", destination, "bank.bnk", number});
  run.status = result.ok() ? 0 : 1;
  run.output = result.Text();
  if (FileExistsAt(destination)) run.bank = ReadFileBytes(destination);
  return run;
}

Pcm DecodeMono(const Bytes& bank, size_t at, size_t bytes) {
  EaAdpcmState state;
  state.count = static_cast<int32_t>(bytes);
  std::vector<uint8_t> out(bytes / 15 * 56 + 64);
  uint8_t* end = DecodeEaAdpcmMono(bank.data() + at, out.data(), state);
  return SamplesOf(Bytes(out.data(), end));
}

}  // namespace

TEST(ImportBankLength, FollowsTheFrameCountOfTheNewAudio) {
  EXPECT_EQ(NewBankSampleLength(44100, 1), 23584);
  EXPECT_EQ(NewBankSampleLength(44100, 2), (787 * 15 - 32) / 32 * 32);
  EXPECT_EQ(NewBankSampleLength(40, 1), 0);
  EXPECT_EQ(NewBankSampleLength(0, 1), 0);
}

TEST(ImportBank, NewSampleTakesTheOldOnesPlaceAndMovesWhatFollows) {
  ScopedWorkDir dir;
  // 44,100 bytes of mono PCM: 788 frames, 11,820 bytes, length 23,584.
  const Pcm pcm = Music(22050, 1, 22050);
  Bytes data = Filled(3000, 0xA1);
  Append(data, Filled(400, 0xB2));
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 5000, T)}), BankHeader({BankList(1, 22050, 700, T + 3000)})},
                          data);
  BankRun run = ImportInto(bank, pcm, 1, 1);
  ASSERT_EQ(run.status, 0) << run.output;
  const Bytes coded = Coded(pcm, 1);
  ASSERT_EQ(coded.size(), 11820u);
  ASSERT_EQ(run.bank.size(), T + 11820 + 400);
  // In front of the data only the target's length changed.
  Bytes front = bank;
  front.resize(T);
  Bytes gotFront(run.bank.begin(), run.bank.begin() + T);
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(2, 0)), 23584u);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(2, 0)), T);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(2, 1)), T + 11820);
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(2, 1)), 700u);
  size_t differing = 0;
  for (size_t i = 0; i < T; ++i) differing += front[i] != gotFront[i];
  EXPECT_LE(differing, 4u + 2u);  // two bytes of the length, two of the moved offset
  EXPECT_EQ(Bytes(run.bank.begin() + T, run.bank.begin() + T + 11820), coded);
  EXPECT_EQ(Bytes(run.bank.begin() + T + 11820, run.bank.end()), Filled(400, 0xB2));
  EXPECT_GT(SnrDb(pcm, DecodeMono(run.bank, T, 11820)), 25.0);
}

TEST(ImportBank, ShorterAudioMovesLaterDataBack) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(280, 1, 22050);  // 10 frames, 150 bytes, G = 152
  Bytes data = Filled(1000, 0x11);
  Append(data, Filled(100, 0x22));
  Append(data, Filled(60, 0x33));
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 1, T + 1000)}), BankHeader({BankList(1, 22050, 1, T)}),
                           BankHeader({BankList(1, 22050, 1, T + 1100)})},
                          data);
  // Sample 2 holds the data at T; samples 1 and 3 lie behind it.
  BankRun run = ImportInto(bank, pcm, 1, 2);
  ASSERT_EQ(run.status, 0) << run.output;
  const int32_t shift = 152 - 1000;
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(3, 0)), static_cast<uint32_t>(T + 1000 + shift));
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(3, 1)), T);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(3, 2)), static_cast<uint32_t>(T + 1100 + shift));
  ASSERT_EQ(run.bank.size(), T + 152 + 160);
  EXPECT_EQ(run.bank[T + 150], 0);  // rounding to four bytes
  EXPECT_EQ(run.bank[T + 151], 0);
  EXPECT_EQ(Bytes(run.bank.begin() + T + 152, run.bank.begin() + T + 252), Filled(100, 0x22));
  EXPECT_EQ(Bytes(run.bank.begin() + T + 252, run.bank.end()), Filled(60, 0x33));
}

TEST(ImportBank, LastSampleEndsTheBankAndMovesNothing) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(2800, 1, 22050);
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 9, T)}), BankHeader({BankList(1, 22050, 9, T + 64)})},
                          Filled(200, 0x44));
  BankRun run = ImportInto(bank, pcm, 1, 2);
  ASSERT_EQ(run.status, 0) << run.output;
  const Bytes coded = Coded(pcm, 1);
  ASSERT_EQ(run.bank.size(), T + 64 + coded.size());
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(2, 0)), T);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(2, 1)), T + 64);
  EXPECT_EQ(Bytes(run.bank.begin() + T, run.bank.begin() + T + 64), Filled(64, 0x44));
  EXPECT_EQ(Bytes(run.bank.begin() + T + 64, run.bank.end()), coded);
}

TEST(ImportBank, SamplesSharingTheTargetsDataKeepTheirLengthAndOffset) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(560, 1, 22050);  // 20 frames, 300 bytes
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 77, T)}), BankHeader({BankList(1, 22050, 88, T)}),
                           BankHeader({BankList(1, 22050, 99, T + 500)})},
                          Filled(600, 0x55));
  BankRun run = ImportInto(bank, pcm, 1, 2);
  ASSERT_EQ(run.status, 0) << run.output;
  // The first slot naming T is the target, whichever number was asked for.
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(3, 0)), static_cast<uint32_t>(NewBankSampleLength(1120, 1)));
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(3, 1)), 88u);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(3, 1)), T);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(3, 2)), T + 300);
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(3, 2)), 99u);
}

TEST(ImportBank, EveryListOfEveryHeaderIsMovedWhenItPointsBehind) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(1120, 1, 22050);  // 40 frames, 600 bytes
  // Slot 1's first list names data in front of the target, its second list
  // data behind it; slot 2 (behind an empty slot) holds the next data.
  Bytes data = Filled(100, 0x66);
  Append(data, Filled(900, 0x77));
  Append(data, Filled(50, 0x88));
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 1, T + 100)}),
                           BankHeader({BankList(1, 22050, 2, T), BankList(1, 22050, 3, T + 1000)}), {},
                           BankHeader({BankList(1, 22050, 4, T + 1000), BankList(1, 22050, 5, T + 1040)})},
                          data);
  BankRun run = ImportInto(bank, pcm, 1, 1);
  ASSERT_EQ(run.status, 0) << run.output;
  const uint32_t shift = (T + 100 + 600) - (T + 1000);  // negative, as unsigned arithmetic
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 1), 0), T);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 1), 1), T + 1000 + shift);
  EXPECT_EQ(BankLength(run.bank, BankHeaderPosition(4, 1), 1), 3u);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 3), 0), T + 1000 + shift);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 3), 1), T + 1040 + shift);
  ASSERT_EQ(run.bank.size(), T + 100 + 600 + 50);
  EXPECT_EQ(Bytes(run.bank.begin() + T, run.bank.begin() + T + 100), Filled(100, 0x66));
  EXPECT_EQ(Bytes(run.bank.begin() + T + 700, run.bank.end()), Filled(50, 0x88));
}

TEST(ImportBank, NextDataIsTheNearestOffsetWhicheverSlotNamesIt) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(560, 1, 22050);
  // Slot 2 is empty; slot 3's data follows the target's directly, slot 4's
  // lies further on.
  Bytes data = Filled(200, 0x91);
  Append(data, Filled(30, 0x92));
  Append(data, Filled(20, 0x93));
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 1, T)}), {}, BankHeader({BankList(1, 22050, 1, T + 230)}),
                           BankHeader({BankList(1, 22050, 1, T + 200)})},
                          data);
  BankRun run = ImportInto(bank, pcm, 1, 1);
  ASSERT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(run.bank.size(), T + 300 + 50);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 3)), T + 300);
  EXPECT_EQ(BankDataOffset(run.bank, BankHeaderPosition(4, 2)), T + 330);
  EXPECT_EQ(Bytes(run.bank.begin() + T + 300, run.bank.begin() + T + 330), Filled(30, 0x92));
}

TEST(ImportBank, SplitStereoSampleHoldsTheLeftFramesThenTheRight) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(1400, 2, 22050);
  Bytes header = BankHeader({BankList(2, 22050, 1, T)});
  header.insert(header.begin() + 4, {0x0B, 0x01, 0x00});  // EA_ADPCM2
  const Bytes bank = Bank({header}, Filled(100, 0));
  BankRun run = ImportInto(bank, pcm, 2, 1);
  ASSERT_EQ(run.status, 0) << run.output;
  const Bytes coded = Coded(pcm, 2, EA_ADPCM2);
  ASSERT_EQ(coded.size(), 2u * 50u * 15u);
  EXPECT_EQ(Bytes(run.bank.begin() + T, run.bank.end()), coded);
  Pcm left;
  for (size_t i = 0; i < pcm.size(); i += 2) left.push_back(pcm[i]);
  EXPECT_GT(SnrDb(left, DecodeMono(run.bank, T, 750)), 25.0);
}

TEST(ImportBank, BankMayBeItsOwnDestination) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(560, 1, 22050);
  const Bytes bank = Bank({BankHeader({BankList(1, 22050, 1, T)})}, Filled(90, 1));
  BankRun run = ImportInto(bank, pcm, 1, 1, "bank.bnk");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.bank.size(), T + 300);
  EXPECT_FALSE(FileExistsAt("bank.bnk.tmp~"));
}

TEST(ImportBank, LayoutsItCannotRebuildAreRefusedWithoutTouchingTheDestination) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(560, 1, 22050);
  WriteFileBytes("out.bnk", Bytes{7});
  // Data offset in front of the sample's own header.
  BankRun inFront = ImportInto(Bank({BankHeader({BankList(1, 22050, 1, 16)})}, Filled(10, 0)), pcm, 1, 1);
  EXPECT_EQ(inFront.status, 1);
  EXPECT_EQ(inFront.output, "Original file: channels=1, frequency=22050\nencoding... ok\nBNK: this shouldn't happen\n");
  // Data offset beyond the end of the bank.
  BankRun beyond = ImportInto(Bank({BankHeader({BankList(1, 22050, 1, 100000)})}, Filled(10, 0)), pcm, 1, 1);
  EXPECT_EQ(beyond.status, 1);
  EXPECT_NE(beyond.output.find("BNK: this shouldn't happen\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes("out.bnk"), Bytes{7});
  // No audio at all: the encoder has nothing to give.
  BankRun empty = ImportInto(Bank({BankHeader({BankList(1, 22050, 1, T)})}, Filled(10, 0)), {}, 1, 1);
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.output.find("encoder returned no data. this is bug!\n"), std::string::npos) << empty.output;
  EXPECT_EQ(ReadFileBytes("out.bnk"), Bytes{7});
}
