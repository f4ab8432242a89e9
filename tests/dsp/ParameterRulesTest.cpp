#include <gtest/gtest.h>

#include <algorithm>

#include "dsp/ParameterRules.h"

namespace sonavue::dsp {
namespace {

TEST(ParameterRulesTest, ResolutionRangeIsOneToTenBinWidths) {
  // 48000 / 1024 = 46.875 Hz per bin.
  EXPECT_TRUE(ResolutionIsValid(48000.0f, 1024, 46.875f));
  EXPECT_TRUE(ResolutionIsValid(48000.0f, 1024, 100.0f));
  EXPECT_TRUE(ResolutionIsValid(48000.0f, 1024, 468.75f));
  EXPECT_FALSE(ResolutionIsValid(48000.0f, 1024, 46.0f));
  EXPECT_FALSE(ResolutionIsValid(48000.0f, 1024, 470.0f));
}

TEST(ParameterRulesTest, ZeroSizeOrResolutionIsNeverValid) {
  EXPECT_FALSE(ResolutionIsValid(48000.0f, 0, 100.0f));
  EXPECT_FALSE(ResolutionIsValid(48000.0f, 1024, 0.0f));
  EXPECT_FALSE(ResolutionIsValid(0.0f, 1024, 0.0f));
}

TEST(ParameterRulesTest, LogAndThirdOctaveScalesAlwaysGetTwentyHertz) {
  for (const auto display : {DisplayKind::Sonogram, DisplayKind::Scope}) {
    EXPECT_EQ(AutomaticResolution(20, 24000, 48000, 12, display, 400, FrequencyScale::Log), 20.0f);
    EXPECT_EQ(AutomaticResolution(500, 1000, 11025, 1, display, 50, FrequencyScale::Oct3), 20.0f);
  }
}

TEST(ParameterRulesTest, SonogramShareOfTheBandOverAtMostFiveHundredRows) {
  // 6000 Hz over 400 rows = 15 Hz; the 12-column term 1000/144 = 6.9 is finer.
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 6000, 48000, 12, DisplayKind::Sonogram, 400, FrequencyScale::Linear),
      15.0f);
  // Rows beyond 500 count as 500: 6000 / 500 = 12 Hz.
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 6000, 48000, 12, DisplayKind::Sonogram, 900, FrequencyScale::Linear),
      12.0f);
}

TEST(ParameterRulesTest, SonogramWindowSpansAtMostTwelveColumns) {
  // Δt = 2 ms: twelve columns are 24 ms, so R ≥ 1000/24 = 41.67 Hz.
  EXPECT_NEAR(
      AutomaticResolution(0, 1000, 48000, 2, DisplayKind::Sonogram, 400, FrequencyScale::Linear),
      1000.0 / 24.0, 1e-3);
}

TEST(ParameterRulesTest, AutomaticResolutionIsAtMostTenSmallestFftBins) {
  // 48000 × 10 / 512 = 937.5 Hz.
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 48000, 48000, 12, DisplayKind::Sonogram, 10, FrequencyScale::Linear),
      937.5f);
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 48000, 48000, 12, DisplayKind::Scope, 10, FrequencyScale::Linear),
      937.5f);
}

TEST(ParameterRulesTest, ScopeShareOfTheBandNotFinerThanTheLargestFft) {
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 24000, 48000, 12, DisplayKind::Scope, 500, FrequencyScale::Linear),
      48.0f);
  // 1000 Hz over 500 points = 2 Hz, finer than 48000 / 16384 = 2.93 Hz.
  EXPECT_FLOAT_EQ(
      AutomaticResolution(0, 1000, 48000, 12, DisplayKind::Scope, 500, FrequencyScale::Linear),
      48000.0f / 16384.0f);
}

TEST(ParameterRulesTest, FftSizeIsTheFirstWhoseBinFitsOneToFiveTimes) {
  // 44100 / 4096 = 10.77 > 10; 44100 / 8192 = 5.38 ≤ 10 ≤ 26.9.
  EXPECT_EQ(FftSizeForResolution(44100.0f, 10.0f), 8192);
  EXPECT_EQ(FftSizeForResolution(48000.0f, 100.0f), 512);    // 93.75 ≤ 100
  EXPECT_EQ(FftSizeForResolution(48000.0f, 46.875f), 1024);  // exactly one bin
  EXPECT_EQ(FftSizeForResolution(48000.0f, 1.0f), 16384);    // raised to 2.93 Hz
  EXPECT_EQ(FftSizeForResolution(48000.0f, 5000.0f), 512);   // lowered to 468.75 Hz
}

TEST(ParameterRulesTest, ChosenSizeAlwaysMakesTheResolutionValid) {
  for (const float fs : {11025.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f}) {
    for (float r = 3.0f; r < 900.0f; r *= 1.07f) {
      const float limited = std::min(r, fs * 5.0f / 512.0f);
      if (limited < fs / 16384.0f) continue;
      EXPECT_TRUE(ResolutionIsValid(fs, FftSizeForResolution(fs, r), limited)) << fs << " " << r;
    }
  }
}

}  // namespace
}  // namespace sonavue::dsp
