// The import's PCM source: rate and channel conversion on whole frames,
// counts that follow the converted data, reads that span calls.
#include <gtest/gtest.h>

#include "converter/containers/wave_samples.h"
#include "converter/context/context.h"
#include "converter/support/file_io.h"
#include "import_test_support.h"

using namespace import_test;

namespace {

// A WAV of the given samples, opened at its first sample byte, with the
// state the command leaves: the WAV's channels and rate, the original's.
struct Source {
  FileHandle file;
  ConversionContext ctx;
  Source(int waveChannels, int waveRate, int channels, int frequency, const Pcm& samples) {
    ctx.import.waveChannels = static_cast<int16_t>(waveChannels);
    ctx.params.waveFrequency = waveRate;
    ctx.params.channels = static_cast<int16_t>(channels);
    ctx.params.frequency = frequency;
    WriteFileBytes("in.wav", WaveFile(waveChannels, waveRate, samples));
    file = OpenFile("in.wav", "rb");
    std::fseek(file.get(), 44, SEEK_SET);
  }
  // Reads in pieces of the given byte sizes, each filled beyond its end
  // with a marker that must stay.
  Pcm Read(const std::vector<int>& pieces) {
    Pcm all;
    for (int n : pieces) {
      std::vector<int16_t> buffer(static_cast<size_t>(n) / 2 + 4, 0x7777);
      ReadWaveSamples(ctx, reinterpret_cast<uint8_t*>(buffer.data()), n, file.get());
      EXPECT_EQ(buffer[static_cast<size_t>(n) / 2], 0x7777) << "wrote past " << n;
      all.insert(all.end(), buffer.begin(), buffer.begin() + n / 2);
    }
    return all;
  }
};

Pcm Ramp(int count, int start = 1) {
  Pcm out;
  for (int i = 0; i < count; ++i) out.push_back(static_cast<int16_t>(start + i));
  return out;
}

}  // namespace

TEST(ImportWaveSamples, SameFormIsCopiedAndTheEndIsSilence) {
  ScopedWorkDir dir;
  Source s(2, 22050, 2, 22050, Ramp(8));
  EXPECT_EQ(s.Read({12, 12}), (Pcm{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
  EXPECT_EQ(ConvertedByteCount(s.ctx, 16), 16);
  EXPECT_EQ(ConvertedByteCount(s.ctx, 15), 15);  // nothing to convert, nothing rounded
  EXPECT_EQ(ConvertedByteCount(s.ctx, -2), 0);
}

TEST(ImportWaveSamples, DoublingRepeatsWholeFramesAcrossReads) {
  ScopedWorkDir dir;
  // Stereo 22,050 Hz into a 44,100 Hz original: each frame twice, the
  // channels staying in place; pieces of three frames split a pair.
  Source s(2, 22050, 2, 44100, Pcm{1, -1, 2, -2, 3, -3});
  EXPECT_EQ(s.Read({12, 12, 8}), (Pcm{1, -1, 1, -1, 2, -2, 2, -2, 3, -3, 3, -3, 0, 0, 0, 0}));
  EXPECT_EQ(ConvertedByteCount(s.ctx, 12), 24);
  EXPECT_EQ(ConvertedByteCount(s.ctx, 14), 24);  // whole frames only
}

TEST(ImportWaveSamples, HalvingKeepsTheFirstOfEveryTwoFrames) {
  ScopedWorkDir dir;
  Source s(2, 44100, 2, 22050, Pcm{1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6});
  EXPECT_EQ(s.Read({4, 8}), (Pcm{1, -1, 3, -3, 5, -5}));
  EXPECT_EQ(ConvertedByteCount(s.ctx, 24), 12);
  EXPECT_EQ(ConvertedByteCount(s.ctx, 20), 8);
}

TEST(ImportWaveSamples, ChannelsFollowTheOriginal) {
  ScopedWorkDir dir;
  {
    Source mono(1, 22050, 2, 22050, Pcm{5, -6, 7});
    EXPECT_EQ(mono.Read({8, 4}), (Pcm{5, 5, -6, -6, 7, 7}));
    EXPECT_EQ(ConvertedByteCount(mono.ctx, 6), 12);
  }
  {
    // (L + R) / 2 toward zero.
    Source stereo(2, 22050, 1, 22050, Pcm{3, 0, -3, 0, 32767, 32767, -32768, -32767});
    EXPECT_EQ(stereo.Read({6, 2}), (Pcm{1, -1, 32767, -32767}));
    EXPECT_EQ(ConvertedByteCount(stereo.ctx, 16), 8);
  }
  {
    // Both at once: a mono 44,100 Hz WAV into a stereo 22,050 Hz original.
    Source both(1, 44100, 2, 22050, Pcm{1, 2, 3, 4, 5});
    EXPECT_EQ(both.Read({12}), (Pcm{1, 1, 3, 3, 5, 5}));
    EXPECT_EQ(ConvertedByteCount(both.ctx, 10), 8);
  }
}

TEST(ImportWaveSamples, OtherRatesAndOddChannelCountsPassUnchanged) {
  ScopedWorkDir dir;
  Source s(6, 48000, 2, 22050, Ramp(6));
  EXPECT_EQ(WaveRateStep(s.ctx.params), RateStep::Same);
  EXPECT_EQ(s.Read({8, 4}), Ramp(6));
  EXPECT_EQ(ConvertedByteCount(s.ctx, 12), 12);
}

TEST(ImportWaveSamples, ConvertedSongImportsWhole) {
  ScopedWorkDir dir;
  // A 22,050 Hz mono WAV into a 44,100 Hz stereo original: four times the
  // bytes, and the length announces every converted frame.
  const Pcm pcm = Music(3000, 1, 22050);
  WriteFileBytes("in.wav", WaveFile(1, 22050, pcm));
  PtList list;
  list.frequency = 44100;
  WriteFileBytes("orig.asf", SchlOriginal(list, {1008, 1008, 1008}));
  std::string output;
  ASSERT_EQ(RunCommandLine({"-import", "in.wav", "out.asf", "orig.asf"}, &output), 0) << output;
  ImportedStream s = ParseImportedStream(ReadFileBytes("out.asf"), false, 2);
  EXPECT_EQ(s.blocks.size(), 6u);  // 6,000 frames in blocks of 1,008
  EXPECT_NE(output.find("to go        0"), std::string::npos);
  Pcm expected;
  for (int16_t v : pcm)
    for (int i = 0; i < 4; ++i) expected.push_back(v);
  EXPECT_GT(SnrDb(expected, DecodeImportedStream(s, false, 2)), 25.0);
  PtList patched = list;
  patched.length = (6000 - 32) / 32 * 32;
  Bytes header = PtListBytes(patched);
  while (header.size() % 4) header.push_back(0);
  EXPECT_EQ(s.header, header);
}
