#include "converter/codecs/ea_adpcm_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "converter/codecs/ea_adpcm.h"
#include "converter/codecs/ea_adpcm_encoder_internal.h"
#include "converter/fatal.h"
#include "converter/state.h"
#include "ea_adpcm_encoder_reference.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Pcm = std::vector<int16_t>;

constexpr double kPi = 3.14159265358979323846;

int Step(int scale) { return 4096 >> scale; }

size_t MonoBytes(int32_t byteCount) { return static_cast<size_t>((byteCount + 55) / 56) * 15; }
size_t StereoBytes(int32_t byteCount) { return static_cast<size_t>((byteCount + 111) / 112) * 30; }

// Output buffers carry a guard tail so that writing past the promised size
// shows up as a changed guard byte.
Bytes Output(size_t size) { return Bytes(size + 64, 0xA5); }

void ExpectGuardIntact(const Bytes& buffer, size_t size) {
  for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << "written past the end at " << i;
}

Bytes EncodeMono(const Pcm& pcm, EaAdpcmState& state, int32_t byteCount) {
  Bytes out = Output(MonoBytes(byteCount));
  uint8_t* end = EncodeEaAdpcmMono(pcm.data(), out.data(), state, byteCount);
  EXPECT_EQ(static_cast<size_t>(end - out.data()), MonoBytes(byteCount));
  ExpectGuardIntact(out, MonoBytes(byteCount));
  out.resize(MonoBytes(byteCount));
  return out;
}

Bytes EncodeStereo(const Pcm& pcm, EaAdpcmState& state, int32_t byteCount) {
  Bytes out = Output(StereoBytes(byteCount));
  uint8_t* end = EncodeEaAdpcmStereo(pcm.data(), out.data(), state, byteCount);
  EXPECT_EQ(static_cast<size_t>(end - out.data()), StereoBytes(byteCount));
  ExpectGuardIntact(out, StereoBytes(byteCount));
  out.resize(StereoBytes(byteCount));
  return out;
}

int32_t BytesOf(const Pcm& pcm) { return static_cast<int32_t>(pcm.size() * 2); }

// Signals -----------------------------------------------------------------

Pcm Sweep(size_t values, int channels, double amplitude, uint32_t seed) {
  Pcm pcm(values);
  double phase[2] = {0, 0.5 * seed};
  for (size_t i = 0; i < values; ++i) {
    int c = static_cast<int>(i % channels);
    double t = static_cast<double>(i / channels) / (values / channels);
    double frequency = (c == 0 ? 40 + 6000 * t * t : 7000 - 6500 * t) / 44100.0;
    phase[c] += 2 * kPi * frequency;
    pcm[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase[c])));
  }
  return pcm;
}

Pcm Noise(size_t values, int amplitude, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-amplitude, amplitude - 1);
  Pcm pcm(values);
  for (auto& v : pcm) v = static_cast<int16_t>(value(random));
  return pcm;
}

// Full-scale square waves make the predictors overshoot beyond 16 bits.
Pcm Square(size_t values, int period) {
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) pcm[i] = (i / period) % 2 ? -32768 : 32767;
  return pcm;
}

// Music-like: a few partials with a slow envelope, quiet passages, a click.
Pcm Music(size_t values, int channels, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> hiss(0, 30);
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) {
    double t = static_cast<double>(i / channels) / 44100.0;
    double envelope = 0.5 + 0.5 * std::sin(2 * kPi * 0.7 * t + (i % channels));
    double v = envelope * (9000 * std::sin(2 * kPi * 220 * t) + 5000 * std::sin(2 * kPi * 660.5 * t) +
                           2500 * std::sin(2 * kPi * 3111 * t)) +
               hiss(random);
    if ((i / channels) % 5000 == 17) v = 30000;
    pcm[i] = static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
  }
  return pcm;
}

