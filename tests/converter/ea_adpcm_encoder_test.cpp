// The encoder's frame-level choices: the nearest code, silence, the
// stereo candidates, padding and the history carried between calls.
#include "ea_adpcm_encoder_test_support.h"

namespace {

using namespace encoder_test;

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
    auto encode = [channels](const Pcm& samples, EaAdpcmState& state, int32_t byteCount) {
      return channels == 1 ? EncodeMono(samples, state, byteCount) : EncodeStereo(samples, state, byteCount);
    };
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

}  // namespace
