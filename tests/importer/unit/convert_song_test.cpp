#include "importer/core/convert_song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/base/files.h"
#include "common/base/paths.h"
#include "support/test_files.h"
#include "converter/import_test_support.h"
#include "importer/core/signal/loudness.h"
#include "importer/core/song_template.h"
#include "importer/core/song_writer.h"
#include "importer/core/template_choice.h"
#include "signal_helpers.h"

using namespace kickora;

namespace {

// A music-like test signal: a few tones and some noise, at a level.
Audio Music(int rate, int channels, double seconds, double level) {
  Audio a = Sine(rate, channels, 220, level, seconds);
  std::mt19937 random(7);
  std::normal_distribution<float> noise(0.0f, static_cast<float>(level * 0.1));
  for (int64_t i = 0; i < a.Frames(); ++i)
    for (int c = 0; c < channels; ++c)
      a.samples[static_cast<size_t>(i * channels + c)] +=
          static_cast<float>(level * 0.5 * std::sin(2 * kTestPi * 1500 * i / rate)) + noise(random);
  return a;
}

// The bytes of a 16-bit WAV file of audio.
std::vector<uint8_t> WavOf(const Audio& audio) {
  return import_test::WaveFile(audio.channels, audio.rate, Pcm16Samples(audio, 1.0));
}

// The converter's export into memory: an ".asf" song gets no WAV beside it.
Audio Decoded(const std::string& song) {
  Audio decoded;
  EXPECT_TRUE(DecodeSong(song, decoded));
  return decoded;
}

double LoudnessOf(const std::string& song) {
  Audio decoded = Decoded(song);
  double lufs = -100;
  EXPECT_TRUE(IntegratedLoudness(decoded, lufs));
  return lufs;
}

class ConvertSongTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakePrivateTempFolder("tunegrab", music));
    ASSERT_TRUE(MakePrivateTempFolder("tunegrab", work));
    // The game's song, quiet, and a song the list leaves out, loud.
    ASSERT_TRUE(WriteWithConverter(Music(22050, 2, 6, 0.05), 1.0, BuiltInTemplate(), JoinPath(music, "anthem.str")).ok);
    ASSERT_TRUE(WriteWithConverter(Music(22050, 2, 6, 0.7), 1.0, BuiltInTemplate(), JoinPath(music, "1intro.str")).ok);
    before = FolderFiles(music);
    std::sort(before.begin(), before.end());
  }
  void TearDown() override {
    RemoveFolder(music);
    RemoveFolder(work);
  }
  std::vector<std::string> NewFiles() {
    std::vector<std::string> now = FolderFiles(music), added;
    std::sort(now.begin(), now.end());
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::back_inserter(added));
    return added;
  }
  ConvertResult Convert(const std::string& input, bool match = true) {
    ConvertRequest request;
    request.input = input;
    request.destinationFolder = music;
    request.matchLoudness = match;
    return ConvertSong(request);
  }
  std::string music, work;
  std::vector<std::string> before;
};

TEST_F(ConvertSongTest, MatchesTheTemplatesLoudnessAndLengthFromAWav) {
  const std::string input = JoinPath(work, "My Song.wav");
  WriteFileBytes(input, WavOf(Music(44100, 2, 5, 0.6)));
  ConvertResult result = Convert(input);
  ASSERT_TRUE(result.outcome.ok) << result.outcome.text;
  EXPECT_EQ(result.templateName, "anthem.str");
  EXPECT_EQ(NewFiles(), std::vector<std::string>{"My Song.asf"});

  Audio decoded = Decoded(JoinPath(music, "My Song.asf"));
  EXPECT_NEAR(static_cast<double>(decoded.Frames()), 5 * 22050, 28);
  EXPECT_NEAR(LoudnessOf(JoinPath(music, "My Song.asf")), LoudnessOf(JoinPath(music, "anthem.str")), 0.3);
  EXPECT_NE(StatusText(result).find("like anthem.str"), std::string::npos);

  // Matching off keeps the input's level.
  ConvertResult unmatched = Convert(input, false);
  ASSERT_TRUE(unmatched.outcome.ok) << unmatched.outcome.text;
  EXPECT_NEAR(LoudnessOf(JoinPath(music, "My Song.asf")), unmatched.songLufs, 0.3);
  EXPECT_GT(unmatched.songLufs, result.targetLufs + 10);
}

TEST_F(ConvertSongTest, WithoutATemplateTheBuiltInLayoutAndMinus16Lufs) {
  RemoveFile(JoinPath(music, "anthem.str"));
  before = FolderFiles(music);
  std::sort(before.begin(), before.end());
  const std::string input = JoinPath(work, "quiet.wav");
  WriteFileBytes(input, WavOf(Music(48000, 1, 4, 0.05)));
  ConvertResult result = Convert(input);
  ASSERT_TRUE(result.outcome.ok) << result.outcome.text;
  EXPECT_EQ(result.templateName, "");
  EXPECT_NEAR(LoudnessOf(JoinPath(music, "quiet.asf")), kDefaultTargetLufs, 0.3);
  std::vector<uint8_t> stream;
  SongTemplate layout;
  ASSERT_TRUE(ReadWholeFile(JoinPath(music, "quiet.asf"), 1 << 24, stream));
  ASSERT_TRUE(ReadSongTemplate(stream, layout));
  EXPECT_EQ(layout.channels, 2);
  EXPECT_EQ(layout.rate, 22050);
  EXPECT_NE(StatusText(result).find("-16.0 LUFS, the default level."), std::string::npos) << StatusText(result);

  // A silent song of the game gives its layout but no loudness.
  Audio silence;
  silence.rate = 22050;
  silence.channels = 1;
  silence.samples.assign(3 * 22050, 0.0f);
  SongTemplate mono = BuiltInTemplate();
  mono.header[7] = 1;
  mono.channels = 1;
  ASSERT_TRUE(WriteWithConverter(silence, 1.0, mono, JoinPath(music, "calm.str")).ok);
  ConvertResult silent = Convert(input);
  ASSERT_TRUE(silent.outcome.ok) << silent.outcome.text;
  EXPECT_EQ(silent.templateName, "calm.str");
  EXPECT_NEAR(LoudnessOf(JoinPath(music, "quiet.asf")), kDefaultTargetLufs, 0.3);
  EXPECT_NE(StatusText(silent).find("the default level (calm.str is silent)"), std::string::npos) << StatusText(silent);
}

