// The player's reading of a WAV file's first bytes: the converter's own
// header, chunks before the data, and files that lie about their sizes.
#include <gtest/gtest.h>

#include <string>

#include "manager/core/WavLayout.h"

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Tag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

std::vector<uint8_t> Wav(uint16_t channels, uint32_t rate, uint32_t dataSize, bool listChunk = false) {
  std::vector<uint8_t> b;
  Tag(b, "RIFF");
  Put32(b, 36 + dataSize);
  Tag(b, "WAVE");
  if (listChunk) {  // an odd-sized chunk the reader must step over, padding included
    Tag(b, "LIST");
    Put32(b, 3);
    b.insert(b.end(), {'a', 'b', 'c', 0});
  }
  Tag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * 2);
  Put16(b, static_cast<uint16_t>(channels * 2));
  Put16(b, 16);
  Tag(b, "data");
  Put32(b, dataSize);
  return b;
}

TEST(WavLayoutTest, FindsTheFormatAndTheDataOfTheConvertersHeaderAndAfterOtherChunks) {
  std::vector<uint8_t> head = Wav(2, 22050, 8000);
  auto layout = FindWavLayout(head, head.size() + 8000);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->channels, 2);
  EXPECT_EQ(layout->rate, 22050u);
  EXPECT_EQ(layout->blockAlign, 4);
  EXPECT_EQ(layout->dataOffset, 44u);
  EXPECT_EQ(layout->dataBytes, 8000u);

  head = Wav(1, 44100, 100, true);
  layout = FindWavLayout(head, head.size() + 100);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->dataOffset, 56u);
  EXPECT_EQ(layout->channels, 1);
}

TEST(WavLayoutTest, NeverReachesPastTheFileAndRefusesWhatItCannotPlay) {
  // A data size beyond the end of the file is cut to the whole blocks there.
  std::vector<uint8_t> head = Wav(2, 22050, 0xFFFFFFF0u);
  auto layout = FindWavLayout(head, head.size() + 1003);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->dataBytes, 1000u);

  EXPECT_FALSE(FindWavLayout(Wav(0, 22050, 10), 100)) << "no channels";
  EXPECT_FALSE(FindWavLayout(Wav(2, 10, 10), 100)) << "absurd rate";
  std::vector<uint8_t> badAlign = Wav(2, 22050, 10);
  badAlign[32] = 3;
  EXPECT_FALSE(FindWavLayout(badAlign, 100));
  std::vector<uint8_t> cut = Wav(2, 22050, 10);
  cut.resize(30);  // the format chunk is cut off
  EXPECT_FALSE(FindWavLayout(cut, 30));
  std::vector<uint8_t> huge = Wav(2, 22050, 10);
  huge[16] = huge[17] = huge[18] = huge[19] = 0xFF;  // a format chunk of 4 GB
  EXPECT_FALSE(FindWavLayout(huge, 100));
  std::vector<uint8_t> notWave = Wav(2, 22050, 10);
  notWave[8] = 'X';
  EXPECT_FALSE(FindWavLayout(notWave, 100));
  EXPECT_FALSE(FindWavLayout({}, 0));
  EXPECT_FALSE(FindWavLayout(Wav(2, 22050, 10), 5)) << "a file smaller than its head";
}

}  // namespace
