#include "importer/core/song_template.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/base/files.h"
#include "common/base/paths.h"
#include "importer/core/byte_source.h"
#include "importer/core/song_writer.h"
#include "signal_helpers.h"

using namespace kickora;

namespace {

// The blocks of an SCHl stream: the "SCCl" count and every "SCDl" count field.
struct StreamBlocks {
  bool wellFormed = false;
  uint32_t announced = 0;
  std::vector<uint32_t> counts;
};

StreamBlocks WalkStream(const std::vector<uint8_t>& s) {
  StreamBlocks b;
  if (s.size() < 8 || std::memcmp(s.data(), "SCHl", 4) != 0) return b;
  size_t at = U32LE(&s[4]);
  while (at + 8 <= s.size()) {
    uint32_t size = U32LE(&s[at + 4]);
    if (std::memcmp(&s[at], "SCCl", 4) == 0) b.announced = U32LE(&s[at + 8]);
    if (std::memcmp(&s[at], "SCDl", 4) == 0) b.counts.push_back(U32LE(&s[at + 8]));
    if (std::memcmp(&s[at], "SCEl", 4) == 0) {
      b.wellFormed = at + 8 == s.size() && size == 8;
      break;
    }
    if (size < 8) break;
    at += size;
  }
  return b;
}

class TempFolder {
 public:
  TempFolder() { EXPECT_TRUE(MakePrivateTempFolder("tunegrab", path)); }
  ~TempFolder() { RemoveFolder(path); }
  std::string path;
};

TEST(SongTemplate, CandidatesAreStrSongsNotBeginningWithOneInCaseBlindOrder) {
  EXPECT_EQ(TemplateCandidates({"music.inf", "zeta.STR", "1intro.str", "Anthem.str", "crowd.str", "x.str.bak", ".str"}),
            (std::vector<std::string>{"Anthem.str", "crowd.str", "zeta.STR"}));
}

TEST(SongTemplate, BlocksEndWithTheAudioAndTheFirstIsNeverLargerThanTheLast) {
  EXPECT_EQ(SongBlockFrames(0, 1484), std::vector<int64_t>{});
  EXPECT_EQ(SongBlockFrames(1, 1484), std::vector<int64_t>{28});
  EXPECT_EQ(SongBlockFrames(1484, 1484), std::vector<int64_t>{1484});
  EXPECT_EQ(SongBlockFrames(1485, 1484), (std::vector<int64_t>{756, 756}));
  EXPECT_EQ(SongBlockFrames(1484 * 2, 1484), (std::vector<int64_t>{1484, 1484}));
  std::vector<int64_t> long_ = SongBlockFrames(1484 * 10 + 100, 1484);
  ASSERT_EQ(long_.size(), 11u);
  EXPECT_EQ(long_.front(), 784);
  EXPECT_EQ(long_.back(), 812);
  int64_t sum = 0;
  for (int64_t f : long_) sum += f;
  EXPECT_EQ(sum, (1484 * 10 + 100 + 27) / 28 * 28);
}

TEST(SongTemplate, ReadsTheGamesStreamAndRefusesDamagedOnes) {
  std::vector<uint8_t> kickoff;
  ASSERT_TRUE(ReadWholeFile(KICKORA_SOURCE_DIR "/demo/kickoff.str", 1 << 20, kickoff));
  SongTemplate t;
  ASSERT_TRUE(ReadSongTemplate(kickoff, t));
  EXPECT_EQ(t.channels, 2);
  EXPECT_EQ(t.rate, 22050);
  EXPECT_FALSE(t.split);
  EXPECT_EQ(t.blockFrames, 1484);
  EXPECT_EQ(t.header.size(), 24u);

  // Every cut of the header, and garbage sizes, are refused without reading
  // beyond the buffer.
  for (size_t n = 0; n < 48; ++n) EXPECT_FALSE(ReadSongTemplate(std::vector<uint8_t>(kickoff.begin(), kickoff.begin() + n), t));
  std::vector<uint8_t> badSize = kickoff;
  badSize[4] = 0xF0;
  badSize[7] = 0x7F;
  EXPECT_FALSE(ReadSongTemplate(badSize, t));
  std::vector<uint8_t> fiveChannels = kickoff;
  fiveChannels[15] = 5;
  EXPECT_FALSE(ReadSongTemplate(fiveChannels, t));
}

// The built-in layout and a mono variant through the converter's import
// from memory and back through its export.
TEST(SongTemplate, LayoutRecordGivesTheConverterTheSongsBlocks) {
  SongTemplate mono = BuiltInTemplate();
  mono.header[7] = 1;  // field 82h: one channel
  mono.channels = 1;
  mono.blockFrames = 2968;
  for (const SongTemplate& t : {BuiltInTemplate(), mono}) {
    TempFolder temp;
    const Audio song = Sine(22050, t.channels, 440, 0.5, 3.3);
    const std::string path = JoinPath(temp.path, "song.str");
    ASSERT_TRUE(WriteWithConverter(song, 1.0, t, path).ok);
    EXPECT_EQ(FolderFiles(temp.path), std::vector<std::string>{"song.str"});

    std::vector<uint8_t> stream;
    ASSERT_TRUE(ReadWholeFile(path, 1 << 24, stream));
    SongTemplate back;
    ASSERT_TRUE(ReadSongTemplate(stream, back));
    EXPECT_EQ(back.channels, t.channels);
    EXPECT_EQ(back.rate, 22050);
    StreamBlocks blocks = WalkStream(stream);
    EXPECT_TRUE(blocks.wellFormed);
    EXPECT_EQ(blocks.announced, blocks.counts.size());
    std::vector<int64_t> expected = SongBlockFrames(song.Frames(), t.blockFrames);
    ASSERT_EQ(blocks.counts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(blocks.counts[i], t.channels == 1 ? expected[i] / 28 * 15 : expected[i]);

    Audio decoded;
    ASSERT_TRUE(DecodeSong(path, decoded));
    EXPECT_EQ(decoded.channels, t.channels);
    EXPECT_EQ(decoded.Frames(), (song.Frames() + 27) / 28 * 28);
    double signal = 0, noise = 0;
    for (size_t i = 0; i < song.samples.size(); ++i) {
      signal += song.samples[i] * song.samples[i];
      noise += (decoded.samples[i] - song.samples[i]) * (decoded.samples[i] - song.samples[i]);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 30.0);
  }
}

}  // namespace
