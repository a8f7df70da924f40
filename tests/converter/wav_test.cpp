#include <gtest/gtest.h>

#include <string>

#include "converter/containers/wav.h"
#include "converter/context/state.h"
#include "converter/support/fatal.h"
#include "converter/support/file_io.h"
#include "support/test_files.h"

namespace {

Bytes WaveHeader(int channels, int rate, int bits, int formatSize = 16) {
  Bytes w;
  AppendText(w, "RIFF");
  AppendU32(w, 0);
  AppendText(w, "WAVEfmt ");
  AppendU32(w, static_cast<uint32_t>(formatSize));
  AppendU16(w, 1);
  AppendU16(w, static_cast<uint32_t>(channels));
  AppendU32(w, static_cast<uint32_t>(rate));
  AppendU32(w, static_cast<uint32_t>(rate * channels * bits / 8));
  AppendU16(w, static_cast<uint32_t>(channels * bits / 8));
  AppendU16(w, static_cast<uint32_t>(bits));
  w.resize(20 + static_cast<size_t>(formatSize), 0);
  return w;
}

Bytes DataChunk(uint32_t size) {
  Bytes d;
  AppendText(d, "data");
  AppendU32(d, size);
  d.resize(d.size() + size, 0x42);
  return d;
}

struct WaveRead {
  int32_t bytes = -1;
  long position = -1;
  std::string fatal;
  StreamParams params;
};

WaveRead Read(const Bytes& file) {
  ScopedWorkDir dir;
  WriteFileBytes("in.wav", file);
  FileHandle f = OpenFile("in.wav", "rb");
  WaveRead r;
  try {
    r.bytes = ReadWaveInput(f.get(), r.params);
    r.position = std::ftell(f.get());
  } catch (const FatalError& e) {
    r.fatal = e.what();
  }
  return r;
}

}  // namespace

TEST(WaveInputTest, PlainFileGivesChannelsRateAndDataPosition) {
  Bytes file = WaveHeader(2, 44100, 16);
  Append(file, DataChunk(400));
  WaveRead r = Read(file);
  EXPECT_EQ(r.bytes, 400);
  EXPECT_EQ(r.position, 44);
  EXPECT_EQ(r.params.channels, 2);
  EXPECT_EQ(r.params.waveFrequency, 44100);
}

TEST(WaveInputTest, ExtraFormatBytesAndListChunksArePassedOver) {
  Bytes file = WaveHeader(1, 22050, 16, 18);
  AppendText(file, "LIST");
  AppendU32(file, 26);
  AppendText(file, "INFOISFT");
  AppendU32(file, 14);
  AppendText(file, "kickora test\0\0");
  Append(file, DataChunk(10));
  WaveRead r = Read(file);
  EXPECT_EQ(r.bytes, 10);
  EXPECT_EQ(r.position, static_cast<long>(file.size() - 10));
}

TEST(WaveInputTest, DataMustEndWithinTwoThousandBytes) {
  // The window search counts one step per byte behind offset 36.
  Bytes atLimit = WaveHeader(1, 22050, 16);
  atLimit.resize(36 + 2000 - 4, 0);
  Append(atLimit, DataChunk(2));
  EXPECT_EQ(Read(atLimit).bytes, 2);
  Bytes beyond = WaveHeader(1, 22050, 16);
  beyond.resize(36 + 2001 - 4, 0);
  Append(beyond, DataChunk(2));
  EXPECT_EQ(Read(beyond).fatal, "corrupt wave file");
  EXPECT_EQ(Read(WaveHeader(1, 22050, 16)).fatal, "corrupt wave file");
}

TEST(WaveInputTest, WrongFilesAreRefused) {
  Bytes eightBit = WaveHeader(1, 22050, 8);
  Append(eightBit, DataChunk(4));
  EXPECT_EQ(Read(eightBit).fatal, "16 bits per sample wave file required\n");

  Bytes rifx = WaveHeader(1, 22050, 16);
  std::copy_n("RIFX", 4, rifx.begin());
  EXPECT_EQ(Read(rifx).fatal, "not wave sound file");
  EXPECT_EQ(Read(Bytes{}).fatal, "not wave sound file");
}

TEST(WavHeaderTest, PlaceholdersUntilFinished) {
  ScopedWorkDir dir;
  StreamParams params;
  params.channels = 1;
  params.frequency = 11025;
  {
    FileHandle out = OpenFile("out.wav", "wb");
    WriteWavHeader(out.get(), params);
  }
  Bytes header = ReadFileBytes("out.wav");
  ASSERT_EQ(header.size(), 44u);
  EXPECT_EQ(std::string(header.begin(), header.begin() + 16), "RIFF    WAVEfmt ");
  EXPECT_EQ(U32At(header, 24), 11025u);
  EXPECT_EQ(U32At(header, 28), 22050u);
  EXPECT_EQ(std::string(header.begin() + 36, header.end()), "data    ");
  {
    FileHandle out = OpenFile("out.wav", "r+b");
    FinishWavHeader(out.get(), params, 44100);
  }
  Bytes finished = ReadFileBytes("out.wav");
  EXPECT_EQ(U32At(finished, 4), 44136u);
  EXPECT_EQ(U32At(finished, 24), 22050u);
  EXPECT_EQ(U32At(finished, 28), 44100u);
  EXPECT_EQ(U16At(finished, 32), 2u);
  EXPECT_EQ(U32At(finished, 40), 44100u);
}
