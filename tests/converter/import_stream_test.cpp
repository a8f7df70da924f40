// Stream re-encoding: the block size list, every data block layout, bare
// "PT" originals, lengths, the progress line, round trips.
#include <gtest/gtest.h>

#include <cstring>

#include "converter/codecs/ea_adpcm_encoder.h"
#include "converter/console/tonepak.h"
#include "converter/containers/stream_import.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

StreamParams ProbeLike(int channels, uint16_t flags) {
  StreamParams params;
  params.channels = static_cast<int16_t>(channels);
  params.codecFlags = flags;
  return params;
}

// Sizes of an SCHl original, read from just behind its first data tag.
std::vector<int32_t> SizesOf(const StreamParams& params, const Bytes& original) {
  WriteFileBytes("orig.asf", original);
  FileHandle file = OpenFile("orig.asf", "rb");
  size_t firstData = 0;
  for (size_t i = 0; i + 4 <= original.size(); i += 4)
    if (std::memcmp(original.data() + i, "SCDl", 4) == 0) {
      firstData = i;
      break;
    }
  std::fseek(file.get(), static_cast<long>(firstData + 4), SEEK_SET);
  return CollectBlockSizes(params, file.get());
}

struct ImportRun {
  int status = -1;
  std::string output;
  Bytes file;
};

ImportRun Import(const Bytes& wav, const Bytes& original, const std::string& extra = "") {
  WriteFileBytes("in.wav", wav);
  WriteFileBytes("orig.asf", original);
  ImportRun run;
  std::vector<std::string> args{"-import", "in.wav", "out.asf", "orig.asf"};
  if (!extra.empty()) args.push_back(extra);
  run.status = RunCommandLine(args, &run.output);
  if (FileExistsAt("out.asf")) run.file = ReadFileBytes("out.asf");
  return run;
}

// The coded bytes the encoder gives for blocks of the given sizes, carrying
// its state from block to block as the import must.
struct ExpectedBlock {
  Bytes coded;
  int16_t history[4];
};
std::vector<ExpectedBlock> EncodeBlocks(const Pcm& pcm, int channels, uint16_t flags, const std::vector<int>& sizes) {
  std::vector<ExpectedBlock> out;
  EaAdpcmState state{};
  size_t at = 0;
  for (int f : sizes) {
    std::vector<int16_t> block(static_cast<size_t>(f) / 2 + 64, 0);
    for (size_t i = 0; i < static_cast<size_t>(f) / 2 && at + i < pcm.size(); ++i) block[i] = pcm[at + i];
    at += static_cast<size_t>(f) / 2;
    ExpectedBlock e;
    e.history[0] = static_cast<int16_t>(state.current1);
    e.history[1] = static_cast<int16_t>(state.previous1);
    e.history[2] = static_cast<int16_t>(state.current2);
    e.history[3] = static_cast<int16_t>(state.previous2);
    std::vector<uint8_t> coded(static_cast<size_t>(f) + 256);
    uint8_t* end = EncodeEaAdpcm(block.data(), coded.data(), state, f, EaAdpcmLayout{channels, (flags & EA_ADPCM2) != 0});
    e.coded.assign(coded.data(), end);
    out.push_back(e);
  }
  return out;
}

}  // namespace

TEST(ImportBlockSizes, FollowTheOriginalFromItsSecondBlockAndDropAShortLastOne) {
  ScopedWorkDir dir;
  StreamParams p = ProbeLike(2, ORIG_SCHL);
  EXPECT_EQ(SizesOf(p, SchlOriginal({}, {1000, 1000, 1000, 400})), (std::vector<int32_t>{4000, 4000}));
  // Two sizes only: a short last one stays.
  EXPECT_EQ(SizesOf(p, SchlOriginal({}, {1000, 1000, 400})), (std::vector<int32_t>{4000, 1600}));
  // A single block tells no size; blocks coding nothing are left out.
  EXPECT_TRUE(SizesOf(p, SchlOriginal({}, {1000})).empty());
  EXPECT_EQ(SizesOf(p, SchlOriginal({}, {1008, 0, 1008, 1008})), (std::vector<int32_t>{4032, 4032}));
}