// Two partials per channel at similar levels: material the format codes well
// in both channels at once.
Pcm Tones(size_t values, int channels, double amplitude) {
  Pcm pcm(values);
  for (size_t i = 0; i < values; ++i) {
    double t = static_cast<double>(i / channels) / 44100.0;
    int c = static_cast<int>(i % channels);
    double v = amplitude * (0.6 * std::sin(2 * kPi * 330 * t + c) + 0.4 * std::sin(2 * kPi * (1250 + 200 * c) * t));
    pcm[i] = static_cast<int16_t>(std::lround(v));
  }
  return pcm;
}

double SnrDb(const int16_t* original, const int16_t* decoded, size_t count) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < count; ++i) {
    signal += static_cast<double>(original[i]) * original[i];
    double e = static_cast<double>(original[i]) - decoded[i];
    noise += e * e;
  }
  return 10 * std::log10(signal / std::max(noise, 1e-9));
}

// Decoded PCM is little-endian on every target this builds for; read it
// portably anyway.
Pcm Samples(const Bytes& le, size_t count) {
  Pcm pcm(count);
  for (size_t i = 0; i < count; ++i) pcm[i] = static_cast<int16_t>(le[2 * i] | le[2 * i + 1] << 8);
  return pcm;
}

class EaAdpcmEncoder : public ::testing::Test {
 protected:
  void SetUp() override { ResetConverterState(); }
  void TearDown() override {
    ResetConverterState();
    SelectEaAdpcmKernel(DetectedEaAdpcmKernel());
  }
};

// Every kernel this build and CPU can run; each must give the same bytes.
std::vector<EaAdpcmKernel> Kernels() {
  std::vector<EaAdpcmKernel> kernels = {EaAdpcmKernel::kScalar};
#if defined(__SSE2__)
  kernels.push_back(EaAdpcmKernel::kSse2);
#endif
  if (DetectedEaAdpcmKernel() == EaAdpcmKernel::kAvx2) kernels.push_back(EaAdpcmKernel::kAvx2);
  return kernels;
}

// NearestCode -----------------------------------------------------------------

TEST_F(EaAdpcmEncoder, NearestCodeIsTheNearestTableEntryWithTiesToTheLowerCode) {
  for (int s = 0; s <= 12; ++s) {
    const int step = Step(s);
    for (int d = -8 * step - 3 * step; d <= 7 * step + 3 * step; d += std::max(1, step / 8)) {
      for (int prediction : {0, 1234, -20000}) {
        uint32_t cost = 0;
        int code = NearestCode(d + prediction, prediction, s, cost);
        ASSERT_GE(code, 0);
        ASSERT_LE(code, 15);
        int value = (code < 8 ? code : code - 16) * step;
        for (int n = 0; n < 16; ++n) {
          int other = (n < 8 ? n : n - 16) * step;
          ASSERT_LE(std::abs(d - value), std::abs(d - other)) << "s " << s << " d " << d;
          if (std::abs(d - value) == std::abs(d - other)) {
            ASSERT_LE(code, n) << "tie s " << s << " d " << d;
          }
        }
        ASSERT_EQ(cost, static_cast<uint32_t>(std::abs(d - value)));
      }
    }
  }
}

TEST_F(EaAdpcmEncoder, NearestCodeChargesOverflowingResidualsAndStartsTheScanAt65536) {
  uint32_t cost = 5;
  EXPECT_EQ(NearestCode(32767, -8000, 12, cost), 7);  // d = 40767, e = 40760
  EXPECT_EQ(cost, 5u + 1000000u + 40760u);

  cost = 0;
  EXPECT_EQ(NearestCode(-32768, 4000, 12, cost), 8);  // d = -36768, e = -36760
  EXPECT_EQ(cost, 1000000u + 36760u);

  // Every entry of row 0 is at least 65536 away: the scan keeps code 0.
  cost = 0;
  EXPECT_EQ(NearestCode(30000, 30000 - (28672 + 65536), 0, cost), 0);
  EXPECT_EQ(cost, 1000000u + 28672u + 65536u);
  cost = 0;
  EXPECT_EQ(NearestCode(30000, 30000 - (28672 + 65535), 0, cost), 7);
  EXPECT_EQ(cost, 1000000u + 65535u);
}

