#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/codecs/ea_adpcm.h"
#include "converter/context/context.h"
#include "support/test_files.h"

namespace {

struct Decoded {
  std::vector<int16_t> samples;
  std::string printed;
};

// What the export prints of the events the decoder recorded.
std::string Printed(DecodeEvents& events) {
  ConversionContext ctx;
  PrintDecodeEvents(ctx, events);
  std::string text;
  for (const std::string& message : ctx.messages) text += message;
  return text;
}

Decoded DecodeMono(const Bytes& data, EaAdpcmState& state) {
  std::vector<uint8_t> out(4 * data.size() + 64);
  DecodeEvents events;
  state.events = &events;
  uint8_t* end = DecodeEaAdpcmMono(data.data(), out.data(), state);
  Decoded d;
  state.events = nullptr;
  d.printed = Printed(events);
  d.samples = SamplesOf(Bytes(out.data(), end));
  return d;
}

Decoded DecodeStereo(const Bytes& data, EaAdpcmState& state) {
  std::vector<uint8_t> out(8 * data.size() + 256);
  DecodeEvents events;
  state.events = &events;
  uint8_t* end = DecodeEaAdpcmStereo(data.data(), out.data(), state);
  Decoded d;
  state.events = nullptr;
  d.printed = Printed(events);
  d.samples = SamplesOf(Bytes(out.data(), end));
  return d;
}

Bytes MonoFrame(int header, std::vector<int> dataBytes) {
  Bytes frame{static_cast<uint8_t>(header)};
  for (int b : dataBytes) frame.push_back(static_cast<uint8_t>(b));
  frame.resize(15, 0);
  return frame;
}

}  // namespace

TEST(DeltaTableTest, RowsHalveTheStepAndSignTheUpperCodes) {
  const DeltaTableRows& t = DeltaTable();
  EXPECT_EQ(t[0][1], 4096.0f);
  EXPECT_EQ(t[0][7], 28672.0f);
  EXPECT_EQ(t[0][8], -32768.0f);
  EXPECT_EQ(t[0][15], -4096.0f);
  EXPECT_EQ(t[12][7], 7.0f);
  EXPECT_EQ(t[12][8], -8.0f);
  for (int s = 13; s < 16; ++s)
    for (int n = 0; n < 16; ++n) EXPECT_EQ(t[s][n], 0.0f);
}

TEST(EaAdpcmMonoTest, ZeroFrameFromZeroHistoryIsSilence) {
  EaAdpcmState state;
  state.count = 15;
  Decoded d = DecodeMono(Bytes(15, 0), state);
  ASSERT_EQ(d.samples.size(), 28u);
  for (int16_t s : d.samples) EXPECT_EQ(s, 0);
  EXPECT_EQ(d.printed, "");
}

TEST(EaAdpcmMonoTest, CodeSevenAtScaleZeroGives28672) {
  EaAdpcmState state;
  state.count = 15;
  Decoded d = DecodeMono(MonoFrame(0x00, std::vector<int>(14, 0x77)), state);
  ASSERT_EQ(d.samples.size(), 28u);
  for (int16_t s : d.samples) EXPECT_EQ(s, 28672);
}

TEST(EaAdpcmMonoTest, FirstCoefficientDecaysKeepingTheFraction) {
  EaAdpcmState state;
  state.count = 15;
  Decoded d = DecodeMono(MonoFrame(0x10, {0x70}), state);
  ASSERT_GE(d.samples.size(), 5u);
  EXPECT_EQ(d.samples[0], 28672);
  EXPECT_EQ(d.samples[1], 26880);
  EXPECT_EQ(d.samples[2], 25200);
  EXPECT_EQ(d.samples[3], 23625);
  EXPECT_EQ(d.samples[4], 22148);
  // The frame end stores the history truncated to whole numbers.
  float cur = 28672.0f;
  for (int i = 1; i < 28; ++i) cur = static_cast<float>(0.9375 * static_cast<double>(cur));
  EXPECT_EQ(state.current1, static_cast<int32_t>(cur));
}

TEST(EaAdpcmMonoTest, ScaleTwelveAddsSevenOrMinusEightAndHighScalesAddNothing) {
  EaAdpcmState state;
  state.count = 15;
  Decoded d = DecodeMono(MonoFrame(0x0C, {0x78}), state);
  EXPECT_EQ(d.samples[0], 7);
  EXPECT_EQ(d.samples[1], -8);

  EaAdpcmState decay;
  decay.count = 15;
  decay.current1 = 1000;
  Decoded quiet = DecodeMono(MonoFrame(0x1D, std::vector<int>(14, 0x77)), decay);
  EXPECT_EQ(quiet.samples[0], 937);  // 0.9375 * 1000, code adds 0
}

