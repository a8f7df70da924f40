// Inputs through the platform's media decoder, with a decoder of our own
// standing in: trimming to the file's length, downmix of more than two
// channels, and the reason a player is told when no song is made.
#include <gtest/gtest.h>

#include <cstring>

#include "common/base/files.h"
#include "common/base/paths.h"
#include "support/test_files.h"
#include "importer/core/convert_song.h"
#include "importer/core/signal/downmix.h"
#include "importer/core/failure_reason.h"
#include "importer/core/media_input.h"
#include "importer/core/song_writer.h"
#include "signal_helpers.h"

using namespace kickora;

namespace {

// Gives a tone in one channel of a 5.1 stream: priming frames stamped
// before 0, then the music, then padding past the duration.
class FakeDecoder : public MediaDecoder {
 public:
  MediaStatus status;
  int channels = 6, rate = 48000, toneChannel = 0, priming = 1024, music = 48000, padding = 700;
  MediaStatus Decode(const std::string&, MediaReceiver& receiver) override {
    if (!status.ok && !status.reading) return status;
    MediaFormat format{rate, channels, 0x3F, static_cast<int64_t>(music) * 10000000 / rate};
    if (!receiver.Begin(format)) return status;
    const int total = priming + music + padding, chunk = 1000;
    std::vector<float> buffer;
    for (int at = 0; at < total; at += chunk) {
      const int n = std::min(chunk, total - at);
      buffer.assign(static_cast<size_t>(n * channels), 0.0f);
      for (int i = 0; i < n; ++i) {
        const int t = at + i - priming;  // music time in frames
        const bool inMusic = t >= 0 && t < music;
        buffer[static_cast<size_t>(i * channels + toneChannel)] =
            inMusic ? static_cast<float>(0.5 * std::sin(2 * kTestPi * 440 * t / rate)) : 0.9f;  // loud outside
      }
      const int64_t time = (static_cast<int64_t>(at) - priming) * 10000000 / rate;
      if (!receiver.Push(time, buffer.data(), static_cast<size_t>(n))) break;
    }
    return status;
  }
};

TEST(Downmix, FiveOneToStereoWithTheItuCoefficientsNormalised) {
  DownmixMatrix m = StereoDownmix(6, 0x3F);  // FL FR FC LFE BL BR
  const float norm = 1 + 2 * 0.70710678f;
  EXPECT_NEAR(m.left[0], 1 / norm, 1e-6);
  EXPECT_NEAR(m.right[0], 0, 1e-6);
  EXPECT_NEAR(m.left[2], 0.70710678f / norm, 1e-6);  // centre into both
  EXPECT_NEAR(m.right[2], 0.70710678f / norm, 1e-6);
  EXPECT_EQ(m.left[3] + m.right[3], 0);  // LFE left out
  EXPECT_NEAR(m.left[4], 0.70710678f / norm, 1e-6);
  EXPECT_NEAR(m.right[5], 0.70710678f / norm, 1e-6);
  EXPECT_EQ(m.left[5], 0);
  // A mask that names too few speakers gives the usual layout of the count.
  EXPECT_EQ(EffectiveChannelMask(6, 0x3), 0x3Fu);
  EXPECT_EQ(EffectiveChannelMask(6, 0x60F), 0x60Fu);  // 5.1 with side speakers, as named
  // Full scale in every channel never clips.
  Audio stereo;
  stereo.channels = 2;
  CollectingSink collect(stereo);
  Downmixer down(collect, 8, 0);
  std::vector<float> loud(8, 1.0f);
  down.Push(loud.data(), 1);
  ASSERT_EQ(stereo.samples.size(), 2u);
  EXPECT_LE(stereo.samples[0], 1.0f);
  EXPECT_GT(stereo.samples[0], 0.99f);
}

TEST(GaplessWindow, TrimsPrimingAndPaddingAndFillsAShortEnd) {
  GaplessWindow w(1000, 20000000);  // 2 s at 1,000 Hz: 2,000 frames
  size_t skip = 0, keep = 0;
  w.Take(-300000, 500, skip, keep);  // stamped -30 ms: 30 frames of priming
  EXPECT_EQ(skip, 30u);
  EXPECT_EQ(keep, 470u);
  w.Take(999999, 1500, skip, keep);  // later stamps are not trusted
  EXPECT_EQ(skip, 0u);
  EXPECT_EQ(keep, 1500u);
  w.Take(0, 100, skip, keep);  // past the end
  EXPECT_EQ(keep, 30u);
  EXPECT_EQ(w.EndFill(), 0);

  GaplessWindow shortEnd(1000, 20000000);
  shortEnd.Take(5000000, 1950, skip, keep);  // a positive first stamp starts at 0
  EXPECT_EQ(skip, 0u);
  EXPECT_EQ(shortEnd.EndFill(), 50);
  // A first chunk stamped where the second begins is a leftover.
  EXPECT_EQ(FirstChunkFrames(232199, 1, 232199, 44100), 0u);
  EXPECT_EQ(FirstChunkFrames(0, 1024, 232199, 44100), 1024u);
  EXPECT_EQ(FirstChunkFrames(0, 1024, 0, 44100), 1024u);  // no stamps at all
  EXPECT_EQ(FirstChunkFrames(-232199, 2048, 0, 44100), 1024u);
  EXPECT_EQ(FirstChunkFrames(INT64_MIN, 10, INT64_MAX, 192000), 10u);  // hostile stamps
  GaplessWindow hostile(192000, 10000000);
  hostile.Take(INT64_MIN, 100, skip, keep);
  EXPECT_EQ(keep, 0u);

  GaplessWindow farShort(1000, 20000000);
  farShort.Take(0, 1000, skip, keep);
  EXPECT_EQ(farShort.EndFill(), 0);  // a second missing is no padding left off
}

class MediaConvertTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakePrivateTempFolder("tunegrab", work));
    input = JoinPath(work, "Surround.Mix.m4a");
    static const char kMp4[] = "\0\0\0\x20" "ftypM4A ";
    WriteFileBytes(input, std::vector<uint8_t>(kMp4, kMp4 + 12));
  }
  void TearDown() override { RemoveFolder(work); }
  ConvertResult Convert(MediaDecoder* decoder) {
    ConvertRequest request;
    request.input = input;
    request.destinationFolder = work;
    request.media = decoder;
    return ConvertSong(request);
  }
  std::string work, input;
};

