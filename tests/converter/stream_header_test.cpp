#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/base/stream_header.h"
#include "converter/containers/stream_header.h"
#include "converter/context/context.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "support/ea_streams.h"
#include "support/test_files.h"

namespace {

struct HeaderResult {
  bool found = false;
  int32_t payload = 0;
  long position = 0;
  std::string printed;
  StreamParams params;
};

HeaderResult ReadHeader(const Bytes& file, int32_t limit) {
  ScopedWorkDir dir;
  WriteFileBytes("s.bin", file);
  FileHandle f = OpenFile("s.bin", "rb");
  HeaderResult r;
  r.payload = limit;
  ConversionContext ctx;
  r.found = ReadStreamHeader(ctx, f.get(), r.payload);
  for (const std::string& message : ctx.messages) r.printed += message;
  r.params = ctx.params;
  r.position = std::ftell(f.get());
  return r;
}

Bytes StandardStereoStream(bool eaAdpcm2 = false) {
  SchlHeaderOptions options;
  options.channels = 2;
  options.length = 123456;
  options.eaAdpcm2 = eaAdpcm2;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  Append(file, ScdEaBlock(28, Bytes(30, 0)));
  return file;
}

}  // namespace

TEST(StreamHeaderTest, StandardSchlStreamStopsAtTheFirstDataBlock) {
  Bytes file = StandardStereoStream();
  HeaderResult r = ReadHeader(file, 999);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.payload, 0);
  EXPECT_EQ(r.printed, "Frequency 22050, BitsPerSample 16, Channels 2, Length 123456, Mode EA_ADPCM\n");
  // The 12 bytes read behind the header block are exactly the SCCl block.
  EXPECT_EQ(r.position, static_cast<long>(file.size() - (20 + 30)));
}

TEST(StreamHeaderTest, FieldElevenMarksEaAdpcm2) {
  HeaderResult r = ReadHeader(StandardStereoStream(true), 0);
  EXPECT_NE(r.printed.find("Mode EA_ADPCM2\n"), std::string::npos);
  EXPECT_EQ(r.params.codecFlags, EA_ADPCM | EA_ADPCM2);
}

TEST(StreamHeaderTest, SelfSizedHeaderTakesThePayloadFromTheLimit) {
  Bytes file;
  AppendText(file, std::string("PT\0\x02", 4));
  AppendU32(file, 40);  // size bytes 0-1: 40
  file.resize(300000, 0x5A);
  HeaderResult r = ReadHeader(file, 300000);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.payload, 299960);
  EXPECT_EQ(r.position, 40);
  EXPECT_EQ(r.printed, "Frequency 22050, BitsPerSample 16, Channels 1, Length 0, Mode EA_ADPCM\n");

  EXPECT_EQ(ReadHeader(file, 600000).payload, 500000 - 40);
  // A second self-sized stream enters with a limit of 0: nothing to decode.
  EXPECT_EQ(ReadHeader(file, 0).payload, -1);
}

TEST(StreamHeaderTest, KwkThenTmplGivesAHalvedMonoPayload) {
  Bytes file;
  AppendText(file, "KWK\x01");
  AppendText(file, "TMpl");
  Bytes record(32, 0);
  record[1] = 4;
  record[2] = 1;
  record[6] = 0x44;  // 44100 as unsigned 16 bits
  record[7] = 0xAC;
  record[8] = 0xE8;  // 1000
  record[9] = 0x03;
  Append(file, record);
  HeaderResult r = ReadHeader(file, 0);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.payload, 500);
  EXPECT_EQ(r.printed, "Frequency 44100, BitsPerSample 4, Channels 1, Length 0, Mode IMA_ADPCM\n");

  Bytes withoutKwk(file.begin() + 4, file.end());
  EXPECT_FALSE(ReadHeader(withoutKwk, 0).found);
}

TEST(StreamHeaderTest, EacsRecordWithAndWithout1SNh) {
  Bytes eacs;
  AppendText(eacs, "EACS");
  Bytes record(28, 0);
  record[0] = 0x44;
  record[1] = 0xAC;
  record[5] = 2;
  record[8] = 100;
  Append(eacs, record);

  HeaderResult bare = ReadHeader(eacs, 0);
  EXPECT_TRUE(bare.found);
  EXPECT_EQ(bare.payload, 100);
  EXPECT_EQ(bare.printed, "");
  EXPECT_TRUE(bare.params.eacsSeen);

  Bytes file;
  AppendText(file, "1SNh");
  AppendU32(file, 48);
  Append(file, eacs);
  file.resize(48 + 12, 0);
  HeaderResult block = ReadHeader(file, 0);
  EXPECT_TRUE(block.found);
  EXPECT_EQ(block.payload, 0);
  EXPECT_EQ(block.position, 48);
  EXPECT_EQ(block.printed, "Frequency 44100, BitsPerSample 16, Channels 2, Length 0, Mode IMA_ADPCM\n");
}

