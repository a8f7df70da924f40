#include "importer/core/mp3/mp3_scanner.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tunegrab;

namespace {

using Bytes = std::vector<uint8_t>;

// A frame of silence-like filler: header, then zeros.
// MPEG-1 128 kb/s 44,100 Hz stereo: 417 bytes (418 with padding).
Bytes Frame(uint8_t b1 = 0xFB, uint8_t b2 = 0x90, uint8_t b3 = 0x44) {
  Mp3FrameHeader h;
  const uint8_t header[4] = {0xFF, b1, b2, b3};
  EXPECT_TRUE(ParseMp3FrameHeader(header, h));
  Bytes f(static_cast<size_t>(h.bytes), 0x11);
  std::memcpy(f.data(), header, 4);
  return f;
}

// The first frame with a Xing (or Info) header, all four fields, and a
// LAME tag giving delay and padding.
Bytes InfoFrame(const char* tag, int delay, int padding) {
  Bytes f = Frame();
  std::memset(f.data() + 4, 0, f.size() - 4);
  const size_t xing = 4 + 32;
  std::memcpy(&f[xing], tag, 4);
  f[xing + 7] = 0x0F;
  const size_t lame = xing + 120;
  std::memcpy(&f[lame], "LAME3.100", 9);
  f[lame + 21] = static_cast<uint8_t>(delay >> 4);
  f[lame + 22] = static_cast<uint8_t>((delay & 15) << 4 | padding >> 8);
  f[lame + 23] = static_cast<uint8_t>(padding);
  return f;
}

void Add(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes Id3v2(size_t size, bool footer) {
  Bytes t = {'I', 'D', '3', 4, 0, static_cast<uint8_t>(footer ? 0x10 : 0),
             static_cast<uint8_t>(size >> 21 & 127), static_cast<uint8_t>(size >> 14 & 127),
             static_cast<uint8_t>(size >> 7 & 127), static_cast<uint8_t>(size & 127)};
  // A tag body holding what looks like a frame header must not be taken for audio.
  Bytes body(size, 0);
  Bytes fake = Frame();
  std::memcpy(body.data() + 10, fake.data(), 4);
  Add(t, body);
  if (footer) Add(t, Bytes{'3', 'D', 'I', 4, 0, 0x10, t[6], t[7], t[8], t[9]});
  return t;
}

Bytes ApeTag() {
  Bytes items(40, 'a');
  Bytes footer = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 7, 0, 0, 72, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x80};
  footer.resize(32, 0);
  Bytes header = footer;
  header[23] = 0xA0;
  Bytes t = header;
  Add(t, items);
  Add(t, footer);
  return t;
}

Bytes Id3v1() {
  Bytes t(128, ' ');
  std::memcpy(t.data(), "TAG", 3);
  t[50] = 0xFF;  // a sync-like byte inside the tag
  t[51] = 0xFB;
  return t;
}

TEST(Mp3Scanner, PassesOverTagsJunkAndTheInfoFrameAndReadsTheLameTag) {
  for (bool footer : {false, true}) {
    for (const char* tag : {"Xing", "Info"}) {
      Bytes file = Id3v2(300, footer);
      Add(file, Bytes{'j', 'u', 'n', 'k', 0xFF, 0x00, 0xFF});
      Add(file, InfoFrame(tag, 576, 1300));
      for (int i = 0; i < 20; ++i) Add(file, Frame(0xFB, static_cast<uint8_t>(i % 2 ? 0x92 : 0x90)));  // padded or not
      Add(file, ApeTag());
      Add(file, Id3v1());
      Mp3Scan scan;
      Outcome scanned = ScanMp3(file, scan);
      ASSERT_TRUE(scanned.ok) << scanned.text;
      EXPECT_TRUE(scan.hasInfoFrame);
      EXPECT_TRUE(scan.hasLameTag);
      EXPECT_EQ(scan.frames.size(), 20u);
      EXPECT_EQ(scan.encoderDelay, 576);
      EXPECT_EQ(scan.encoderPadding, 1300);
      EXPECT_EQ(scan.first.rate, 44100);
      EXPECT_EQ(scan.first.channels, 2);
      EXPECT_EQ(scan.first.bitrate, 128000);
      EXPECT_EQ(scan.frames[1].bytes, 418u);
      EXPECT_EQ(Mp3EncodedSamples(scan), 20 * 1152 - 576 - 1300);
    }
  }
}

TEST(Mp3Scanner, VbriFrameVariableBitratesAndMpeg25) {
  Bytes file = Frame();
  std::memcpy(&file[36], "VBRI", 4);
  Add(file, Frame(0xFB, 0x50, 0x44));  // 64 kb/s
  Add(file, Frame(0xFB, 0xE0, 0x44));  // 320 kb/s
  Add(file, Frame(0xFB, 0x90, 0x44));
  Mp3Scan scan;
  ASSERT_TRUE(ScanMp3(file, scan).ok);
  EXPECT_TRUE(scan.hasInfoFrame);
  EXPECT_FALSE(scan.hasLameTag);
  EXPECT_EQ(scan.frames.size(), 3u);

  // MPEG-2.5 8,000 Hz mono, 8 kb/s and MPEG-2 22,050 Hz mono, 32 kb/s.
  for (uint8_t versionByte : {uint8_t{0xE3}, uint8_t{0xF3}}) {
    Bytes low;
    for (int i = 0; i < 5; ++i) Add(low, Frame(versionByte, versionByte == 0xE3 ? 0x18 : 0x40, 0xC4));
    ASSERT_TRUE(ScanMp3(low, scan).ok);
    EXPECT_EQ(scan.first.rate, versionByte == 0xE3 ? 8000 : 22050);
    EXPECT_EQ(scan.first.channels, 1);
    EXPECT_EQ(scan.first.samples, 576);
    EXPECT_EQ(scan.frames.size(), 5u);
  }
}

TEST(Mp3Scanner, TruncationLosesOnlyTheCutFrameAndJunkMidwayIsResynced) {
  Bytes file;
  for (int i = 0; i < 6; ++i) Add(file, Frame());
  Add(file, Bytes(50, 0x00));
  for (int i = 0; i < 4; ++i) Add(file, Frame());
  file.resize(file.size() - 100);
  Mp3Scan scan;
  ASSERT_TRUE(ScanMp3(file, scan).ok);
  EXPECT_EQ(scan.frames.size(), 9u);
  EXPECT_FALSE(scan.hasLameTag);
}

TEST(Mp3Scanner, RefusesTextLayerTwoAndAFileOfOnlyAnInfoFrame) {
  std::string text = "This is a text file named .mp3, not audio at all.\n";
  Bytes textFile;
  for (int i = 0; i < 40; ++i) textFile.insert(textFile.end(), text.begin(), text.end());
  Mp3Scan scan;
  EXPECT_FALSE(ScanMp3(textFile, scan).ok);

  const uint8_t layer2[4] = {0xFF, 0xFD, 0x90, 0x44};
  Mp3FrameHeader h;
  EXPECT_FALSE(ParseMp3FrameHeader(layer2, h));
  const uint8_t freeFormat[4] = {0xFF, 0xFB, 0x00, 0x44};
  EXPECT_FALSE(ParseMp3FrameHeader(freeFormat, h));

  Outcome onlyInfo = ScanMp3(InfoFrame("Info", 576, 0), scan);
  EXPECT_FALSE(onlyInfo.ok);
  EXPECT_NE(onlyInfo.text.find("no complete audio frame"), std::string::npos);
}

}  // namespace