// The template is measured while the input is read: a first candidate
// whose header reads but whose audio does not decode is passed over, and the
// song is made again at the next one's rate and channels.
TEST_F(ConvertSongTest, ATemplateThatDoesNotDecodeGivesWayToTheNext) {
  SongTemplate mono = BuiltInTemplate();
  mono.header[7] = 1;
  mono.channels = 1;
  const std::string broken = JoinPath(music, "a broken.str");
  ASSERT_TRUE(WriteWithConverter(Music(22050, 1, 2, 0.3), 1.0, mono, broken).ok);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(broken, 1 << 24, bytes));
  // Up to the first data block's tag: the layout reads, the audio does not.
  const std::string tag = "SCDl";
  const auto data = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
  ASSERT_NE(data, bytes.end());
  bytes.erase(data + 4, bytes.end());
  WriteFileBytes(broken, bytes);
  before = FolderFiles(music);
  std::sort(before.begin(), before.end());

  TemplateChooser chooser(music);
  EXPECT_EQ(chooser.Likely().channels, 1);
  const ChosenTemplate chosen = chooser.Finish();
  EXPECT_EQ(chosen.name, "anthem.str");
  EXPECT_EQ(chosen.layout.channels, 2);

  const std::string input = JoinPath(work, "Tune.wav");
  WriteFileBytes(input, WavOf(Music(44100, 2, 3, 0.6)));
  ConvertResult result = Convert(input);
  ASSERT_TRUE(result.outcome.ok) << result.outcome.text;
  EXPECT_EQ(result.templateName, "anthem.str");
  Audio decoded = Decoded(JoinPath(music, "Tune.asf"));
  EXPECT_EQ(decoded.channels, 2);
  EXPECT_NEAR(static_cast<double>(decoded.Frames()), 3 * 22050, 28);
  EXPECT_NEAR(LoudnessOf(JoinPath(music, "Tune.asf")), LoudnessOf(JoinPath(music, "anthem.str")), 0.3);
}

TEST_F(ConvertSongTest, FailuresLeaveNothingNew) {
  std::vector<uint8_t> wav = WavOf(Music(44100, 2, 2, 0.5));
  wav.resize(wav.size() / 2);
  const std::string truncated = JoinPath(work, "cut.wav");
  WriteFileBytes(truncated, wav);
  const std::string text = JoinPath(work, "notes.mp3");
  WriteFileBytes(text, std::vector<uint8_t>(3000, 'a'));
  const std::string shortName = JoinPath(work, ".wav");
  WriteFileBytes(shortName, WavOf(Music(44100, 2, 1, 0.5)));

  for (const std::string& input : {truncated, text, shortName, JoinPath(work, "missing.wav")}) {
    ConvertResult result = Convert(input);
    EXPECT_FALSE(result.outcome.ok) << input;
    EXPECT_FALSE(StatusText(result).empty());
    EXPECT_EQ(NewFiles(), std::vector<std::string>{}) << input;
  }
  EXPECT_EQ(ProducedName(JoinPath(work, "song.mp3")), "song.asf");
  EXPECT_EQ(ProducedName(JoinPath(work, "song.flac")), "song.asf");
  EXPECT_EQ(ProducedName(JoinPath(work, "My.Song.m4a")), "My.Song.asf");
  EXPECT_EQ(ProducedName(JoinPath(work, ".wav")), "");
}

// The song's 16-bit samples round to the nearest value, ties to even, and
// hold at the ends of the range, as nearbyint and a clamp do.
TEST(Pcm16SamplesTest, RoundsTiesToEvenAndClampsLikeNearbyint) {
  Audio a;
  a.rate = 22050;
  a.channels = 1;
  for (float step : {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, -2.5f, 32766.5f, 32767.5f, -32767.5f, -32768.5f, 40000.0f, -40000.0f})
    a.samples.push_back(step / 32768.0f);
  std::mt19937 random(3);
  std::uniform_real_distribution<float> anywhere(-1.2f, 1.2f);
  for (int i = 0; i < 100000; ++i) a.samples.push_back(anywhere(random));
  const std::vector<int16_t> out = Pcm16Samples(a, 0.9);
  ASSERT_EQ(out.size(), a.samples.size());
  const float scale = static_cast<float>(0.9 * 32768.0);
  for (size_t i = 0; i < out.size(); ++i) {
    const float expected = std::clamp(std::nearbyint(a.samples[i] * scale), -32768.0f, 32767.0f);
    ASSERT_EQ(out[i], static_cast<int16_t>(expected)) << "sample " << i << " = " << a.samples[i];
  }
  const std::vector<int16_t> ties = Pcm16Samples(a, 1.0);
  EXPECT_EQ(std::vector<int16_t>(ties.begin(), ties.begin() + 12),
            (std::vector<int16_t>{0, 2, 2, 0, -2, -2, 32766, 32767, -32768, -32768, 32767, -32768}));
}

}  // namespace
