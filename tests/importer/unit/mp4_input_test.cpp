// MP4/M4A input: the reader against files ffmpeg makes (every packet the
// same bytes as ffmpeg's own copy of the stream, the edit list as ffmpeg
// wrote it, cut-off and damaged files), and the packet path with a decoder
// of our own standing in: the decoded frames trimmed to the edit exactly,
// and each kind of file it cannot take left to the fallback decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "importer/core/mp4/aac_config.h"
#include "importer/core/media_input.h"
#include "importer/core/mp4/mp4_input.h"
#include "importer/core/mp4/mp4_reader.h"
#include "support/run_program.h"
#include "support/test_files.h"

using namespace tunegrab;

namespace {

// One second of stereo at 44,100 Hz as AAC in an M4A (with extra ffmpeg
// options); the filter goes through a file, out of the shell's way.
void MakeM4a(const std::string& name, std::vector<std::string> options = {}) {
  const std::string graph = "aevalsrc=0.3*sin(2*PI*440*t)|0.3*sin(2*PI*660*t):s=44100:d=1";
  WriteFileBytes(name + ".graph", Bytes(graph.begin(), graph.end()));
  std::vector<std::string> arguments = {"-filter_complex_script", name + ".graph", "-c:a", "aac", "-b:a", "128k"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(name);
  RunFfmpeg(arguments);
}

// The raw packets of ffmpeg's ADTS copy of a file's AAC stream.
std::vector<Bytes> AdtsPayloads(const std::string& name) {
  RunFfmpeg({"-i", name, "-c", "copy", "-f", "adts", name + ".aac"});
  const Bytes adts = ReadFileBytes(name + ".aac");
  std::vector<Bytes> packets;
  for (size_t at = 0; at + 7 <= adts.size();) {
    const size_t header = (adts[at + 1] & 1) ? 7 : 9;
    const size_t length = static_cast<size_t>((adts[at + 3] & 3) << 11 | adts[at + 4] << 3 | adts[at + 5] >> 5);
    if (length < header || at + length > adts.size()) break;
    packets.emplace_back(adts.begin() + static_cast<std::ptrdiff_t>(at + header), adts.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  }
  return packets;
}

Outcome Read(const Bytes& file, Mp4AudioTrack& track) {
  MemorySource source(file);
  return ReadMp4AudioTrack(source, track);
}

class Mp4Test : public testing::Test {
 protected:
  void SetUp() override { RequireFfmpeg(); }
  ScopedWorkDir dir_;
};

TEST_F(Mp4Test, ReaderFindsEveryPacketTheConfigAndTheEdit) {
  MakeM4a("a.m4a");
  MakeM4a("front.m4a", {"-movflags", "+faststart"});
  MakeM4a("plain.m4a", {"-use_editlist", "0"});
  const std::vector<Bytes> expected = AdtsPayloads("a.m4a");
  ASSERT_GT(expected.size(), 40u);
  for (const char* name : {"a.m4a", "front.m4a"}) {
    const Bytes file = ReadFileBytes(name);
    Mp4AudioTrack track;
    ASSERT_TRUE(Read(file, track).ok) << name;
    EXPECT_EQ(track.timescale, 44100u);
    EXPECT_EQ(track.channels, 2);
    EXPECT_EQ(track.rate, 44100);
    EXPECT_EQ(track.objectType, 0x40);
    ASSERT_EQ(track.packets.size(), expected.size()) << name;
    for (size_t i = 0; i < expected.size(); ++i) {
      const Mp4Packet& p = track.packets[i];
      ASSERT_EQ(Bytes(file.begin() + static_cast<std::ptrdiff_t>(p.offset), file.begin() + static_cast<std::ptrdiff_t>(p.offset + p.size)),
                expected[i]) << name << " packet " << i;
    }
    EXPECT_EQ(track.duration, 1024u + 44100u);  // the last packet lasts as long as the music in it
    EXPECT_TRUE(track.edited);
    EXPECT_EQ(track.editStart, 1024u);  // the encoder's priming
    EXPECT_EQ(track.editLength, 44100u);
    AacConfig config;
    ASSERT_TRUE(ParseAacConfig(track.decoderConfig.data(), track.decoderConfig.size(), config));
    EXPECT_TRUE(IsPlainAacLc(config));
    EXPECT_EQ(config.rate, 44100);
    EXPECT_EQ(config.channels, 2);
  }
  Mp4AudioTrack plain;
  ASSERT_TRUE(Read(ReadFileBytes("plain.m4a"), plain).ok);
  EXPECT_FALSE(plain.edited);

  // A file cut off in its audio keeps the packets wholly inside it.
  Bytes cut = ReadFileBytes("front.m4a");
  cut.resize(cut.size() / 2);
  Mp4AudioTrack part;
  ASSERT_TRUE(Read(cut, part).ok);
  EXPECT_GT(part.packets.size(), 5u);
  EXPECT_LT(part.packets.size(), expected.size());
  EXPECT_LE(part.packets.back().offset + part.packets.back().size, cut.size());
  // A movie box claiming more than the file holds, or a packet size table
  // claiming more entries than its box: damaged, nothing read past them.
  Bytes overlong = ReadFileBytes("front.m4a");
  const size_t moov = static_cast<size_t>(std::search(overlong.begin(), overlong.end(), std::begin("moov"), std::end("moov") - 1) -
                                          overlong.begin()) - 4;
  overlong[moov] = 0x7F;
  EXPECT_EQ(Read(overlong, part).kind, Failure::Damaged);
  Bytes table = ReadFileBytes("front.m4a");
  const size_t stsz = static_cast<size_t>(std::search(table.begin(), table.end(), std::begin("stsz"), std::end("stsz") - 1) - table.begin());
  table[stsz + 12] = 0x00;
  table[stsz + 13] = 0x04;  // 262,144+ entries in a box of a few hundred bytes
  EXPECT_EQ(Read(table, part).kind, Failure::Damaged);

  // Configs left to the media decoder: SBR named (24 kHz core), 960-sample
  // packets, a channel layout given by a program config element.
  for (const Bytes& bytes : {Bytes{0x2B, 0x11, 0x88, 0x00}, Bytes{0x12, 0x14}, Bytes{0x12, 0x00}}) {
    AacConfig config;
    EXPECT_TRUE(ParseAacConfig(bytes.data(), bytes.size(), config));
    EXPECT_FALSE(IsPlainAacLc(config));
  }
}

// Gives 1,024 frames a packet of a ramp that tells each frame's place,
// holding one packet back until the end when asked.
class FakeAac : public AacDecoder {
 public:
  bool open = true, holdOne = false, doubled = false;
  int failAt = -1, decoded = 0;
  bool Open(const AacConfig& config, const std::vector<uint8_t>&, MediaFormat& format) override {
    format.rate = config.rate;
    format.channels = config.channels;
    decoded = 0;
    return open;
  }
  uint32_t Decode(const uint8_t*, size_t, std::vector<float>& pcm) override {
    if (decoded == failAt) return 0x80004005u;
    if (!holdOne || decoded > 0) Give(pcm, doubled ? 2048 : 1024);
    ++decoded;
    return 0;
  }
  uint32_t Drain(std::vector<float>& pcm) override {
    if (holdOne) Give(pcm, 1024);
    return 0;
  }
  void Close() override {}
  static float Value(int64_t frame) { return static_cast<float>(frame % 4096) / 8192; }

 private:
  void Give(std::vector<float>& pcm, int frames) {
    for (int i = 0; i < frames; ++i, ++given_) pcm.insert(pcm.end(), 2, Value(given_));
  }
  int64_t given_ = 0;
};

class CountingFallback : public MediaDecoder {
 public:
  int calls = 0;
  MediaStatus Decode(const std::string&, MediaReceiver&) override {
    ++calls;
    MediaStatus missing;
    missing.ok = false;
    missing.missing = true;
    return missing;
  }
};

TEST_F(Mp4Test, PacketPathKeepsExactlyTheEditAndLeavesTheRestToTheFallback) {
  MakeM4a("a.m4a");
  const std::vector<uint8_t> head = ReadFileBytes("a.m4a");
  for (bool holdOne : {false, true}) {
    FakeAac aac;
    aac.holdOne = holdOne;
    CountingFallback fallback;
    Mp4AacInput input(&aac, fallback);
    Audio song;
    song.rate = 44100;
    song.channels = 2;
    MediaRead read = ReadThroughMediaDecoder(input, "a.m4a", head, song);
    ASSERT_TRUE(read.outcome.ok) << read.outcome.text;
    EXPECT_EQ(fallback.calls, 0);
    ASSERT_EQ(song.Frames(), 44100);  // not a frame of priming or padding, none missing
    EXPECT_EQ(song.samples[0], FakeAac::Value(1024));
    EXPECT_EQ(song.samples[song.samples.size() - 1], FakeAac::Value(1024 + 44099)) << "held back: " << holdOne;
  }
  struct Case {
    const char* what;
    bool useDecoder, open, doubled;
    int failAt;
    int fallbacks;
  };
  const Case cases[] = {{"no decoder", false, true, false, -1, 1},
                        {"decoder refuses the stream", true, false, false, -1, 1},
                        {"a doubled rate", true, true, true, -1, 1},
                        {"fails before any frame", true, true, false, 0, 1},
                        {"fails after frames", true, true, false, 20, 0}};
  for (const Case& c : cases) {
    FakeAac aac;
    aac.open = c.open;
    aac.doubled = c.doubled;
    aac.failAt = c.failAt;
    CountingFallback fallback;
    Mp4AacInput input(c.useDecoder ? &aac : nullptr, fallback);
    Audio song;
    song.rate = 44100;
    song.channels = 2;
    MediaRead read = ReadThroughMediaDecoder(input, "a.m4a", head, song);
    EXPECT_EQ(fallback.calls, c.fallbacks) << c.what;
    EXPECT_FALSE(read.outcome.ok) << c.what;  // the fallback here finds nothing either
  }
  // Not an MP4 file at all.
  WriteFileBytes("notes.m4a", Bytes(100, 'x'));
  FakeAac aac;
  CountingFallback fallback;
  Mp4AacInput input(&aac, fallback);
  Audio song;
  ReadThroughMediaDecoder(input, "notes.m4a", Bytes(64, 'x'), song);
  EXPECT_EQ(fallback.calls, 1);
}

}  // namespace