TEST(ImportBlockSizes, CountWholeFramesByTheOriginalsCoding) {
  ScopedWorkDir dir;
  // Plain mono blocks count bytes: whole 15-byte frames of 56 PCM bytes.
  StreamParams p = ProbeLike(1, ORIG_SCHL);
  EXPECT_EQ(SizesOf(p, SchlOriginal({}, {1590, 1590, 1000})), (std::vector<int32_t>{5936, 3696}));
  EXPECT_EQ(BlockBytesFromCount(p, 14), 0);
  // Split mono counts samples.
  p = ProbeLike(1, ORIG_SCHL | EA_ADPCM2);
  EXPECT_EQ(BlockBytesFromCount(p, 2968), 5936);
  p = ProbeLike(2, ORIG_SCHL | EA_ADPCM2);
  EXPECT_EQ(BlockBytesFromCount(p, 1484), 5936);
  EXPECT_LT(BlockBytesFromCount(p, -5), 0);
  // Hostile sizes stay inside the fixed buffers, in whole stereo frames.
  EXPECT_EQ(SizesOf(p, SchlOriginal({}, {8, 0x40000000, 0x40000000})), (std::vector<int32_t>{kLargestBlockBytes, kLargestBlockBytes}));
  EXPECT_EQ(kLargestBlockBytes % 112, 0);
}

TEST(ImportBlockSizes, SurviveBlocksWhoseSizeWouldStepBackwards) {
  ScopedWorkDir dir;
  StreamParams p = ProbeLike(2, ORIG_SCHL);
  Bytes original = SchlOriginal({}, {1008});
  Bytes bad;
  AppendText(bad, "SCDl");
  AppendU32(bad, 0xFFFFFFF0);  // negative size
  AppendU32(bad, 1008);
  original.insert(original.end() - 8, bad.begin(), bad.end());
  EXPECT_EQ(SizesOf(p, original), (std::vector<int32_t>{4032}));
}

TEST(ImportLengths, NewLengthsStayWholeAndNeverNegative) {
  EXPECT_EQ(NewStreamLength(88200, 2), (22050 - 32) / 32 * 32);
  EXPECT_EQ(NewStreamLength(44100, 1), 22016);
  EXPECT_EQ(NewStreamLength(100, 1), 0);
  EXPECT_EQ(NewStreamLength(0, 2), 0);
  EXPECT_EQ(NewStreamLength(-4, 2), 0);
}

TEST(ImportProgress, TimeTextAndLine) {
  EXPECT_EQ(FormatTimeLeft(0), "00:00");
  EXPECT_EQ(FormatTimeLeft(759), "01:15");
  EXPECT_EQ(FormatTimeLeft(36610), "1:01:01");
  EXPECT_EQ(FormatTimeLeft(-20), "00:00");
  EXPECT_EQ(FormatProgressLine(4000, 1080, 88200, 88200, 0),
            "read:     4000, write:     1080, to go    84200 00:00 (0.0%)           \r");
  EXPECT_EQ(FormatProgressLine(8000, 2160, 88200, 84200, 125),
            "read:     8000, write:     2160, to go    80200 00:12 (4.5%)           \r");
}

class ImportStreamLayouts : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(ImportStreamLayouts, BlocksCarryTheEncodersBytesAndHistoryInTheirLayout) {
  ScopedWorkDir dir;
  const auto [channels, adpcm2] = GetParam();
  const uint16_t flags = adpcm2 ? EA_ADPCM2 : 0;
  PtList list;
  list.channels = channels;
  list.eaAdpcm2 = adpcm2;
  // Counts that make 1,008-sample blocks of every layout, and a short end.
  const uint32_t count = (channels == 1 && !adpcm2) ? 540 : 1008;
  const int f = 2016 * channels;
  const int frames = 3000;
  const Pcm pcm = Music(frames, channels, 22050);
  ImportRun run = Import(WaveFile(channels, 22050, pcm), SchlOriginal(list, {count, count, count, count, 28}));
  ASSERT_EQ(run.status, 0) << run.output;

