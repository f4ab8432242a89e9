#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "dsp/SpectralFrame.h"

namespace sonavue::dsp {
namespace {

double WindowSum(const SpectralFrame& frame) {
  const auto w = frame.Window();
  return std::accumulate(w.begin(), w.end(), 0.0);
}

TEST(SpectralFrameTest, ShortWindowIsCentredAndZeroPadded) {
  SpectralFrame frame;
  // 100 Hz resolution: 10 ms, 480 samples at 48 kHz inside a 1024-point frame.
  ASSERT_TRUE(frame.Create(1024, 48000.0, 1000.0f / 100.0f));
  EXPECT_EQ(frame.HalfLength(), 240);
  const auto w = frame.Window();
  ASSERT_EQ(w.size(), 1024u);
  for (int i = 0; i <= 272; ++i) EXPECT_EQ(w[i], 0.0) << i;
  for (int i = 273; i <= 751; ++i) EXPECT_GT(w[i], 0.0) << i;
  for (int i = 752; i < 1024; ++i) EXPECT_EQ(w[i], 0.0) << i;
  EXPECT_EQ(w[512], 1.0);
  for (int i = 1; i < 240; ++i) {
    EXPECT_NEAR(w[512 + i], w[512 - i], 1e-12) << i;  // symmetric about the centre
    EXPECT_LT(w[512 - i], w[512 - i + 1]) << i;       // rising towards it
  }
  // A Hann window of 2h points sums to h.
  EXPECT_NEAR(WindowSum(frame), 240.0, 1e-9);
}

TEST(SpectralFrameTest, ResolutionFinerThanABinGivesTheFullFrame) {
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(1024, 48000.0, 1000.0f / 20.0f));  // 2400 samples > 1024
  EXPECT_EQ(frame.HalfLength(), 512);
  const auto w = frame.Window();
  EXPECT_EQ(w[0], 0.0);
  EXPECT_EQ(w[512], 1.0);
  for (int i = 1; i < 1024; ++i) EXPECT_GT(w[i], 0.0) << i;
  EXPECT_NEAR(WindowSum(frame), 512.0, 1e-9);
  // A rate or time of −1 also stands for the full frame.
  ASSERT_TRUE(frame.Create(512, -1.0, 10.0f));
  EXPECT_EQ(frame.HalfLength(), 256);
  ASSERT_TRUE(frame.Create(512, 48000.0, -1.0f));
  EXPECT_EQ(frame.HalfLength(), 256);
}

TEST(SpectralFrameTest, ExactRatioOfRateAndResolutionGivesTheExactLength) {
  SpectralFrame frame;
  // 60 Hz lasts 16.666… ms, held in single precision; at 48 kHz that is 800
  // samples, not 799.
  ASSERT_TRUE(frame.Create(1024, 48000.0, 1000.0f / 60.0f));
  EXPECT_EQ(frame.HalfLength(), 400);
  ASSERT_TRUE(frame.Create(1024, 48000.0, 1000.0f / 120.0f));
  EXPECT_EQ(frame.HalfLength(), 200);
}

TEST(SpectralFrameTest, EveryWholeRatioOfRateAndResolutionGivesThatLength) {
  SpectralFrame frame;
  for (const int rate : {8000, 16000, 24000, 32000, 48000, 96000}) {
    for (int length = 2; length <= 16384; length += 2) {
      if (rate % length != 0) continue;
      const float resolutionHz = static_cast<float>(rate / length);
      ASSERT_TRUE(frame.Create(16384, rate, 1000.0f / resolutionHz));
      EXPECT_EQ(frame.HalfLength(), length / 2) << rate << " Hz at " << resolutionHz << " Hz";
    }
  }
}

TEST(SpectralFrameTest, WindowLengthOfAResolution) {
  EXPECT_EQ(WindowLength(48000.0f, WindowDurationMs(60.0f), 1024), 800);
  EXPECT_EQ(WindowLength(48000.0f, WindowDurationMs(100.0f), 1024), 480);
  EXPECT_EQ(WindowLength(32000.0f, WindowDurationMs(40.0f), 1024), 800);
  // Longer than the frame, no resolution, or −1: the whole frame.
  EXPECT_EQ(WindowLength(48000.0f, WindowDurationMs(20.0f), 1024), 1024);
  EXPECT_EQ(WindowLength(48000.0f, WindowDurationMs(0.0f), 512), 512);
  EXPECT_EQ(WindowLength(-1.0f, 10.0f, 512), 512);
  EXPECT_EQ(WindowLength(48000.0f, -1.0f, 512), 512);
  EXPECT_EQ(WindowLength(48000.0f, std::nanf(""), 512), 512);
  EXPECT_EQ(WindowLength(48000.0f, 0.0f, 512), 0);
}

TEST(SpectralFrameTest, OddWindowLengthIsShortenedToEven) {
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(1024, 1000.0, 101.0f));  // 101 samples → 2h = 100
  EXPECT_EQ(frame.HalfLength(), 50);
  EXPECT_EQ(frame.Window()[512 - 50], 0.0);
  EXPECT_GT(frame.Window()[512 + 49], 0.0);
  EXPECT_EQ(frame.Window()[512 + 50], 0.0);
}

