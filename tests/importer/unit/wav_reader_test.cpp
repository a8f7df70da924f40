#include "importer/core/wav/wav_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace tunegrab;

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Tag(Bytes& b, const char* t) { Put(b, static_cast<uint32_t>(t[0] | t[1] << 8 | t[2] << 16 | t[3] << 24), 4); }
void Chunk(Bytes& b, const char* tag, const Bytes& body) {
  Tag(b, tag);
  Put(b, static_cast<uint32_t>(body.size()), 4);
  for (uint8_t x : body) b.push_back(x);
  if (body.size() & 1) b.push_back(0);
}

struct Format {
  uint16_t tag;
  int bits;
  int channels;
  uint32_t rate;
  uint16_t subtype = 0;  // for the extensible tag
};

Bytes FmtBody(const Format& f) {
  Bytes b;
  Put(b, f.tag, 2);
  Put(b, static_cast<uint32_t>(f.channels), 2);
  Put(b, f.rate, 4);
  Put(b, f.rate * f.channels * f.bits / 8, 4);
  Put(b, static_cast<uint32_t>(f.channels * f.bits / 8), 2);
  Put(b, static_cast<uint32_t>(f.bits), 2);
  if (f.tag == 0xFFFE) {
    Put(b, 22, 2);
    Put(b, static_cast<uint32_t>(f.bits), 2);
    Put(b, 3, 4);
    Put(b, f.subtype, 2);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    b.insert(b.end(), tail, tail + 14);
  }
  return b;
}

// Encodes the values in the format's own coding.
Bytes Samples(const Format& f, const std::vector<double>& values) {
  Bytes b;
  const bool isFloat = f.tag == 3 || f.subtype == 3;
  for (double v : values) {
    if (isFloat && f.bits == 32) {
      float x = static_cast<float>(v);
      uint32_t u;
      std::memcpy(&u, &x, 4);
      Put(b, u, 4);
    } else if (isFloat) {
      uint64_t u;
      std::memcpy(&u, &v, 8);
      Put(b, static_cast<uint32_t>(u), 4);
      Put(b, static_cast<uint32_t>(u >> 32), 4);
    } else if (f.bits == 8) {
      b.push_back(static_cast<uint8_t>(std::lround(v * 128) + 128));
    } else {
      Put(b, static_cast<uint32_t>(std::lround(v * std::ldexp(1.0, f.bits - 1))), f.bits / 8);
    }
  }
  return b;
}

// A WAV with a LIST chunk of odd size before "fmt " and fact and cue chunks
// between "fmt " and "data".
Bytes Wave(const Format& f, const Bytes& data) {
  Bytes body;
  Tag(body, "WAVE");
  Chunk(body, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'});
  Chunk(body, "fmt ", FmtBody(f));
  Chunk(body, "fact", Bytes(4, 0));
  Chunk(body, "cue ", Bytes(28, 0));
  Chunk(body, "data", data);
  Bytes b;
  Tag(b, "RIFF");
  Put(b, static_cast<uint32_t>(body.size()), 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Outcome Read(const Bytes& bytes, Audio& audio) {
  MemorySource source(bytes);
  return ReadWav(source, audio);
}

const std::vector<double> kValues = {0.5, -0.25, 0.125, -1.0, 0.75, 0.0};

TEST(WavReader, ReadsEveryCodingAndWidthInAnyChunkOrder) {
  const Format formats[] = {{1, 8, 2, 8000},          {1, 16, 1, 44100},        {1, 24, 2, 48000},
                            {1, 32, 1, 96000},        {3, 32, 2, 192000},       {3, 64, 1, 22050},
                            {0xFFFE, 24, 2, 44100, 1}, {0xFFFE, 32, 1, 48000, 3}, {0xFFFE, 64, 2, 32000, 3}};
  for (const Format& f : formats) {
    SCOPED_TRACE(testing::Message() << "tag " << f.tag << " bits " << f.bits << " channels " << f.channels);
    Audio audio;
    Outcome read = Read(Wave(f, Samples(f, kValues)), audio);
    ASSERT_TRUE(read.ok) << read.text;
    EXPECT_EQ(audio.rate, static_cast<int>(f.rate));
    EXPECT_EQ(audio.channels, f.channels);
    ASSERT_EQ(audio.samples.size(), kValues.size() / f.channels * f.channels);
    const double step = f.bits == 8 ? 1.0 / 128 : 1e-6;
    for (size_t i = 0; i < audio.samples.size(); ++i) EXPECT_NEAR(audio.samples[i], kValues[i], step);
  }
}

TEST(WavReader, RefusesWhatItCannotReadWithAReason) {
  const Bytes pcm16 = Samples({1, 16, 2, 44100}, kValues);
  struct Case {
    const char* what;
    Bytes bytes;
    const char* reason;
  };
  Bytes truncated = Wave({1, 16, 2, 44100}, pcm16);
  truncated.resize(truncated.size() - 3);
  Bytes noData = Wave({1, 16, 2, 44100}, pcm16);
  std::memcpy(noData.data() + noData.size() - pcm16.size() - 8, "junk", 4);
  Bytes dataFirst;
  Tag(dataFirst, "RIFF");
  Put(dataFirst, 0, 4);
  Tag(dataFirst, "WAVE");
  Chunk(dataFirst, "data", pcm16);
  Chunk(dataFirst, "fmt ", FmtBody({1, 16, 2, 44100}));
  Bytes shortFmt;
  Tag(shortFmt, "RIFF");
  Put(shortFmt, 0, 4);
  Tag(shortFmt, "WAVE");
  Bytes fmt12 = FmtBody({1, 16, 2, 44100});
  fmt12.resize(12);
  Chunk(shortFmt, "fmt ", fmt12);
  Chunk(shortFmt, "data", pcm16);
  const Case cases[] = {
      {"truncated", truncated, "truncated"},
      {"no data chunk", noData, "no audio"},
      {"data before fmt", dataFirst, "before its format"},
      {"three channels", Wave({1, 16, 3, 44100}, Bytes(18, 0)), "more than two channels"},
      {"ADPCM", Wave({2, 4, 1, 22050}, Bytes(8, 0)), "coding is not supported"},
      {"extensible ADPCM", Wave({0xFFFE, 16, 2, 44100, 2}, pcm16), "coding is not supported"},
      {"12-bit PCM", Wave({1, 12, 1, 22050}, Bytes(8, 0)), "sample width"},
      {"7,999 Hz", Wave({1, 16, 1, 7999}, pcm16), "8,000 to 192,000"},
      {"192,001 Hz", Wave({1, 16, 1, 192001}, pcm16), "8,000 to 192,000"},
      {"short format chunk", shortFmt, "too short"},
      {"not RIFF", Bytes(64, 'x'), "not a WAV file"},
  };
  for (const Case& c : cases) {
    Audio audio;
    Outcome read = Read(c.bytes, audio);
    EXPECT_FALSE(read.ok) << c.what;
    EXPECT_NE(read.text.find(c.reason), std::string::npos) << c.what << ": " << read.text;
  }
}

TEST(WavReader, StreamingSizeReadsToTheEndOfTheFile) {
  Bytes wave = Wave({1, 16, 2, 44100}, Samples({1, 16, 2, 44100}, kValues));
  std::memset(wave.data() + wave.size() - kValues.size() * 2 - 4, 0xFF, 4);
  Audio audio;
  ASSERT_TRUE(Read(wave, audio).ok);
  EXPECT_EQ(audio.samples.size(), kValues.size());
}

}  // namespace