  const int blocks = (frames * 2 * channels + f - 1) / f;
  std::vector<int> sizes(static_cast<size_t>(blocks), f);
  std::vector<ExpectedBlock> expected = EncodeBlocks(pcm, channels, flags, sizes);
  ImportedStream stream = ParseImportedStream(run.file, adpcm2, channels);
  EXPECT_EQ(stream.header, [&] {
    PtList patched = list;
    patched.length = static_cast<uint32_t>((frames - 32) / 32 * 32);
    Bytes h = PtListBytes(patched);
    while (h.size() % 4) h.push_back(0);
    return h;
  }());
  EXPECT_EQ(stream.declaredBlocks, static_cast<uint32_t>(blocks));
  ASSERT_EQ(stream.blocks.size(), static_cast<size_t>(blocks));
  EXPECT_TRUE(stream.endSeen);
  for (int b = 0; b < blocks; ++b) {
    const DataBlock& got = stream.blocks[static_cast<size_t>(b)];
    const ExpectedBlock& want = expected[static_cast<size_t>(b)];
    const uint32_t g = static_cast<uint32_t>(want.coded.size());
    EXPECT_EQ(got.data, want.coded) << "block " << b;
    EXPECT_EQ(got.pad, (4 - g % 4) % 4);
    if (adpcm2 && channels == 2) {
      EXPECT_EQ(got.size, 28 + g + got.pad);
      EXPECT_EQ(got.count, 14 * g / 15);
      EXPECT_EQ(got.fields, (std::vector<uint32_t>{0, g / 2 + 4}));
    } else if (adpcm2) {
      EXPECT_EQ(got.size, 24 + g + got.pad);
      EXPECT_EQ(got.count, 28 * g / 15);
      EXPECT_EQ(got.fields, (std::vector<uint32_t>{0, g + 4}));
    } else {
      EXPECT_EQ(got.size, 20 + g + got.pad);
      EXPECT_EQ(got.count, channels == 2 ? 28 * g / 30 : g);
    }
    const int carried = channels == 2 ? 4 : 2;
    for (int i = 0; i < carried; ++i) EXPECT_EQ(got.history[static_cast<size_t>(i)], want.history[i]) << "block " << b;
    if (channels == 1 && !adpcm2) {
      EXPECT_EQ(got.history[2], 0);
      EXPECT_EQ(got.history[3], 0);
    }
  }
  // What the converter's own decoders make of it.
  EXPECT_GT(SnrDb(pcm, DecodeImportedStream(stream, adpcm2, channels)), 25.0);
}

INSTANTIATE_TEST_SUITE_P(ImportEveryLayout, ImportStreamLayouts,
                         testing::Values(std::make_tuple(1, false), std::make_tuple(2, false),
                                         std::make_tuple(2, true), std::make_tuple(1, true)));

TEST(ImportStream, PadsBlocksToFourBytes) {
  ScopedWorkDir dir;
  // 5,936 mono bytes code to 1,590 bytes (pad 2); 50 stereo frames to 1,500 (pad 0).
  ImportRun mono = Import(WaveFile(1, 22050, Music(2968, 1, 22050)), SchlOriginal({.channels = 1}, {1590, 1590, 1590}));
  ASSERT_EQ(mono.status, 0) << mono.output;
  ImportedStream m = ParseImportedStream(mono.file, false, 1);
  ASSERT_EQ(m.blocks.size(), 1u);
  EXPECT_EQ(m.blocks[0].data.size(), 1590u);
  EXPECT_EQ(m.blocks[0].pad, 2u);
  EXPECT_EQ(m.blocks[0].size, 1612u);

  ImportRun stereo = Import(WaveFile(2, 22050, Music(1400, 2, 22050)), SchlOriginal({}, {1400, 1400, 1400}));
  ASSERT_EQ(stereo.status, 0) << stereo.output;
  ImportedStream s = ParseImportedStream(stereo.file, false, 2);
  ASSERT_EQ(s.blocks.size(), 1u);
  EXPECT_EQ(s.blocks[0].data.size(), 1500u);
  EXPECT_EQ(s.blocks[0].pad, 0u);
}