TEST(SpectralFrameTest, ConstantFrameGivesSignedDc) {
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(1024, 48000.0, 10.0f));
  const double expected = 3.0 * WindowSum(frame) / 1024.0;
  std::vector<float> samples(1024, 3.0f);
  frame.MagnitudeSpectrum(samples);
  EXPECT_NEAR(samples[0], expected, 1e-5);
  std::vector<float> negative(1024, -3.0f);
  frame.MagnitudeSpectrum(negative);
  EXPECT_NEAR(negative[0], -expected, 1e-5);
}

TEST(SpectralFrameTest, AlternatingFrameIsReportedSignedInTheLastElement) {
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(1024, 48000.0, -1.0f));
  std::vector<float> samples(1024);
  for (int i = 0; i < 1024; ++i) samples[i] = (i % 2 == 0) ? 8.0f : -8.0f;
  frame.MagnitudeSpectrum(samples);
  // The term at fs/2 is Σ w[k]·(±8) / N = 8·512/1024 = 4. Bin 511 proper
  // (leakage of the Hann main lobe) would be 2; it is not reported.
  EXPECT_NEAR(samples[511], 4.0f, 1e-5);
  for (int i = 0; i < 1024; ++i) samples[i] = (i % 2 == 0) ? -8.0f : 8.0f;
  frame.MagnitudeSpectrum(samples);
  EXPECT_NEAR(samples[511], -4.0f, 1e-5);
  EXPECT_NEAR(samples[0], 0.0f, 1e-5);
}

TEST(SpectralFrameTest, SineAtABinCentreHasHalfItsWindowedAmplitude) {
  const int n = 2048;
  const int bin = 100;
  for (const float windowMs : {-1.0f, 20.0f}) {
    SpectralFrame frame;
    ASSERT_TRUE(frame.Create(n, 48000.0, windowMs));
    std::vector<float> samples(n);
    for (int i = 0; i < n; ++i) {
      samples[i] =
          static_cast<float>(1000.0 * std::cos(2.0 * std::numbers::pi * bin * i / n + 0.3));
    }
    frame.MagnitudeSpectrum(samples);
    const double expected = 1000.0 * WindowSum(frame) / (2.0 * n);
    EXPECT_NEAR(samples[bin], expected, expected * 1e-4) << windowMs;
    // The full Hann window leaks half as much into each neighbour.
    if (windowMs < 0.0f) {
      EXPECT_NEAR(samples[bin - 1], expected / 2.0, expected * 1e-4);
      EXPECT_NEAR(samples[bin + 2], 0.0, expected * 1e-4);
    }
  }
}

TEST(SpectralFrameTest, ReleaseEmptiesTheTablesAndStopsTheSpectrum) {
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(512, 48000.0, -1.0f));
  frame.Release();
  EXPECT_FALSE(frame.IsCreated());
  EXPECT_TRUE(frame.Window().empty());
  std::vector<float> samples(512, 1.0f);
  frame.MagnitudeSpectrum(samples);
  EXPECT_EQ(samples, std::vector<float>(512, 1.0f));
}

TEST(SpectralFrameTest, RejectsSizesThatAreNotPowersOfTwoAndShortFrames) {
  SpectralFrame frame;
  EXPECT_FALSE(frame.Create(1000, 48000.0, 10.0f));
  EXPECT_FALSE(frame.Create(0, 48000.0, 10.0f));
  ASSERT_TRUE(frame.Create(512, 48000.0, 10.0f));
  std::vector<float> shortFrame(511, 1.0f);
  frame.MagnitudeSpectrum(shortFrame);
  EXPECT_EQ(shortFrame, std::vector<float>(511, 1.0f));
}

}  // namespace
}  // namespace sonavue::dsp