TEST_F(MediaConvertTest, AFiveOneFileBecomesAStereoSongOfItsOwnLength) {
  FakeDecoder decoder;
  ConvertResult result = Convert(&decoder);
  ASSERT_TRUE(result.outcome.ok) << result.outcome.text;
  EXPECT_EQ(ReasonText(result), "");
  EXPECT_NEAR(result.seconds, 1.0, 0.002);  // priming and padding gone
  ASSERT_TRUE(FileExistsUtf8(JoinPath(work, "Surround.Mix.asf")));
  Audio song;
  ASSERT_TRUE(DecodeSong(JoinPath(work, "Surround.Mix.asf"), song));
  ASSERT_EQ(song.channels, 2);
  // The front left tone lands on the left only.
  const int64_t n = song.Frames();
  EXPECT_GT(ToneAmplitude(song, 0, 440, n / 4, n * 3 / 4), 0.1);
  EXPECT_LT(ToneAmplitude(song, 1, 440, n / 4, n * 3 / 4), 0.01);

  // A centre tone is in both sides, 3 dB below a front one.
  decoder.toneChannel = 2;
  ConvertRequest request;
  request.input = input;
  request.destinationFolder = work;
  request.media = &decoder;
  request.matchLoudness = false;
  ASSERT_TRUE(ConvertSong(request).outcome.ok);
  Audio centre;
  ASSERT_TRUE(DecodeSong(JoinPath(work, "Surround.Mix.asf"), centre));
  const double left = ToneAmplitude(centre, 0, 440, n / 4, n * 3 / 4), right = ToneAmplitude(centre, 1, 440, n / 4, n * 3 / 4);
  EXPECT_NEAR(Db(left / right), 0, 0.1);
  EXPECT_NEAR(left, 0.5 * 0.70710678 / (1 + 2 * 0.70710678), 0.01);
}

TEST_F(MediaConvertTest, FailuresGiveAPlayerTheReason) {
  const std::string unreadable = "cannot be read on this computer: convert it to WAV or MP3";
  const std::string damaged = "damaged or is not music";
  FakeDecoder decoder;
  decoder.status.ok = false;
  decoder.status.code = 0xC00D36C4;  // no source for this byte stream
  ConvertResult result = Convert(&decoder);
  EXPECT_NE(ReasonText(result).find(unreadable), std::string::npos) << ReasonText(result);
  EXPECT_NE(StatusText(result).find("0xC00D36C4"), std::string::npos) << StatusText(result);
  EXPECT_NE(ReasonText(Convert(nullptr)).find(unreadable), std::string::npos);  // no Media Foundation
  decoder.status.reading = true;  // fails after some audio
  decoder.status.code = 0x80004005;
  EXPECT_NE(ReasonText(Convert(&decoder)).find(damaged), std::string::npos);
  EXPECT_FALSE(FileExistsUtf8(JoinPath(work, "Surround.Mix.asf")));

  // Text under a music file's name: not music, whatever the decoder says.
  WriteFileBytes(input, std::vector<uint8_t>(200, 'a'));
  decoder.status.reading = false;
  EXPECT_NE(ReasonText(Convert(&decoder)).find(damaged), std::string::npos);
  EXPECT_NE(ReasonText(Convert(nullptr)).find(damaged), std::string::npos);

  EXPECT_NE(ReasonSentence(Outcome::Fail("x", Failure::DiskFull)).find("disk is full"), std::string::npos);
  EXPECT_EQ(ReasonSentence(Outcome::Fail("The song is longer than 30 minutes.")), "The song is longer than 30 minutes.");
  EXPECT_EQ(MediaFailure(0x80070020, MediaStage::Open, true).kind, Failure::InputUnreadable);
  EXPECT_EQ(MediaFailure(0xC00D36BE, MediaStage::Open, true).kind, Failure::Damaged);
  const uint8_t flac[] = {'f', 'L', 'a', 'C'}, mp3[] = {0xFF, 0xFB, 0x90, 0x64}, text[] = {'H', 'e', 'l', 'l'};
  EXPECT_TRUE(LooksLikeMediaFile(flac, 4));
  EXPECT_TRUE(LooksLikeMediaFile(mp3, 4));
  EXPECT_FALSE(LooksLikeMediaFile(text, 4));
  EXPECT_FALSE(LooksLikeMediaFile(flac, 3));
}

}  // namespace
