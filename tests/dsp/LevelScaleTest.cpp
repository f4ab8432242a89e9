#include <gtest/gtest.h>

#include <cmath>

#include "dsp/LevelScale.h"

namespace sonavue::dsp {
namespace {

TEST(LevelScaleTest, FirstThirdOctaveBandIsOneBinAtZero) {
  LevelScale scale;
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 20.0f, 24000.0f, 400, FrequencyScale::Oct3));
  // 14.25 … 17.96 Hz lies inside the first 46.875 Hz bin.
  EXPECT_EQ(scale.BandFirstBin()[0], 0);
  EXPECT_EQ(scale.BandBinCount()[0], 1);
}

TEST(LevelScaleTest, BandCountsReachHalfTheRate) {
  LevelScale scale;
  // 3·log2(24000 / 14.2544) = 32.15 third octaves; 30·log2(…) = 321.5 fine bands.
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 20.0f, 24000.0f, 400, FrequencyScale::Oct3));
  EXPECT_EQ(scale.BandsPerOctave(), 3);
  EXPECT_EQ(scale.LastBand(), 32);
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 20.0f, 24000.0f, 400, FrequencyScale::Log));
  EXPECT_EQ(scale.BandsPerOctave(), 30);
  EXPECT_EQ(scale.LastBand(), 322);
  // 3·log2(5512.5 / 14.2544) = 25.8.
  ASSERT_TRUE(scale.Prepare(512, 11025.0f, 20.0f, 5000.0f, 100, FrequencyScale::Oct3));
  EXPECT_EQ(scale.LastBand(), 26);
}

TEST(LevelScaleTest, EveryBandCoversAtLeastOneBinAndBandsAscend) {
  for (const auto kind : {FrequencyScale::Log, FrequencyScale::Oct3}) {
    for (const int n : {512, 1024, 4096, 16384}) {
      for (const float fs : {11025.0f, 44100.0f, 48000.0f, 96000.0f}) {
        LevelScale scale;
        ASSERT_TRUE(scale.Prepare(n, fs, 20.0f, fs / 2, 300, kind));
        const auto first = scale.BandFirstBin();
        const auto count = scale.BandBinCount();
        ASSERT_EQ(first.size(), static_cast<std::size_t>(scale.LastBand()) + 1);
        for (std::size_t l = 0; l < first.size(); ++l) {
          EXPECT_GE(count[l], 1) << n << " " << fs << " " << l;
          if (l > 0) {
            EXPECT_GE(first[l], first[l - 1]);
          }
        }
        EXPECT_EQ(count.back(), count[count.size() - 2]);
      }
    }
  }
}

TEST(LevelScaleTest, BandsStartAtTheirEdgeFrequency) {
  LevelScale scale;
  ASSERT_TRUE(scale.Prepare(16384, 48000.0f, 20.0f, 24000.0f, 400, FrequencyScale::Oct3));
  const double binHz = 48000.0 / 16384.0;
  // Band 18 starts one sixth of an octave below 16 Hz × 2^6 = 1024 Hz.
  EXPECT_NEAR(scale.BandFirstBin()[18], 1024.0 * std::pow(2.0, -1.0 / 6.0) / binHz, 0.5);
  // A third-octave band is 2^(1/3) − 1 = 26 % of its lower edge wide.
  const double widthBins = 1024.0 * std::pow(2.0, -1.0 / 6.0) * (std::cbrt(2.0) - 1.0) / binHz;
  EXPECT_NEAR(scale.BandBinCount()[18], widthBins, 1.0);
}

TEST(LevelScaleTest, LinearRowsStartAtTheNearestBinOfTheirFrequency) {
  LevelScale scale;
  // 4000 Hz over 100 rows: 40 Hz per row, 46.875 Hz per bin.
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 1000.0f, 5000.0f, 100, FrequencyScale::Linear));
  EXPECT_EQ(scale.BinsPerRow(), 1);
  for (int m = 0; m < 100; ++m) {
    const double rowHz = 1000.0 + 40.0 * m;
    EXPECT_EQ(scale.RowFirstBin()[m], std::lround(rowHz / 46.875)) << m;
  }
}

TEST(LevelScaleTest, LinearRowsCanSpanSeveralBins) {
  LevelScale scale;
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 0.0f, 24000.0f, 128, FrequencyScale::Linear));
  EXPECT_EQ(scale.BinsPerRow(), 4);
  for (int m = 0; m < 128; ++m) EXPECT_EQ(scale.RowFirstBin()[m], 4 * m);
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 0.0f, 24000.0f, 512, FrequencyScale::Linear));
  EXPECT_EQ(scale.BinsPerRow(), 1);
  EXPECT_EQ(scale.RowFirstBin()[511], 511);
}

TEST(LevelScaleTest, LogRowsBelowTheLowestEdgeUseBandZero) {
  LevelScale scale;
  ASSERT_TRUE(scale.Prepare(1024, 48000.0f, 5.0f, 24000.0f, 400, FrequencyScale::Log));
  const double step = std::log10(24000.0 / 5.0) / 399.0;
  int below = 0;
  for (int m = 0; m < 400; ++m) {
    if (std::pow(10.0, std::log10(5.0) + (m + 1) * step) < 14.2) {
      EXPECT_EQ(scale.RowLowBand()[m], 0) << m;
      EXPECT_EQ(scale.RowHighBand()[m], 0) << m;
      ++below;
    }
  }
  EXPECT_GT(below, 40);  // log(14.25/5) / log(4800) of 400 rows ≈ 49
}

TEST(LevelScaleTest, LogRowFrequencyLiesInItsBand) {
  LevelScale scale;
  ASSERT_TRUE(scale.Prepare(4096, 48000.0f, 20.0f, 20000.0f, 200, FrequencyScale::Log));
  const double step = 3.0 / 199.0;  // log10(20000 / 20) over 199 row gaps
  for (int m = 0; m < 200; m += 7) {
    const double rowHz = 20.0 * std::pow(10.0, m * step);
    const int band = scale.RowLowBand()[m];
    const double lower = 14.2544 * std::pow(2.0, band / 30.0);
    const double upper = 14.2544 * std::pow(2.0, (band + 1) / 30.0);
    EXPECT_LE(lower, rowHz * 1.0001) << m;
    EXPECT_GT(upper, rowHz * 0.9999) << m;
    EXPECT_GE(scale.RowHighBand()[m], band);
  }
}

TEST(LevelScaleTest, RejectsUnusableSettings) {
  LevelScale scale;
  EXPECT_FALSE(scale.Prepare(1024, 48000.0f, 0.0f, 6000.0f, 0, FrequencyScale::Linear));
  EXPECT_FALSE(scale.Prepare(1000, 48000.0f, 0.0f, 6000.0f, 10, FrequencyScale::Linear));
  EXPECT_FALSE(scale.Prepare(1024, 0.0f, 0.0f, 6000.0f, 10, FrequencyScale::Linear));
  EXPECT_FALSE(scale.Prepare(1024, 48000.0f, 0.0f, 6000.0f, 10, FrequencyScale::Log));
  EXPECT_FALSE(scale.Prepare(1024, 20.0f, 1.0f, 10.0f, 10, FrequencyScale::Oct3));
}

}  // namespace
}  // namespace sonavue::dsp
