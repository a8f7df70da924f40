// The importer's FLAC decoder against ffmpeg, run as a black box: files
// that ffmpeg encodes with many settings must decode to exactly the
// samples of ffmpeg's own decode (FLAC is lossless), a file with variable
// block sizes to those of its source, and damaged files as the reader
// promises (a damaged frame silent, a cut-off end ending the song).
#include "importer/core/flac/flac_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "importer/core/flac/flac_bits.h"
#include "support/run_program.h"
#include "support/test_files.h"

using namespace tunegrab;

namespace {

// A source WAV of the given channel expressions (separated by '|'); the
// filter goes through a file, out of the shell's way.
void MakeSource(const std::string& name, const std::string& channels, int rate, double seconds, const char* codec) {
  const std::string graph = "aevalsrc=" + channels + ":s=" + std::to_string(rate) + ":d=" + std::to_string(seconds);
  WriteFileBytes(name + ".graph", Bytes(graph.begin(), graph.end()));
  RunFfmpeg({"-filter_complex_script", name + ".graph", "-c:a", codec, name});
}

// Any file decoded by ffmpeg as 32-bit samples.
std::vector<int32_t> FfmpegSamples(const std::string& name) {
  RunFfmpeg({"-i", name, "-f", "s32le", name + ".raw"});
  const Bytes raw = ReadFileBytes(name + ".raw");
  std::vector<int32_t> samples(raw.size() / 4);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int32_t>(U32At(raw, 4 * i));
  return samples;
}

Audio Ours(const Bytes& file, Outcome& outcome) {
  MemorySource source(file);
  Audio audio;
  outcome = ReadFlac(source, audio);
  return audio;
}

// Our samples equal theirs exactly ([from, to) frames of ours against the
// same frames of theirs; every frame when to is 0).
void ExpectSame(const Audio& ours, const std::vector<int32_t>& theirs, int channels, const std::string& what) {
  ASSERT_EQ(ours.channels, channels) << what;
  ASSERT_EQ(ours.samples.size(), theirs.size()) << what;
  size_t differences = 0, first = 0;
  for (size_t i = 0; i < theirs.size(); ++i)
    if (ours.samples[i] != static_cast<float>(theirs[i] / 2147483648.0) && differences++ == 0) first = i;
  EXPECT_EQ(differences, 0u) << what << ": first at sample " << first;
}

// Where each frame of a valid file starts: a header that parses and a
// CRC-16 that matches up to the next one.
std::vector<size_t> FrameStarts(const Bytes& file, FlacLayout& layout) {
  MemorySource source(file);
  EXPECT_TRUE(ReadFlacLayout(source, layout).ok);
  std::vector<size_t> starts;
  FlacFrameHeader header;
  size_t at = layout.audioOffset;
  while (at < file.size()) {
    starts.push_back(at);
    size_t next = at + 1;
    for (; next < file.size(); ++next) {
      if (!ParseFlacFrameHeader(file.data() + next, file.size() - next, layout.info, header)) continue;
      if (FlacCrc16(file.data() + at, next - at - 2) == (file[next - 2] << 8 | file[next - 1])) break;
    }
    at = next;
  }
  starts.push_back(file.size());
  return starts;
}

// The frame number coded like UTF-8.
Bytes CodedNumber(uint64_t value) {
  if (value < 0x80) return {static_cast<uint8_t>(value)};
  int n = 2;
  while (value >> (5 * n + 1)) ++n;
  Bytes out{static_cast<uint8_t>(((0xFF00 >> n) & 0xFF) | value >> (6 * (n - 1)))};
  for (int i = n - 2; i >= 0; --i) out.push_back(static_cast<uint8_t>(0x80 | ((value >> (6 * i)) & 0x3F)));
  return out;
}

// The frames of a fixed-block-size file, renumbered by their first sample
// as frames of a variable-block-size stream that starts at first.
void AppendAsVariable(const Bytes& file, uint64_t& first, Bytes& out) {
  FlacLayout layout;
  std::vector<size_t> starts = FrameStarts(file, layout);
  for (size_t f = 0; f + 1 < starts.size(); ++f) {
    const uint8_t* frame = file.data() + starts[f];
    FlacFrameHeader header;
    ASSERT_TRUE(ParseFlacFrameHeader(frame, starts[f + 1] - starts[f], layout.info, header));
    Bytes rewritten{0xFF, 0xF9, frame[2], frame[3]};
    Append(rewritten, CodedNumber(first));
    const size_t numberBytes = std::max(1, std::countl_one(frame[4]));
    rewritten.insert(rewritten.end(), frame + 4 + numberBytes, frame + header.bytes - 1);
    rewritten.push_back(FlacCrc8(rewritten.data(), rewritten.size()));
    rewritten.insert(rewritten.end(), frame + header.bytes, frame + (starts[f + 1] - starts[f]) - 2);
    const uint16_t crc = FlacCrc16(rewritten.data(), rewritten.size());
    rewritten.push_back(static_cast<uint8_t>(crc >> 8));
    rewritten.push_back(static_cast<uint8_t>(crc));
    Append(out, rewritten);
    first += static_cast<uint64_t>(header.blockSize);
  }
}

class FlacReader : public testing::Test {
 protected:
  void SetUp() override { RequireFfmpeg(); }
  ScopedWorkDir dir_;
};

const std::string kMusicLeft = "0.3*sin(2*PI*220*t)+0.2*sin(2*PI*1234.5*t)*sin(2*PI*0.7*t)+0.05*(random(0)-0.5)";
const std::string kMusicRight = "0.25*sin(2*PI*330*t+1)+0.2*sin(2*PI*1234.5*t)*cos(2*PI*0.9*t)+0.05*(random(1)-0.5)";
const std::string kStereo = kMusicLeft + "|" + kMusicRight;

TEST_F(FlacReader, DecodesEveryEncodingLikeFfmpeg) {
  struct Case {
    std::string channels;
    int rate;
    double seconds;
    const char* codec;
    std::vector<std::string> encoder;
  };
  const std::string noise = "0.9*(2*random(2)-1)";
  const std::string steps = "floor(8*sin(2*PI*300*t))/8*(1+sgn(t-0.2))/2";  // silence, then wasted low bits
  const std::string loud = "sin(2*PI*50*t)";                               // full scale
  const std::vector<Case> cases = {
      {kMusicLeft, 44100, 0.6345, "pcm_s16le", {"-compression_level", "0"}},
      {kStereo, 44100, 1.25, "pcm_s16le", {}},
      {kStereo, 44100, 0.7, "pcm_s16le", {"-compression_level", "12"}},
      {kStereo, 96000, 0.55, "pcm_s24le", {"-compression_level", "8", "-ch_mode", "mid_side"}},
      {kStereo, 22050, 0.65, "pcm_s16le", {"-ch_mode", "left_side", "-lpc_type", "fixed"}},
      {kStereo, 48000, 0.45, "pcm_s24le", {"-ch_mode", "right_side", "-exact_rice_parameters", "1"}},
      {kStereo, 11025, 0.5, "pcm_s16le", {"-ch_mode", "indep", "-frame_size", "1000", "-multi_dim_quant", "1"}},
      {kStereo, 32000, 0.4, "pcm_s16le",
       {"-lpc_type", "cholesky", "-min_prediction_order", "32", "-max_prediction_order", "32", "-strict", "-2"}},
      {noise + "|" + steps, 12000, 0.7, "pcm_s16le", {"-frame_size", "200"}},
      {loud + "|" + steps, 8000, 0.6, "pcm_s24le", {}},
      {kMusicLeft + "|" + kMusicRight + "|" + steps + "|" + noise + "|" + loud + "|" + kMusicLeft, 48000, 0.5,
       "pcm_s16le", {}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::string name = "case" + std::to_string(i);
    MakeSource(name + ".wav", c.channels, c.rate, c.seconds, c.codec);
    std::vector<std::string> encode = {"-i", name + ".wav"};
    encode.insert(encode.end(), c.encoder.begin(), c.encoder.end());
    encode.push_back(name + ".flac");
    RunFfmpeg(encode);
    Outcome outcome;
    const Audio ours = Ours(ReadFileBytes(name + ".flac"), outcome);
    ASSERT_TRUE(outcome.ok) << name << ": " << outcome.text;
    EXPECT_EQ(ours.rate, c.rate) << name;
    const int channels = static_cast<int>(std::count(c.channels.begin(), c.channels.end(), '|')) + 1;
    ExpectSame(ours, FfmpegSamples(name + ".flac"), channels, name);
  }
}

TEST_F(FlacReader, DecodesVariableBlockSizes) {
  // Two encodes of one source with different block sizes, spliced into one
  // stream whose frames are numbered by sample.
  MakeSource("source.wav", kStereo, 44100, 2.0, "pcm_s16le");
  const int split = 40000;
  RunFfmpeg({"-i", "source.wav", "-af", "atrim=end_sample=" + std::to_string(split), "-frame_size", "4608", "a.flac"});
  RunFfmpeg({"-i", "source.wav", "-af", "atrim=start_sample=" + std::to_string(split), "-frame_size", "1152", "b.flac"});
  const Bytes a = ReadFileBytes("a.flac");
  FlacLayout layout;
  const size_t audioOffset = FrameStarts(a, layout).front();
  Bytes spliced(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(audioOffset));
  uint64_t samples = 0;
  AppendAsVariable(a, samples, spliced);
  AppendAsVariable(ReadFileBytes("b.flac"), samples, spliced);
  // STREAMINFO: block sizes 16 to 4608, frame sizes and checksum unknown.
  const Bytes info = {0x00, 0x10, 0x12, 0x00, 0, 0, 0, 0, 0, 0};
  std::copy(info.begin(), info.end(), spliced.begin() + 8);
  spliced[21] = static_cast<uint8_t>((spliced[21] & 0xF0) | (samples >> 32));
  for (int i = 0; i < 4; ++i) spliced[22 + i] = static_cast<uint8_t>(samples >> (24 - 8 * i));
  std::fill(spliced.begin() + 26, spliced.begin() + 42, 0);
  WriteFileBytes("variable.flac", spliced);

  const std::vector<int32_t> source = FfmpegSamples("source.wav");
  ASSERT_EQ(samples * 2, source.size());
  EXPECT_EQ(FfmpegSamples("variable.flac"), source) << "ffmpeg reads the spliced stream";
  Outcome outcome;
  ExpectSame(Ours(spliced, outcome), source, 2, "variable block sizes");
  EXPECT_TRUE(outcome.ok) << outcome.text;
}

TEST_F(FlacReader, PassesOverDamage) {
  MakeSource("source.wav", kStereo, 44100, 2.0, "pcm_s16le");
  RunFfmpeg({"-i", "source.wav", "source.flac"});
  const Bytes file = ReadFileBytes("source.flac");
  const std::vector<int32_t> source = FfmpegSamples("source.wav");
  FlacLayout layout;
  const std::vector<size_t> starts = FrameStarts(file, layout);
  ASSERT_GT(starts.size(), 12u);
  const size_t block = static_cast<size_t>(layout.info.maxBlockSize) * 2;  // samples of one frame

  // A damaged frame in the middle: silent, everything else as it was.
  Bytes damaged = file;
  damaged[(starts[3] + starts[4]) / 2] ^= 0x55;
  Outcome outcome;
  Audio ours = Ours(damaged, outcome);
  ASSERT_TRUE(outcome.ok) << outcome.text;
  std::vector<int32_t> expected = source;
  std::fill(expected.begin() + static_cast<std::ptrdiff_t>(3 * block), expected.begin() + static_cast<std::ptrdiff_t>(4 * block), 0);
  ExpectSame(ours, expected, 2, "a damaged frame");

  // A damaged frame header, and a file cut off in the middle of frame 9:
  // the song ends after frame 8.
  Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>((starts[9] + starts[10]) / 2));
  cut[starts[6] + 2] ^= 0x10;
  ours = Ours(cut, outcome);
  ASSERT_TRUE(outcome.ok) << outcome.text;
  expected.assign(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(9 * block));
  std::fill(expected.begin() + static_cast<std::ptrdiff_t>(6 * block), expected.begin() + static_cast<std::ptrdiff_t>(7 * block), 0);
  ExpectSame(ours, expected, 2, "a cut-off file");

  // Nothing but noise after the header blocks: damaged.
  Bytes noise(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(starts[0]));
  for (size_t i = 0; i < 20000; ++i) noise.push_back(static_cast<uint8_t>(i * 2654435761u >> 13));
  Ours(noise, outcome);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.kind, Failure::Damaged);
}

}  // namespace