TEST(StreamHeaderTest, ScanGivesUpAfterTenThousandUnits) {
  Bytes atLimit(4 * 10000, 0);
  AppendText(atLimit, "SCDl");
  EXPECT_TRUE(ReadHeader(atLimit, 0).found);
  Bytes beyond(4 * 10001, 0);
  AppendText(beyond, "SCDl");
  EXPECT_FALSE(ReadHeader(beyond, 0).found);
  EXPECT_FALSE(ReadHeader(Bytes{}, 0).found);
}

TEST(StreamHeaderTest, PtWithoutASizeIsFatalWithoutLineBreak) {
  Bytes file;
  AppendText(file, std::string("PT\0\x01", 4));
  ScopedWorkDir dir;
  WriteFileBytes("s.bin", file);
  std::string out;
  EXPECT_EQ(RunCommandLine({"s.bin"}, &out), 1);
  EXPECT_EQ(out, "something wrong with SCHl identifier...");
}

TEST(StreamHeaderTest, OversizedHeaderIsSkippedToWhereAWholeReadEnds) {
  Bytes file;
  AppendText(file, "SCHl");
  AppendU32(file, 2000);
  AppendText(file, std::string("PT\0\0", 4));
  file.push_back(0xFD);
  Append(file, PtField(0x82, 2, 1));
  file.push_back(0xFF);
  file.resize(2000 + 12, 0);
  AppendText(file, "SCDl");
  HeaderResult r = ReadHeader(file, 0);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.position, 2012);
  EXPECT_EQ(r.params.channels, 2);
}

// The song manager's summary, read from a head of the file in memory.
TEST(StreamSummaryTest, SchlHeadGivesRateAndSampleCount) {
  SchlHeaderOptions options;
  options.channels = 2;
  options.frequency = 44100;
  options.length = 123456;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(1));
  const size_t whole = file.size() + 4;  // the scan stops on the data tag
  Append(file, ScdEaBlock(28, Bytes(30, 0)));
  kickora::StreamSummary summary{};
  ASSERT_TRUE(kickora::ReadStreamSummary(file.data(), file.size(), summary));
  EXPECT_EQ(summary.channels, 2);
  EXPECT_EQ(summary.frequency, 44100);
  EXPECT_EQ(summary.sampleCount, 123456);
  // Each head cut short of the data tag is refused; every head is copied
  // to a buffer of its own size so that a read past it is caught.
  for (size_t size = 0; size < whole; ++size) {
    Bytes head(file.begin(), file.begin() + static_cast<long>(size));
    EXPECT_FALSE(kickora::ReadStreamSummary(head.data(), head.size(), summary)) << size;
  }
  Bytes head(file.begin(), file.begin() + static_cast<long>(whole));
  EXPECT_TRUE(kickora::ReadStreamSummary(head.data(), head.size(), summary));
}

TEST(StreamSummaryTest, DamagedHeadersAreRefused) {
  kickora::StreamSummary summary{};
  Bytes stray;  // a field list outside any SCHl block that is not self-sized
  AppendText(stray, std::string("PT\0\x01", 4));
  stray.resize(64, 0);
  AppendText(stray, "SCDl");
  EXPECT_FALSE(kickora::ReadStreamSummary(stray.data(), stray.size(), summary));

  // A self-sized header that runs past the head: the converter would take
  // zeros for the rest, the summary does not.
  Bytes selfSized;
  AppendText(selfSized, std::string("PT\0\x02", 4));
  AppendU32(selfSized, 200);
  selfSized.resize(200, 0xFF);
  EXPECT_TRUE(kickora::ReadStreamSummary(selfSized.data(), selfSized.size(), summary));
  EXPECT_EQ(summary.frequency, 22050);
  EXPECT_EQ(summary.sampleCount, 0);
  Bytes cut(selfSized.begin(), selfSized.begin() + 150);
  EXPECT_FALSE(kickora::ReadStreamSummary(cut.data(), cut.size(), summary));
}