TEST(ImportStream, EmptyWaveGivesAStreamWithoutDataBlocks) {
  ScopedWorkDir dir;
  ImportRun run = Import(WaveFile(2, 22050, {}), SchlOriginal({}, {1008, 1008}));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "Original file: channels=2, frequency=22050\nencoding.... \n\nencoding successful\n");
  ImportedStream s = ParseImportedStream(run.file, false, 2);
  EXPECT_EQ(s.declaredBlocks, 0u);
  EXPECT_TRUE(s.blocks.empty());
  EXPECT_TRUE(s.endSeen);
}

TEST(ImportStream, LastBlockIsCodedWholeWithSilenceBehindTheAudio) {
  ScopedWorkDir dir;
  // 1,100 frames into 1,008-frame blocks: the second block holds 92 frames.
  const Pcm pcm = Music(1100, 2, 22050);
  ImportRun run = Import(WaveFile(2, 22050, pcm), SchlOriginal({}, {1008, 1008, 1008}));
  ASSERT_EQ(run.status, 0) << run.output;
  ImportedStream s = ParseImportedStream(run.file, false, 2);
  ASSERT_EQ(s.blocks.size(), 2u);
  EXPECT_EQ(s.blocks[1].count, 1008u);
  Pcm decoded = DecodeImportedStream(s, false, 2);
  ASSERT_EQ(decoded.size(), 2u * 2016u);
  // Silence behind the audio decodes to near silence, not to old buffer data.
  int loudest = 0;
  for (size_t i = 2 * 1100 + 200; i < decoded.size(); ++i) loudest = std::max(loudest, std::abs(int{decoded[i]}));
  EXPECT_LT(loudest, 200);
  // The header announces fewer samples than were coded.
  EXPECT_EQ(run.output.find("Original file: channels=2, frequency=22050\nencoding.... \n"), 0u);
}

TEST(ImportStream, HeaderWithoutLengthKeepsItsLayout) {
  ScopedWorkDir dir;
  PtList list;
  list.withLength = false;
  ImportRun run = Import(WaveFile(2, 22050, Music(500, 2, 22050)), SchlOriginal(list, {1008, 1008}));
  ASSERT_EQ(run.status, 0) << run.output;
  Bytes header = PtListBytes(list);
  while (header.size() % 4) header.push_back(0);
  EXPECT_EQ(ParseImportedStream(run.file, false, 2).header, header);
}

TEST(ImportStream, SingleBlockOriginalCodesDefaultSizedBlocks) {
  ScopedWorkDir dir;
  ImportRun run = Import(WaveFile(2, 22050, Music(3000, 2, 22050)), SchlOriginal({}, {1008}));
  ASSERT_EQ(run.status, 0) << run.output;
  ImportedStream s = ParseImportedStream(run.file, false, 2);
  ASSERT_EQ(s.blocks.size(), 3u);  // 12,000 bytes in 5,936-byte blocks
  EXPECT_EQ(s.blocks[0].count, 1484u);  // 53 frames of 28 sample pairs
}