// Frames and the examples -------------------------------------------------------

TEST_F(EaAdpcmEncoder, MonoSilenceFromZeroHistoryIsCoefficientZeroScaleZero) {
  Pcm pcm(28 * 3, 0);
  EaAdpcmState state;
  Bytes out = EncodeMono(pcm, state, BytesOf(pcm));
  EXPECT_EQ(out, Bytes(45, 0x00));
  EXPECT_EQ(state.current1, 0);
  EXPECT_EQ(state.previous1, 0);
}

TEST_F(EaAdpcmEncoder, StereoSilenceIsTheFirstCandidate) {
  Pcm pcm(56 * 2, 0);
  EaAdpcmState state;
  Bytes out = EncodeStereo(pcm, state, BytesOf(pcm));
  Bytes frame(30, 0x00);
  frame[0] = 0x11;
  frame[1] = 0xBC;
  Bytes expected = frame;
  expected.insert(expected.end(), frame.begin(), frame.end());
  EXPECT_EQ(out, expected);
}

TEST_F(EaAdpcmEncoder, StereoRangeBelowSevenCodesOnlyTheFirstScalePair) {
  // Values -3..3: range 6, so every frame keeps the scales 11 and 12.
  Pcm pcm(56 * 4);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(static_cast<int>(i * 5 % 7) - 3);
  EaAdpcmState state;
  Bytes out = EncodeStereo(pcm, state, BytesOf(pcm));
  for (size_t f = 0; f < 4; ++f) EXPECT_EQ(out[30 * f + 1], 0xBC) << f;
  pcm.resize(56);

  // Range 7 lowers the floor scale to 11, and the pair (11, 11) is tried too.
  pcm[0] = 4;
  pcm[1] = -3;
  state = {};
  out = EncodeStereo(pcm, state, BytesOf(pcm));
  Bytes expected = Output(30);
  EaAdpcmState fresh;
  reference::EncodeStereo(pcm.data(), expected.data(), fresh, BytesOf(pcm));
  expected.resize(30);
  EXPECT_EQ(out, expected);
}

TEST_F(EaAdpcmEncoder, StereoFrameWithoutAnyCandidateBelowTheLimitEmitsTheFirstCandidate) {
  // A history near 900,000 puts every prediction of the first frame far out
  // of range: each of the 56 residuals costs over 1,000,000, so no candidate
  // gets below 20,000,000 and the first one, (11, 12) with pairs 1 and 1, is
  // emitted and its history carried on.
  Pcm pcm = Sweep(56 * 6, 2, 20000, 4);
  EaAdpcmState fast{0, 900000, -900000, -700000, 800000};
  EaAdpcmState slow = fast;
  Bytes got = EncodeStereo(pcm, fast, BytesOf(pcm));
  EXPECT_EQ(got[0], 0x11);
  EXPECT_EQ(got[1], 0xBC);
  Bytes want = Output(got.size());
  reference::EncodeStereo(pcm.data(), want.data(), slow, BytesOf(pcm));
  want.resize(got.size());
  EXPECT_EQ(got, want);
}

TEST_F(EaAdpcmEncoder, ByteCountRoundsUpToWholeFramesAndPadsWithSilence) {
  Pcm pcm = Noise(28 * 4, 20000, 7);
  EaAdpcmState a, b, c;
  EXPECT_EQ(EncodeMono(pcm, a, 56).size(), 15u);
  Bytes odd = EncodeMono(pcm, b, 57);  // the 57th byte is no whole sample
  ASSERT_EQ(odd.size(), 30u);
  Pcm padded(pcm.begin(), pcm.begin() + 28);
  padded.resize(56, 0);
  EXPECT_EQ(odd, EncodeMono(padded, c, 112));

  EaAdpcmState d, e;
  EXPECT_EQ(EncodeStereo(pcm, d, 112).size(), 30u);
  EXPECT_EQ(EncodeStereo(pcm, e, 113).size(), 60u);
}

