#include "importer/core/signal/resampler.h"

#include <gtest/gtest.h>

#include "signal_helpers.h"

namespace {

// Level of a tone after conversion, measured away from the ends, in dB
// relative to its input level; also its frequency by the phase drift.
double LevelAfter(int inRate, int outRate, double hz) {
  Audio out = ConvertAudio(Sine(inRate, 1, hz, 0.5, 1.0), outRate, 1);
  const int64_t margin = outRate / 10;
  return Db(ToneAmplitude(out, 0, hz, margin, out.Frames() - margin) / 0.5);
}

TEST(Resampler, PassbandIsFlatToNinetyPercentOfTheLowerNyquist) {
  const int pairs[][2] = {{44100, 22050}, {48000, 22050}, {8000, 22050}, {22050, 44100}, {44101, 22050}, {192000, 22050}};
  for (const auto& p : pairs) {
    const double edge = 0.9 * std::min(p[0], p[1]) / 2;
    for (double hz : {100.0, 1000.0, edge / 2, edge}) {
      // Whole cycles of the measuring window at the output rate keep the
      // measurement itself exact enough.
      EXPECT_NEAR(LevelAfter(p[0], p[1], hz), 0.0, 0.1) << p[0] << " -> " << p[1] << " at " << hz << " Hz";
    }
  }
}

TEST(Resampler, ToneAboveTheNewNyquistIsAtLeast80DbDown) {
  const int pairs[][2] = {{44100, 22050}, {48000, 22050}, {96000, 22050}, {44101, 22050}, {22050, 11025}};
  for (const auto& p : pairs) {
    const double nyquist = p[1] / 2.0;
    for (double hz : {nyquist * 1.0, nyquist * 1.1, nyquist * 1.5, p[0] / 2.0 * 0.98}) {
      Audio out = ConvertAudio(Sine(p[0], 1, hz, 1.0, 0.5), p[1], 1);
      double worst = 0;
      for (size_t i = static_cast<size_t>(p[1] / 20); i + p[1] / 20 < out.samples.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::fabs(out.samples[i])));
      EXPECT_LT(Db(worst), -80.0) << p[0] << " -> " << p[1] << " at " << hz << " Hz";
    }
  }
}

TEST(Resampler, KeepsFrequencyLengthAndChannelRules) {
  // 1 kHz at 44,100 Hz stereo with different channels, to 22,050 Hz mono:
  // the average of both, at the same frequency.
  Audio in = Sine(44100, 2, 1000, 0.5, 1.0);
  for (int64_t i = 0; i < in.Frames(); ++i) in.samples[static_cast<size_t>(2 * i + 1)] *= 0.5f;
  Audio mono = ConvertAudio(in, 22050, 1);
  EXPECT_EQ(mono.Frames(), 22050);
  EXPECT_NEAR(Db(ToneAmplitude(mono, 0, 1000, 2205, 22050 - 2205) / 0.375), 0.0, 0.1);
  EXPECT_LT(ToneAmplitude(mono, 0, 1001, 2205, 22050 - 2205), 0.375 * 0.5);  // not a neighbouring frequency

  // Mono to stereo duplicates, at 48,000 to 22,050 Hz.
  Audio stereo = ConvertAudio(Sine(48000, 1, 440, 0.25, 0.5), 22050, 2);
  EXPECT_EQ(stereo.Frames(), 11025);
  for (int64_t i = 0; i < stereo.Frames(); ++i)
    ASSERT_EQ(stereo.samples[static_cast<size_t>(2 * i)], stereo.samples[static_cast<size_t>(2 * i + 1)]);

  // The same rate passes samples through.
  Audio same = ConvertAudio(in, 44100, 2);
  EXPECT_EQ(same.samples, in.samples);

  // Chunked input gives the same output as one push.
  Audio chunked;
  chunked.rate = 22050;
  chunked.channels = 2;
  Resampler r(44100, 2, chunked);
  for (int64_t at = 0; at < in.Frames(); at += 777)
    r.Push(in.samples.data() + at * 2, static_cast<size_t>(std::min<int64_t>(777, in.Frames() - at)));
  r.Finish();
  EXPECT_EQ(chunked.samples, ConvertAudio(in, 22050, 2).samples);
}

}  // namespace

// The two-channel inner product adds in the same order as the single one,
// so a stereo song has the bits of its channels made one by one.
TEST(Resampler, PairedInnerProductsGiveTheSameBits) {
  std::vector<float> x0(260), x1(260), h(260);
  for (size_t i = 0; i < h.size(); ++i) {
    x0[i] = static_cast<float>(std::sin(0.37 * i) * 0.8 + 1e-3 * (i % 7));
    x1[i] = static_cast<float>(std::cos(0.21 * i) * 0.6 - 1e-3 * (i % 5));
    h[i] = static_cast<float>(std::cos(0.11 * i) / (1 + i));
  }
  for (int n : {4, 8, 12, 228, 236, 260}) {
    float y0 = 0, y1 = 0;
    DotPair(x0.data(), x1.data(), h.data(), n, y0, y1);
    EXPECT_EQ(y0, Dot(x0.data(), h.data(), n)) << n;
    EXPECT_EQ(y1, Dot(x1.data(), h.data(), n)) << n;
  }
}