TEST(ImportStream, BarePtOriginalGetsRawFramesBehindItsHeader) {
  ScopedWorkDir dir;
  PtList list;
  list.channels = 1;
  list.length = 5;
  const Pcm pcm = Music(6000, 1, 22050);
  Bytes original = BarePtOriginal(list);
  ImportRun run = Import(WaveFile(1, 22050, pcm), original);
  ASSERT_EQ(run.status, 0) << run.output;
  // The header up to the end of its list, patched, then padding.
  Bytes header(original.begin(), original.begin() + static_cast<long>(original.size() - 200));
  const uint32_t length = (6000 - 32) / 32 * 32;
  PutU32BE(header.data() + header.size() - 7, length);  // 85h's value, behind it 8Ah 00h FFh
  while (header.size() % 4) header.push_back(0);
  ASSERT_GE(run.file.size(), header.size());
  EXPECT_EQ(Bytes(run.file.begin(), run.file.begin() + static_cast<long>(header.size())), header);
  // 12,000 bytes in three blocks of 5,936 bytes: 106 mono frames each.
  std::vector<ExpectedBlock> expected = EncodeBlocks(pcm, 1, 0, {5936, 5936, 5936});
  Bytes body;
  for (const ExpectedBlock& e : expected) Append(body, e.coded);
  EXPECT_EQ(body.size(), 3u * 1590u);
  EXPECT_EQ(Bytes(run.file.begin() + static_cast<long>(header.size()), run.file.end()), body);
}

TEST(ImportStream, RefusedHeaderLeavesTheDestinationAsItWas) {
  ScopedWorkDir dir;
  Bytes original = SchlOriginal({}, {1008, 1008});
  std::memcpy(original.data() + 8, "XX\0\0", 4);  // no "PT" behind the SCHl size
  WriteFileBytes("out.asf", Bytes{1, 2, 3});
  ImportRun run = Import(WaveFile(2, 22050, Music(500, 2, 22050)), original);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "Original file: channels=1, frequency=22050\ndoptdata!\n");
  EXPECT_EQ(run.file, (Bytes{1, 2, 3}));
  EXPECT_FALSE(FileExistsAt("out.asf.tmp~"));
}

TEST(ImportStream, DestinationMayBeTheOriginalItself) {
  ScopedWorkDir dir;
  const Pcm pcm = Music(3000, 2, 22050);
  WriteFileBytes("in.wav", WaveFile(2, 22050, pcm));
  WriteFileBytes("song.asf", SchlOriginal({}, {1008, 1008, 1008}));
  std::string output;
  ASSERT_EQ(RunCommandLine({"-import", "in.wav", "song.asf", "song.asf"}, &output), 0) << output;
  ImportedStream s = ParseImportedStream(ReadFileBytes("song.asf"), false, 2);
  EXPECT_EQ(s.blocks.size(), 3u);
  EXPECT_GT(SnrDb(pcm, DecodeImportedStream(s, false, 2)), 25.0);
}

TEST(ImportStream, UnwritableDestinationIsFatal) {
  ScopedWorkDir dir;
  ImportRun run;
  WriteFileBytes("in.wav", WaveFile(2, 22050, Music(100, 2, 22050)));
  WriteFileBytes("orig.asf", SchlOriginal({}, {1008, 1008}));
  std::string output;
  EXPECT_EQ(RunCommandLine({"-import", "in.wav", "no/such/dir/out.asf", "orig.asf"}, &output), 1);
  EXPECT_NE(output.find("couldn't open destination file 'no/such/dir/out.asf'\n\n"), std::string::npos) << output;
}

TEST(ImportStream, ExportsAgainWithTheConvertersOwnExport) {
  ScopedWorkDir dir;
  for (bool adpcm2 : {false, true}) {
    for (int channels : {1, 2}) {
      PtList list;
      list.channels = channels;
      list.eaAdpcm2 = adpcm2;
      const Pcm pcm = Music(8000, channels, 22050);
      const uint32_t count = (channels == 1 && !adpcm2) ? 540 : 1008;
      ImportRun run = Import(WaveFile(channels, 22050, pcm), SchlOriginal(list, {count, count, count}));
      ASSERT_EQ(run.status, 0) << run.output;
      std::string output;
      ASSERT_EQ(RunCommandLine({"out.asf"}, &output), 0) << output;
      Bytes wav = ReadFileBytes("out.wav");  // named after the .asf stream
      ASSERT_GT(wav.size(), 44u);
      Pcm decoded = SamplesOf(wav, 44);
      EXPECT_GE(decoded.size(), pcm.size()) << channels << adpcm2;
      EXPECT_GT(SnrDb(pcm, decoded), 25.0) << "channels " << channels << " split " << adpcm2;
    }
  }
}