// Field lists read and patched in place.
TEST(HeaderFieldsTest, ReadsSubFieldsBigEndianAndIgnoresOthers) {
  Bytes list;
  AppendText(list, std::string("PT\0\0", 4));
  list.push_back(0xFC);
  Append(list, BytesOf({0x10, 0xFF, 1, 2, 3, 4}));
  list.resize(list.size() + 255, 0x11);  // a long top-level field
  list.push_back(0xFD);
  Append(list, PtField(0x83, 0x77, 1));
  Append(list, BytesOf({0x84, 3, 0x00, 0x56, 0x22}));
  Append(list, BytesOf({0x85, 6, 9, 9, 0, 0, 0x10, 0x00}));  // only the last four count
  Append(list, PtField(0x88, 0x123456, 3));
  Append(list, PtField(0x82, 0x10002, 4));  // channels keep the low 16 bits
  list.push_back(0xFF);
  int16_t channels = 0;
  int32_t frequency = 0, length = 0, offset = 0;
  uint16_t flags = 0x0001;
  int end = ProcessHeaderFields(list.data(), static_cast<int>(list.size()), FieldMode::Read,
                                HeaderFields{&channels, &frequency, &length, &flags, &offset});
  EXPECT_EQ(end, static_cast<int>(list.size()) - 1);
  EXPECT_EQ(frequency, 22050);
  EXPECT_EQ(length, 0x1000);
  EXPECT_EQ(offset, 0x123456);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(flags, 0x0001);
}

TEST(HeaderFieldsTest, EmptyValueReadsZeroAndMissingFieldsKeepTheirValues) {
  Bytes list = BytesOf({0xFE, 0xFD, 0x84, 0x00, 0xFF});
  int32_t frequency = 123, length = 77;
  ProcessHeaderFields(list.data(), static_cast<int>(list.size()), FieldMode::Read,
                      HeaderFields{nullptr, &frequency, &length});
  EXPECT_EQ(frequency, 0);
  EXPECT_EQ(length, 77);
}

TEST(HeaderFieldsTest, WalksSeveralListsAndStopsOnFF) {
  Bytes lists = BytesOf({0xFD, 0x88, 1, 10, 0x8A, 0, 0xFE});
  Bytes header;
  AppendText(header, std::string("PT\0\0", 4));
  Append(header, lists);  // first list ends at the FEh
  Append(header, BytesOf({0xFD, 0x88, 1, 20, 0x8A, 0, 0xFF}));
  int32_t offset = 0;
  int size = static_cast<int>(header.size());
  int first = ProcessHeaderFields(header.data(), size, FieldMode::Read, HeaderFields{.dataOffset = &offset});
  EXPECT_EQ(header[first], 0xFE);
  EXPECT_EQ(offset, 10);
  int second = ProcessHeaderFields(header.data() + first, size - first, FieldMode::Read,
                                   HeaderFields{.dataOffset = &offset});
  EXPECT_EQ(offset, 20);
  EXPECT_EQ(header[first + second], 0xFF);
  EXPECT_EQ(ProcessHeaderFields(header.data() + first + second, size - first - second, FieldMode::Read,
                                HeaderFields{.dataOffset = &offset}),
            0);
}

TEST(HeaderFieldsTest, PatchKeepsWidthsAndOnlyTouchesGivenFields) {
  Bytes list = BytesOf({0xFE, 0xFD, 0x82, 1, 1, 0x84, 2, 0x56, 0x22, 0x85, 6, 0, 0, 0, 0, 0, 0, 0x88, 4, 1, 2, 3, 4,
                        0x83, 1, 7, 0xFF});
  int16_t channels = 2;
  int32_t frequency = 44100, length = 0x01020304;
  uint16_t flags = 0;
  ProcessHeaderFields(list.data(), static_cast<int>(list.size()), FieldMode::Patch,
                      HeaderFields{&channels, &frequency, &length, &flags});
  Bytes expected = BytesOf({0xFE, 0xFD, 0x82, 1, 2, 0x84, 2, 0xAC, 0x44, 0x85, 6, 1, 2, 3, 4, 0, 0, 0x88, 4, 1, 2,
                            3, 4, 0x83, 1, 7, 0xFF});
  EXPECT_EQ(list, expected);
  EXPECT_EQ(channels, 2);  // patch mode reads nothing back
}

TEST(HeaderFieldsTest, BadStartIsFatalAndAListRunningOffTheBufferEnds) {
  Bytes bad = BytesOf({0x00});
  EXPECT_THROW(ProcessHeaderFields(bad.data(), 1, FieldMode::Read, HeaderFields{}), FatalError);
  Bytes cut = BytesOf({0xFE, 0xFD, 0x84, 0x04, 0x00});
  int32_t frequency = 0;
  int end = ProcessHeaderFields(cut.data(), static_cast<int>(cut.size()), FieldMode::Read,
                                HeaderFields{.frequency = &frequency});
  EXPECT_EQ(end, static_cast<int>(cut.size()));
  EXPECT_EQ(frequency, 0x00FFFFFF);  // the missing bytes read as FFh
}

TEST(CodecModeNameTest, HighestCodecBitNamesTheMode) {
  EXPECT_STREQ(CodecModeName(0x0021), "EA_ADPCM2");
  EXPECT_STREQ(CodecModeName(0x0003), "IMA_ADPCM");
  EXPECT_STREQ(CodecModeName(0x0010), "UNCOMP_8");
  EXPECT_STREQ(CodecModeName(0x0700), "<unknown>");
}
