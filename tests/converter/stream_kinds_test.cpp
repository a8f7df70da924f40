// The older header kinds and their data blocks, end to end through export.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "converter/containers/stream_decode.h"
#include "converter/containers/stream_header.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

Bytes EacsRecord(int rate, int channels, uint32_t payload) {
  Bytes record(28, 0);
  record[0] = static_cast<uint8_t>(rate);
  record[1] = static_cast<uint8_t>(rate >> 8);
  record[5] = static_cast<uint8_t>(channels);
  record[8] = static_cast<uint8_t>(payload);
  record[9] = static_cast<uint8_t>(payload >> 8);
  return record;
}

// "1SNd" block of the EACS row: size, count, four 32-bit IMA fields.
Bytes OneSndBlock(uint32_t count, const Bytes& data, int index1, int index2, int predictor1, int predictor2) {
  Bytes b;
  AppendText(b, "1SNd");
  AppendU32(b, static_cast<uint32_t>(28 + data.size()));
  AppendU32(b, count);
  for (int v : {index1, index2, predictor1, predictor2}) AppendU32(b, static_cast<uint32_t>(v));
  Append(b, data);
  return b;
}

std::string Export(const std::vector<std::string>& args, int* status) {
  std::string out;
  *status = RunCommandLine(args, &out);
  return out;
}

}  // namespace

TEST(OlderStreamsTest, OneSnhStreamDecodesImaBlocksWithTheirOwnState) {
  ScopedWorkDir dir;
  Bytes file;
  AppendText(file, "1SNh");
  AppendU32(file, 44);
  AppendText(file, "EACS");
  Append(file, EacsRecord(22050, 2, 0));
  AppendU32(file, 0);  // rest of the 1SNh block
  // The header line comes from the EACS record; the block walk starts at
  // the end of the 1SNh block.
  Append(file, OneSndBlock(1, {0x77}, 0, 0, 0, 0));
  Append(file, OneSndBlock(1, {0x78}, 0, 0, 100, -100));
  Append(file, OneSndBlock(0, {0x70, 0x07}, 88, 0, 0, 0));  // count 0 takes every byte
  WriteFileBytes("old.asf", file);
  int status = -1;
  std::string out = Export({"old.asf"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "Frequency 22050, BitsPerSample 16, Channels 2, Length 0, Mode IMA_ADPCM\n\nWriting old.wav\n0\r1\r2\r"
                 "\nOperation complete\n");
  // Block 2 starts from its own predictors (100, -100); block 3 from step
  // index 88, where code 7 is limited to 32767 and stays there.
  EXPECT_EQ(SamplesOf(ReadFileBytes("old.wav"), 44),
            (std::vector<int16_t>{11, 11, 100 + 11, -100 + 0, 32767, 0, 32767, 11}));
}

TEST(OlderStreamsTest, BnkTagMakesTheFollowingPtSelfSizedWithAHundredBytes) {
  ScopedWorkDir dir;
  Bytes file;
  AppendText(file, "BNKl");
  AppendText(file, std::string("PT\0\0", 4));
  file.resize(file.size() + 100, 0xFF);
  Bytes frame{0x00};
  frame.resize(15, 0x22);
  Append(file, frame);
  WriteFileBytes("bank.str", file);
  ConversionContext ctx;
  FileHandle f = OpenFile("bank.str", "rb");
  int32_t payload = static_cast<int32_t>(file.size());
  EXPECT_TRUE(ReadStreamHeader(ctx, f.get(), payload));
  EXPECT_EQ(payload, static_cast<int32_t>(file.size()) - 108);
  EXPECT_EQ(std::ftell(f.get()), 108);
}

TEST(OlderStreamsTest, ImaBlocksOfSchlStreamsUseTheSixteenBitState) {
  ScopedWorkDir dir;
  SchlHeaderOptions options;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Bytes block;
  AppendText(block, "SCDl");
  AppendU32(block, 21);
  AppendU32(block, 1);
  for (int v : {-50, 0, 0, 0}) AppendU16(block, static_cast<uint16_t>(v));
  block.push_back(0x70);
  Append(file, block);
  WriteFileBytes("ima.str", file);
  int status = -1;
  Export({"ima.str", "2", "."}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(SamplesOf(ReadFileBytes("000.wav"), 44), (std::vector<int16_t>{-50 + 11, -50 + 13}));
}

#ifndef _WIN32
TEST(OlderStreamsTest, AFullDiskIsReportedAsAWriteError) {
  FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  std::setvbuf(full, nullptr, _IONBF, 0);
  ScopedWorkDir dir;
  ConversionContext ctx;
  ctx.params.codecFlags = EA_ADPCM;
  Bytes file = ScdEaBlock(15, Bytes(15, 0));
  WriteFileBytes("blocks.bin", file);
  FileHandle in = OpenFile("blocks.bin", "rb");
  bool ok = DecodeBlocks(ctx, in.get(), full, -1);
  std::fclose(full);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ctx.messages, (std::vector<std::string>{"0\r", "write error (disk full?)\n"}));
}
#endif
