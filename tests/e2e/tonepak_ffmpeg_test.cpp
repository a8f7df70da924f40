// An outside check of the stream decoder: ffmpeg, run as a black box, reads
// the same SCHl streams, and both decodings must agree closely.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "converter/codecs/ea_adpcm_encoder.h"
#include "support/ea_streams.h"
#include "support/run_program.h"
#include "support/test_files.h"
#include "support/wav_reading.h"

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 6.283185307179586;
constexpr int kFramesPerBlock = 20;

// A smooth stereo signal: different chords on the two channels.
std::vector<int16_t> SmoothStereo(int frames) {
  std::vector<int16_t> pcm;
  for (int i = 0; i < frames * 28; ++i) {
    double t = static_cast<double>(i) / kRate;
    pcm.push_back(static_cast<int16_t>(9000 * std::sin(kTwoPi * 220 * t) + 4000 * std::sin(kTwoPi * 330 * t)));
    pcm.push_back(static_cast<int16_t>(7000 * std::sin(kTwoPi * 150 * t) + 5000 * std::cos(kTwoPi * 587 * t)));
  }
  return pcm;
}

Bytes StreamHeader(bool split, uint32_t length) {
  SchlHeaderOptions options;
  options.channels = 2;
  options.length = length;
  options.eaAdpcm2 = split;
  options.compressionField = true;
  Bytes file = SchlHeader(options);
  Append(file, SccBlock(0));
  return file;
}

// Plain EA ADPCM: interleaved 30-byte frames, block history in the header.
Bytes InterleavedStream(const std::vector<int16_t>& pcm) {
  int totalFrames = static_cast<int>(pcm.size() / 56);
  Bytes file = StreamHeader(false, static_cast<uint32_t>(totalFrames * 28));
  EaAdpcmState state;
  for (int f = 0; f < totalFrames; f += kFramesPerBlock) {
    int frames = std::min(kFramesPerBlock, totalFrames - f);
    Bytes data(static_cast<size_t>(30 * frames));
    int16_t history[4] = {static_cast<int16_t>(state.current1), static_cast<int16_t>(state.previous1),
                          static_cast<int16_t>(state.current2), static_cast<int16_t>(state.previous2)};
    EncodeEaAdpcmStereo(pcm.data() + 56 * f, data.data(), state, 112 * frames);
    Append(file, ScdEaBlock(static_cast<uint32_t>(28 * frames), data, history[0], history[1], history[2], history[3]));
  }
  Append(file, SceBlock());
  return file;
}

// EA_ADPCM2: each block holds channel 1's frames, then channel 2's, each
// behind its own history.
Bytes SplitStream(const std::vector<int16_t>& pcm) {
  int totalFrames = static_cast<int>(pcm.size() / 56);
  Bytes file = StreamHeader(true, static_cast<uint32_t>(totalFrames * 28));
  EaAdpcmState left, right;
  for (int f = 0; f < totalFrames; f += kFramesPerBlock) {
    int frames = std::min(kFramesPerBlock, totalFrames - f);
    std::vector<int16_t> l, r;
    for (int i = 0; i < 28 * frames; ++i) {
      l.push_back(pcm[2 * (28 * f + i)]);
      r.push_back(pcm[2 * (28 * f + i) + 1]);
    }
    Bytes block;
    AppendText(block, "SCDl");
    AppendU32(block, static_cast<uint32_t>(28 + 30 * frames));
    AppendU32(block, static_cast<uint32_t>(28 * frames));
    AppendU32(block, 0);
    AppendU32(block, static_cast<uint32_t>(15 * frames + 4));
    for (auto* channel : {&left, &right}) {
      AppendU16(block, static_cast<uint16_t>(channel->current1));
      AppendU16(block, static_cast<uint16_t>(channel->previous1));
      Bytes data(static_cast<size_t>(15 * frames));
      EncodeEaAdpcmMono(channel == &left ? l.data() : r.data(), data.data(), *channel, 56 * frames);
      Append(block, data);
    }
    Append(file, block);
  }
  Append(file, SceBlock());
  return file;
}

double CompareWithFfmpeg(const Bytes& stream, size_t expectedSamplesPerChannel) {
  ScopedWorkDir dir;
  WriteFileBytes("stream.asf", stream);
  ProgramResult ours = RunProgram(TONEPAK_PROGRAM, {"stream.asf"});
  EXPECT_EQ(ours.status, 0) << ours.output;
  ProgramResult theirs = RunProgram("ffmpeg", {"-v", "error", "-y", "-i", "stream.asf", "-f", "wav", "ffmpeg.wav"});
  EXPECT_EQ(theirs.status, 0);
  ParsedWav a = ParseWav(ReadFileBytes("stream.wav"));
  ParsedWav b = ParseWav(ReadFileBytes("ffmpeg.wav"));
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(b.channels, 2);
  EXPECT_EQ(a.rate, kRate);
  EXPECT_EQ(b.rate, kRate);
  EXPECT_EQ(a.samples.size(), 2 * expectedSamplesPerChannel);
  EXPECT_EQ(a.samples.size(), b.samples.size());
  if (a.samples.size() != b.samples.size() || a.samples.empty()) return 0;
  return SnrDb(b.samples, a.samples);
}

class FfmpegComparison : public testing::Test {
 protected:
  void SetUp() override { RequireFfmpeg(); }
};

}  // namespace

TEST_F(FfmpegComparison, StereoEaAdpcmAgrees) {
  std::vector<int16_t> pcm = SmoothStereo(790);  // about one second
  double snr = CompareWithFfmpeg(InterleavedStream(pcm), 790 * 28);
  std::printf("SNR against ffmpeg, EA ADPCM stereo: %.1f dB\n", snr);
  EXPECT_GT(snr, 55.0);
}

TEST_F(FfmpegComparison, StereoEaAdpcm2Agrees) {
  std::vector<int16_t> pcm = SmoothStereo(790);
  double snr = CompareWithFfmpeg(SplitStream(pcm), 790 * 28);
  std::printf("SNR against ffmpeg, EA_ADPCM2 stereo: %.1f dB\n", snr);
  EXPECT_GT(snr, 40.0);
}