TEST(EaAdpcmMonoTest, CountDecidesTheWholeFrames) {
  Bytes two = MonoFrame(0x00, std::vector<int>(14, 0x11));
  Append(two, two);
  EaAdpcmState short14;
  short14.count = 14;
  EXPECT_TRUE(DecodeMono(two, short14).samples.empty());
  EaAdpcmState one;
  one.count = 29;
  EXPECT_EQ(DecodeMono(two, one).samples.size(), 28u);
  EaAdpcmState both;
  both.count = 30;
  EXPECT_EQ(DecodeMono(two, both).samples.size(), 56u);
}

TEST(EaAdpcmMonoTest, ClippingMarksAndKeepsTheUnlimitedHistory) {
  EaAdpcmState state;
  state.count = 15;
  state.current1 = 30000;
  // k = 1, code 7: 0.9375 * 30000 + 28672 is above the range.
  Decoded d = DecodeMono(MonoFrame(0x10, {0x70}), state);
  EXPECT_EQ(d.samples[0], 32767);
  EXPECT_EQ(d.printed.substr(0, 1), "o");
  // The next prediction starts from the unclipped 56797.
  EXPECT_EQ(d.samples[1], 32767);
  EXPECT_EQ(d.samples[2], 32767);
  EXPECT_EQ(d.printed.find('u'), std::string::npos);

  EaAdpcmState low;
  low.count = 15;
  low.current1 = -30000;
  Decoded u = DecodeMono(MonoFrame(0x10, {0x80}), low);
  EXPECT_EQ(u.samples[0], -32768);
  EXPECT_EQ(u.printed.substr(0, 1), "u");
}

TEST(EaAdpcmMonoTest, CoefficientAboveThreeIsReportedAndDecodedWithTheFirstPair) {
  EaAdpcmState state;
  state.count = 15;
  state.current1 = 5000;
  Decoded d = DecodeMono(MonoFrame(0x40, {0x10}), state);
  EXPECT_EQ(d.printed, "corrupt sound file\n");
  ASSERT_EQ(d.samples.size(), 28u);
  EXPECT_EQ(d.samples[0], 4096);  // no prediction: only the code
}

TEST(EaAdpcmStereoTest, FramesRoundUpAndChannelsInterleave) {
  Bytes frame(30, 0);
  frame[0] = 0x00;
  frame[1] = 0x00;
  frame[2] = 0x71;  // left code 7, right code 1 at scale 0
  Bytes two = frame;
  Append(two, frame);
  EaAdpcmState state;
  state.count = 30;  // samples per channel: two frames
  Decoded d = DecodeStereo(two, state);
  ASSERT_EQ(d.samples.size(), 112u);
  EXPECT_EQ(d.samples[0], 28672);
  EXPECT_EQ(d.samples[1], 4096);
  EXPECT_EQ(d.samples[2], 0);

  EaAdpcmState none;
  none.count = 0;
  EXPECT_TRUE(DecodeStereo(two, none).samples.empty());
}

TEST(EaAdpcmStereoTest, HistoryKeepsItsFractionAcrossFramesAndIsStoredTruncated) {
  // k = 1 on both channels; the left starts at 1001 and decays.
  Bytes frame(30, 0);
  frame[0] = 0x11;
  frame[1] = 0x00;
  Bytes two = frame;
  Append(two, frame);
  EaAdpcmState state;
  state.count = 56;
  state.current1 = 1001;
  Decoded d = DecodeStereo(two, state);
  float cur = 1001.0f;
  for (int i = 0; i < 56; ++i) {
    cur = static_cast<float>(0.9375 * static_cast<double>(cur));
    ASSERT_EQ(d.samples[2 * i], static_cast<int16_t>(cur)) << "sample " << i;
  }
  EXPECT_EQ(state.current1, static_cast<int32_t>(cur));
}

TEST(EaAdpcmStereoTest, CorruptIndexOnEitherSideIsReported) {
  Bytes frame(30, 0);
  frame[0] = 0x05;
  EaAdpcmState state;
  state.count = 28;
  EXPECT_EQ(DecodeStereo(frame, state).printed, "corrupt sound file\n");
}

TEST(TruncateHistoryTest, SaturatesOutsideThe32BitRange) {
  EXPECT_EQ(TruncateHistory(1e12f), INT32_MAX);
  EXPECT_EQ(TruncateHistory(-1e12f), INT32_MIN);
  EXPECT_EQ(TruncateHistory(-2.9f), -2);
  EXPECT_EQ(TruncateHistory(2.9f), 2);
}
