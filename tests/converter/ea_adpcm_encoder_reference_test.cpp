// The encoder against the reference search, byte for byte, in every
// kernel; the driver's choice of coder; and round trips through the decoder.
#include "ea_adpcm_encoder_test_support.h"
#include "converter/codecs/ea_adpcm_encoder_helper.h"

namespace {

using namespace encoder_test;

// Byte-identical to the reference search -------------------------------------------

struct Case {
  std::string name;
  Pcm pcm;
  int channels;
  int32_t byteCount;
  EaAdpcmState start;
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (int channels : {1, 2}) {
    const size_t values = 28 * channels * 40;
    std::string tag = channels == 1 ? " mono" : " stereo";
    cases.push_back({"silence" + tag, Pcm(values, 0), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"sweep" + tag, Sweep(values, channels, 16000, 1), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back(
        {"loud sweep" + tag, Sweep(values, channels, 32767, 2), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back(
        {"quiet sweep" + tag, Sweep(values, channels, 40, 3), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"noise" + tag, Noise(values, 32768, 4), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"soft noise" + tag, Noise(values, 300, 5), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"square" + tag, Square(values, 3), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"slow square" + tag, Square(values, 37), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back({"music" + tag, Music(values, channels, 6), channels, static_cast<int32_t>(values * 2), {}});
    cases.push_back(
        {"partial frame" + tag, Music(values, channels, 7), channels, static_cast<int32_t>(values * 2 - 38), {}});
    cases.push_back({"odd count" + tag, Noise(values, 9000, 8), channels, static_cast<int32_t>(values * 2 - 57), {}});
    cases.push_back({"carried history" + tag,
                     Music(values, channels, 9),
                     channels,
                     static_cast<int32_t>(values * 2),
                     {0, 31000, -29000, -32768, 32767}});
    cases.push_back({"wild history" + tag,
                     Sweep(values, channels, 20000, 10),
                     channels,
                     static_cast<int32_t>(values * 2),
                     {0, 900000, -900000, -700000, 800000}});
    cases.push_back({"wilder history" + tag,
                     Music(values, channels, 13),
                     channels,
                     static_cast<int32_t>(values * 2),
                     {0, -5000000, 4000000, 3000000, 6000000}});
  }
  // Alternating quiet and loud frames exercise the floor scale and the early
  // stop of the stereo schedule at every level.
  Pcm steps(56 * 26);
  for (size_t i = 0; i < steps.size(); ++i) {
    int level = static_cast<int>(i / 56);
    int amplitude = (1 << (level % 16)) >> 1;
    steps[i] =
        static_cast<int16_t>(std::clamp(static_cast<long>(amplitude * std::sin(i * 0.37 + level)), -32768L, 32767L));
  }
  cases.push_back({"level steps stereo", steps, 2, static_cast<int32_t>(steps.size() * 2), {}});
  cases.push_back({"level steps mono", steps, 1, static_cast<int32_t>(steps.size() * 2), {}});
  return cases;
}

TEST_F(EaAdpcmEncoder, MonoAndStereoMatchTheReferenceByteForByte) {
  for (EaAdpcmKernel kernel : Kernels()) {
    SCOPED_TRACE(static_cast<int>(kernel));
    for (const Case& c : Cases()) {
      size_t size = c.channels == 1 ? MonoBytes(c.byteCount) : StereoBytes(c.byteCount);
      EaAdpcmState fast = c.start, slow = c.start;
      Bytes got = c.channels == 1 ? EncodeMono(c.pcm, fast, c.byteCount, kernel)
                                  : EncodeStereo(c.pcm, fast, c.byteCount, kernel);
      Bytes want = Output(size);
      uint8_t* end = reference::Encode(c.pcm.data(), want.data(), slow, c.byteCount, c.channels, false);
      ASSERT_EQ(static_cast<size_t>(end - want.data()), size) << c.name;
      want.resize(size);
      ASSERT_EQ(got, want) << c.name;
      EXPECT_EQ(fast.current1, slow.current1) << c.name;
      EXPECT_EQ(fast.previous1, slow.previous1) << c.name;
      EXPECT_EQ(fast.current2, slow.current2) << c.name;
      EXPECT_EQ(fast.previous2, slow.previous2) << c.name;
    }
  }
}

TEST_F(EaAdpcmEncoder, SplitStereoMatchesTheReferenceByteForByte) {
  const std::unique_ptr<EncoderHelper> helper = EncoderHelper::Start();
  ASSERT_TRUE(helper);
  for (EaAdpcmKernel kernel : Kernels()) {
    const EaAdpcmLayout split{2, true, kernel, helper.get()};
    SCOPED_TRACE(static_cast<int>(kernel));
    for (const Case& c : Cases()) {
      if (c.channels != 2) continue;
      size_t size = 2 * MonoBytes(c.byteCount / 2);
      EaAdpcmState fast = c.start, slow = c.start;
      Bytes got = Output(size);
      uint8_t* end = EncodeEaAdpcm(c.pcm.data(), got.data(), fast, c.byteCount, split);
      ASSERT_EQ(static_cast<size_t>(end - got.data()), size) << c.name;
      ExpectGuardIntact(got, size);
      Bytes want = Output(size);
      reference::Encode(c.pcm.data(), want.data(), slow, c.byteCount, 2, true);
      got.resize(size);
      want.resize(size);
      ASSERT_EQ(got, want) << c.name;
      EXPECT_EQ(fast.current1, slow.current1) << c.name;
      EXPECT_EQ(fast.previous2, slow.previous2) << c.name;
    }
  }
}

// Driver -----------------------------------------------------------------------

TEST_F(EaAdpcmEncoder, DriverChoosesTheCoderByChannelsAndSplitFlag) {
  Pcm pcm = Music(56 * 6, 2, 11);
  const int32_t count = BytesOf(pcm);
  struct Setting {
    int16_t channels;
    uint16_t flags;
    size_t size;
  };
  for (Setting s : {Setting{1, EA_ADPCM, MonoBytes(count)}, Setting{1, EA_ADPCM2, MonoBytes(count)},
                    Setting{2, EA_ADPCM, StereoBytes(count)}}) {
    const EaAdpcmLayout layout{s.channels, (s.flags & EA_ADPCM2) != 0};
    EaAdpcmState viaDriver, direct;
    Bytes got = Output(s.size);
    ASSERT_EQ(static_cast<size_t>(EncodeEaAdpcm(pcm.data(), got.data(), viaDriver, count, layout) - got.data()),
              s.size);
    got.resize(s.size);
    Bytes want = s.channels == 1 ? EncodeMono(pcm, direct, count) : EncodeStereo(pcm, direct, count);
    EXPECT_EQ(got, want) << s.channels << " " << s.flags;
  }
}

TEST_F(EaAdpcmEncoder, SplitStereoWritesAllLeftFramesThenAllRightFrames) {
  Pcm pcm = Music(56 * 5 + 10, 2, 12);  // a partial last frame per half
  const int32_t count = BytesOf(pcm);
  EaAdpcmState state{0, 100, 90, -50, -40};
  const size_t half = MonoBytes(count / 2);
  Bytes got = Output(2 * half);
  EncodeEaAdpcm(pcm.data(), got.data(), state, count, EaAdpcmLayout{2, true});

  Pcm left, right;
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
    left.push_back(pcm[i]);
    right.push_back(pcm[i + 1]);
  }
  EaAdpcmState l{0, 100, 90, 0, 0}, r{0, -50, -40, 0, 0};
  Bytes wantLeft = EncodeMono(left, l, count / 2);
  Bytes wantRight = EncodeMono(right, r, count / 2);
  EXPECT_EQ(Bytes(got.begin(), got.begin() + half), wantLeft);
  EXPECT_EQ(Bytes(got.begin() + half, got.begin() + 2 * half), wantRight);
  EXPECT_EQ(state.current1, l.current1);
  EXPECT_EQ(state.previous1, l.previous1);
  EXPECT_EQ(state.current2, r.current1);
  EXPECT_EQ(state.previous2, r.previous1);
}

TEST_F(EaAdpcmEncoder, SplitStereoFromSeveralThreadsAtOnceGivesTheReferenceBytes) {
  // Only one caller at a time gets a shared helper thread; the others code
  // both halves themselves. Every caller must still get its own right bytes.
  const std::unique_ptr<EncoderHelper> helper = EncoderHelper::Start();
  ASSERT_TRUE(helper);
  std::vector<Pcm> songs;
  std::vector<Bytes> want, got;
  for (uint32_t seed = 0; seed < 4; ++seed) {
    songs.push_back(Music(56 * 120, 2, seed));
    const size_t size = 2 * MonoBytes(BytesOf(songs.back()) / 2);
    want.push_back(Bytes(size));
    got.push_back(Bytes(size));
    EaAdpcmState state;
    reference::Encode(songs.back().data(), want.back().data(), state, BytesOf(songs.back()), 2, true);
  }
  std::vector<std::thread> callers;
  for (size_t i = 0; i < songs.size(); ++i) {
    callers.emplace_back([&, i] {
      for (int repeat = 0; repeat < 3; ++repeat) {
        EaAdpcmState state;
        EncodeEaAdpcm(songs[i].data(), got[i].data(), state, BytesOf(songs[i]),
                      EaAdpcmLayout{2, true, DetectedEaAdpcmKernel(), helper.get()});
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  for (size_t i = 0; i < songs.size(); ++i) EXPECT_EQ(got[i], want[i]) << i;
}

TEST_F(EaAdpcmEncoder, DriverWithNothingToCodeReturnsItsOutput) {
  for (int16_t channels : {1, 2}) {
    for (uint16_t flags : {EA_ADPCM, EA_ADPCM2}) {
      const EaAdpcmLayout layout{channels, (flags & EA_ADPCM2) != 0};
      EaAdpcmState state;
      uint8_t out[30];
      int16_t pcm[2] = {0, 0};
      // The codec never ends the run; its callers refuse an empty result.
      EXPECT_EQ(EncodeEaAdpcm(pcm, out, state, 0, layout), out);
    }
  }
}

// Round trips through the decoder --------------------------------------------------

TEST_F(EaAdpcmEncoder, RoundTripsThroughTheDecoderWithHighSnr) {
  for (int channels : {1, 2}) {
    for (const Pcm& pcm : {Tones(28 * channels * 300, channels, 20000), Tones(28 * channels * 300, channels, 700)}) {
      EaAdpcmState state;
      Bytes coded = channels == 1 ? EncodeMono(pcm, state, BytesOf(pcm)) : EncodeStereo(pcm, state, BytesOf(pcm));
      Bytes decoded(pcm.size() * 2 + 256);
      EaAdpcmState decoder;
      decoder.count = channels == 1 ? static_cast<int32_t>(coded.size()) : static_cast<int32_t>(pcm.size() / 2);
      uint8_t* end = channels == 1 ? DecodeEaAdpcmMono(coded.data(), decoded.data(), decoder)
                                   : DecodeEaAdpcmStereo(coded.data(), decoded.data(), decoder);
      ASSERT_EQ(static_cast<size_t>(end - decoded.data()), pcm.size() * 2);
      double snr = SnrDb(pcm.data(), Samples(decoded, pcm.size()).data(), pcm.size());
      EXPECT_GT(snr, 40.0) << channels;
    }
  }
}

TEST_F(EaAdpcmEncoder, SplitStereoRoundTripsPerChannel) {
  Pcm pcm = Tones(56 * 200, 2, 15000);
  EaAdpcmState state;
  const size_t half = MonoBytes(BytesOf(pcm) / 2);
  Bytes coded(2 * half);
  EncodeEaAdpcm(pcm.data(), coded.data(), state, BytesOf(pcm), EaAdpcmLayout{2, true});
  for (int channel : {0, 1}) {
    EaAdpcmState decoder;
    decoder.count = static_cast<int32_t>(half);
    Bytes decoded(pcm.size() + 64);
    DecodeEaAdpcmMono(coded.data() + channel * half, decoded.data(), decoder);
    Pcm original, got = Samples(decoded, pcm.size() / 2);
    for (size_t i = channel; i < pcm.size(); i += 2) original.push_back(pcm[i]);
    EXPECT_GT(SnrDb(original.data(), got.data(), original.size()), 40.0) << channel;
  }
}

}  // namespace