TEST_F(EaAdpcmEncoder, NothingToCodeLeavesOutputAndHistoryAlone) {
  Pcm pcm = Noise(56, 1000, 1);
  EaAdpcmState state{0, 11, 22, 33, 44};
  uint8_t out[32];
  EXPECT_EQ(EncodeEaAdpcmMono(pcm.data(), out, state, 0), out);
  EXPECT_EQ(EncodeEaAdpcmStereo(pcm.data(), out, state, -4), out);
  EXPECT_EQ(state.current1, 11);
  EXPECT_EQ(state.previous1, 22);
  EXPECT_EQ(state.current2, 33);
  EXPECT_EQ(state.previous2, 44);
}

TEST_F(EaAdpcmEncoder, TwoCallsEqualOneCallWhenTheHistoryIsWholeBetweenThem) {
  // Loud material, then one silent frame that brings the history to exactly
  // zero, then loud material again.
  for (int channels : {1, 2}) {
    Pcm pcm = Music(28 * channels * 20, channels, 3);
    std::fill(pcm.begin() + 28 * channels * 9, pcm.begin() + 28 * channels * 10, 0);
    const int32_t firstBytes = 28 * channels * 10 * 2;
    auto encode = channels == 1 ? EncodeMono : EncodeStereo;
    EaAdpcmState one, two;
    Bytes whole = encode(pcm, one, BytesOf(pcm));
    Bytes first = encode(pcm, two, firstBytes);
    Pcm rest(pcm.begin() + firstBytes / 2, pcm.end());
    Bytes second = encode(rest, two, BytesOf(rest));
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, whole) << channels << " channels";
    EXPECT_EQ(two.current1, one.current1);
    EXPECT_EQ(two.previous2, one.previous2);
  }
}

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
    SelectEaAdpcmKernel(kernel);
    SCOPED_TRACE(static_cast<int>(kernel));
    for (const Case& c : Cases()) {
      size_t size = c.channels == 1 ? MonoBytes(c.byteCount) : StereoBytes(c.byteCount);
      EaAdpcmState fast = c.start, slow = c.start;
      Bytes got = c.channels == 1 ? EncodeMono(c.pcm, fast, c.byteCount) : EncodeStereo(c.pcm, fast, c.byteCount);
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
  const EaAdpcmLayout split{2, true};
  for (EaAdpcmKernel kernel : Kernels()) {
    SelectEaAdpcmKernel(kernel);
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
  // Only one caller at a time gets the helper thread; the others code both
  // halves themselves. Every caller must still get its own right bytes.
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
        EncodeEaAdpcm(songs[i].data(), got[i].data(), state, BytesOf(songs[i]), EaAdpcmLayout{2, true});
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  for (size_t i = 0; i < songs.size(); ++i) EXPECT_EQ(got[i], want[i]) << i;
}

TEST_F(EaAdpcmEncoder, DriverWithNothingToCodeIsFatal) {
  for (int16_t channels : {1, 2}) {
    for (uint16_t flags : {EA_ADPCM, EA_ADPCM2}) {
      const EaAdpcmLayout layout{channels, (flags & EA_ADPCM2) != 0};
      EaAdpcmState state;
      uint8_t out[30];
      int16_t pcm[2] = {0, 0};
      try {
        EncodeEaAdpcm(pcm, out, state, 0, layout);
        ADD_FAILURE() << "no fatal error";
      } catch (const FatalError& e) {
        EXPECT_STREQ(e.what(), "encoder returned no data. this is bug!");
        EXPECT_TRUE(e.appendNewline);
      }
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
