// BNK banks: finding a sample's header through the slot table.
#include <gtest/gtest.h>

#include "bank_builder.h"
#include "converter/containers/bnk.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

using namespace bank_builder;

class FindBankSampleTest : public ::testing::Test {
 protected:
  int Find(const Bytes& bytes, int slot, int32_t* position = nullptr, int* headerBytes = nullptr) {
    WriteFileBytes("bank.bnk", bytes);
    FileHandle file = OpenFile("bank.bnk", "rb");
    return FindBankSample(file.get(), header, slot, position, headerBytes);
  }
  uint8_t header[kBankHeaderBytes];
  ScopedWorkDir dir;
};

TEST_F(FindBankSampleTest, ReturnsTheHeaderOfAFilledSlotAndItsPosition) {
  Bank bank = BuildBank(2, {Sample(10, Pattern(10, 1)), Sample(20, Pattern(20, 2))});
  int32_t position = 0;
  int headerBytes = 0;
  ASSERT_EQ(Find(bank.bytes, 1, &position, &headerBytes), 1);
  EXPECT_EQ(static_cast<uint32_t>(position), bank.headerPositions[1]);
  EXPECT_EQ(headerBytes, static_cast<int>(bank.bytes.size() - bank.headerPositions[1]));
  EXPECT_TRUE(std::equal(header, header + headerBytes, bank.bytes.begin() + bank.headerPositions[1]));
  // What the file does not hold reads as the end of a list.
  EXPECT_EQ(header[headerBytes], 0xFF);
  EXPECT_EQ(header[kBankHeaderBytes - 1], 0xFF);
}

TEST_F(FindBankSampleTest, TableEntriesCountFromTheirOwnPosition) {
  Bank bank = BuildBank(4, {std::nullopt, Sample(10, Pattern(10, 1))});
  int32_t position = 0;
  ASSERT_EQ(Find(bank.bytes, 1, &position), 1);
  // Version 4 puts the table at 20: slot 1's entry stands at 24.
  EXPECT_EQ(static_cast<uint32_t>(position), 24 + U32At(bank.bytes, 24));
  EXPECT_EQ(header[0], 'P');
}

TEST_F(FindBankSampleTest, VersionDecidesWhereTheTableStarts) {
  Bank bank = BuildBank(4, {Sample(10, Pattern(10, 1))});
  // The same bytes read as version 2 take the table from offset 12, which
  // holds zeros here: an empty slot.
  Bytes asVersion2 = bank.bytes;
  asVersion2[4] = 2;
  EXPECT_EQ(Find(bank.bytes, 0), 1);
  EXPECT_EQ(Find(asVersion2, 0), 0);
}

TEST_F(FindBankSampleTest, EmptySlotsAndSlotsOutsideTheTable) {
  Bank bank = BuildBank(2, {Sample(10, Pattern(10, 1)), std::nullopt});
  EXPECT_EQ(Find(bank.bytes, 1), 0);
  EXPECT_EQ(Find(bank.bytes, 2), -1);
  EXPECT_EQ(Find(bank.bytes, -1), -1);
}

TEST_F(FindBankSampleTest, BadMagicAndUnknownVersionsAreFatal) {
  Bank bank = BuildBank(2, {Sample(10, Pattern(10, 1))});
  Bytes wrongMagic = bank.bytes;
  wrongMagic[2] = 'X';
  try {
    Find(wrongMagic, 0);
    FAIL() << "no error";
  } catch (const FatalError& error) {
    EXPECT_STREQ(error.what(), "No BNK id-string");
  }
  Bytes version3 = bank.bytes;
  version3[4] = 3;
  try {
    Find(version3, 0);
    FAIL() << "no error";
  } catch (const FatalError& error) {
    EXPECT_STREQ(error.what(), "unknown 3");
  }
}

TEST_F(FindBankSampleTest, HeaderOutsideTheFileReadsAsAnEmptyList) {
  Bytes bytes;
  AppendText(bytes, "BNKl");
  AppendU16(bytes, 2);
  AppendU16(bytes, 2);
  AppendU32(bytes, 0);
  AppendU32(bytes, 0x7FFFFFF0);  // far behind the end
  AppendU32(bytes, 0x80000000);  // before the start
  int headerBytes = -1;
  EXPECT_EQ(Find(bytes, 0, nullptr, &headerBytes), 1);
  EXPECT_EQ(headerBytes, 0);
  EXPECT_EQ(header[0], 0xFF);
  EXPECT_EQ(Find(bytes, 1, nullptr, &headerBytes), 1);
  EXPECT_EQ(headerBytes, 0);
}

TEST_F(FindBankSampleTest, TableCutShortReadsAsEmptySlots) {
  Bytes bytes;
  AppendText(bytes, "BNKl");
  AppendU16(bytes, 2);
  AppendU16(bytes, 0x7FFF);
  AppendU32(bytes, 0);
  EXPECT_EQ(Find(bytes, 30000), 0);
}

}  // namespace
