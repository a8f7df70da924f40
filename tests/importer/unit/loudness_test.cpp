#include "importer/core/signal/loudness.h"

#include <gtest/gtest.h>

#include "signal_helpers.h"

namespace {

void Append(Audio& to, const Audio& more) { to.samples.insert(to.samples.end(), more.samples.begin(), more.samples.end()); }

// A 1 kHz stereo sine whose peak level is dbfs in each channel.
Audio Tone(double dbfs, double seconds, int rate = 48000) {
  return Sine(rate, 2, 1000, std::pow(10.0, dbfs / 20), seconds);
}

double Measure(const Audio& a) {
  double lufs = 0;
  EXPECT_TRUE(IntegratedLoudness(a, lufs));
  return lufs;
}

TEST(Loudness, KWeightingAt48kHzIsTheTabulatedFilter) {
  Biquad shelf = KWeightingShelf(48000);
  EXPECT_NEAR(shelf.b0, 1.53512485958697, 1e-8);
  EXPECT_NEAR(shelf.b1, -2.69169618940638, 1e-8);
  EXPECT_NEAR(shelf.b2, 1.19839281085285, 1e-8);
  EXPECT_NEAR(shelf.a1, -1.69065929318241, 1e-8);
  EXPECT_NEAR(shelf.a2, 0.73248077421585, 1e-8);
  Biquad highPass = KWeightingHighPass(48000);
  EXPECT_NEAR(highPass.a1, -1.99004745483398, 1e-8);
  EXPECT_NEAR(highPass.a2, 0.99007225036621, 1e-8);
}

TEST(Loudness, Tech3341CasesOneToFive) {
  EXPECT_NEAR(Measure(Tone(-23, 20)), -23.0, 0.1);
  EXPECT_NEAR(Measure(Tone(-33, 20)), -33.0, 0.1);
  EXPECT_NEAR(Measure(Tone(-23, 20, 22050)), -23.0, 0.1);  // the game's rate

  Audio gated = Tone(-36, 10);  // case 3: the relative gate leaves the quiet parts out
  Append(gated, Tone(-23, 60));
  Append(gated, Tone(-36, 10));
  EXPECT_NEAR(Measure(gated), -23.0, 0.1);

  Audio absolute = Tone(-72, 10);  // case 4: and the absolute gate the very quiet ones
  Append(absolute, Tone(-36, 10));
  Append(absolute, Tone(-23, 60));
  Append(absolute, Tone(-36, 10));
  Append(absolute, Tone(-72, 10));
  EXPECT_NEAR(Measure(absolute), -23.0, 0.1);

  Audio steps = Tone(-26, 20);  // case 5
  Append(steps, Tone(-20, 20.1));
  Append(steps, Tone(-26, 20));
  EXPECT_NEAR(Measure(steps), -23.0, 0.1);

  double lufs = 0;
  EXPECT_FALSE(IntegratedLoudness(Tone(-90, 5), lufs));
  EXPECT_FALSE(IntegratedLoudness(Tone(-20, 0.3), lufs));  // shorter than one block
}

TEST(Loudness, GainMatchesTheTargetButKeepsPeaksBelowMinusOneDbfs) {
  GainChoice up = ChooseGain(true, true, -30.0, -20.0, 0.1f);
  EXPECT_NEAR(20 * std::log10(up.gain), 10.0, 1e-9);
  EXPECT_FALSE(up.peakLimited);

  GainChoice held = ChooseGain(true, true, -30.0, -10.0, 0.5f);
  EXPECT_TRUE(held.peakLimited);
  EXPECT_NEAR(20 * std::log10(held.gain * 0.5), -1.0, 1e-9);

  GainChoice down = ChooseGain(true, true, -8.0, kDefaultTargetLufs, 1.4f);
  EXPECT_NEAR(20 * std::log10(down.gain), -8.0, 1e-9);

  EXPECT_EQ(ChooseGain(false, true, -30.0, -10.0, 0.5f).gain, 1.0);
  EXPECT_EQ(ChooseGain(true, false, 0.0, -10.0, 0.5f).gain, 1.0);
}

}  // namespace
