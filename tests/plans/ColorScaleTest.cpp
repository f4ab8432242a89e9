#include "plans/ColorScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonavue::render {
namespace {

using platform::Rgb;

platform::ColorTable Filled(const ColorRecord& record) {
  platform::ColorTable table{};
  table.fill({1, 2, 3});
  FillPaletteEntries(record, table);
  return table;
}

TEST(ColorScaleTest, CodeZeroIsNoLevelWhateverTheRange) {
  EXPECT_EQ(LevelToColorIndex(0, 0, 90), 0);
  EXPECT_EQ(LevelToColorIndex(0, -30, 90), 0);
  EXPECT_EQ(LevelToColorIndex(0, 50, 120), 0);
}

TEST(ColorScaleTest, MinToMaxSpansTwoHundredFortySteps) {
  // Min 0, Max 90: 90 dB over 240 steps is 0.375 dB (1.5 codes) per step.
  EXPECT_EQ(LevelToColorIndex(7, 0, 90), 4);    // 7 ÷ 1.5 = 4.67
  EXPECT_EQ(LevelToColorIndex(8, 0, 90), 5);    // 8 ÷ 1.5 = 5.33
  EXPECT_EQ(LevelToColorIndex(360, 0, 90), 240);
  EXPECT_EQ(LevelToColorIndex(180, 0, 90), 120);  // half way
  // Min −30, Max 90: 120 dB over 240 steps, half a dB per step.
  EXPECT_EQ(LevelToColorIndex(-120, -30, 90), 0);
  EXPECT_EQ(LevelToColorIndex(120, -30, 90), 120);  // 30 dB is 60 dB above Min
}

TEST(ColorScaleTest, CodesBelowMinFallToTheBackground) {
  // Min 20 dB is code 80; code 40 (10 dB) lies 10 dB, about 34 steps, below it.
  EXPECT_EQ(LevelToColorIndex(40, 20, 90), -34);
  EXPECT_EQ(LevelToColorIndex(80, 20, 90), 0);
  EXPECT_EQ(LevelToColorIndex(-4, 0, 90), -2);  // −2.67 truncated toward zero
  EXPECT_EQ(ClampToScale(LevelToColorIndex(40, 20, 90)), kBackgroundIndex);
  EXPECT_EQ(ClampToScale(LevelToColorIndex(7, 0, 90)), kBackgroundIndex);
  EXPECT_EQ(ClampToScale(LevelToColorIndex(8, 0, 90)), 5);
  EXPECT_EQ(ClampToScale(LevelToColorIndex(360, 0, 90)), 235);
  EXPECT_EQ(ClampToScale(LevelToColorIndex(0, 0, 90)), kBackgroundIndex);
}

TEST(ColorScaleTest, OtherColoursComeFirst) {
  const platform::ColorTable cb = Filled(kCbColors);
  EXPECT_EQ(cb[0], (Rgb{128, 128, 128}));  // Text
  EXPECT_EQ(cb[1], (Rgb{220, 0, 0}));      // Freq Mark
  EXPECT_EQ(cb[2], (Rgb{0, 133, 252}));    // Signal 2
  EXPECT_EQ(cb[3], (Rgb{255, 255, 200}));  // Signal 1
  EXPECT_EQ(cb[4], (Rgb{0, 0, 0}));        // Background
}

TEST(ColorScaleTest, TopEntryLiesHalfWayToTheLastPoint) {
  // Half way from (210, 115, 95) to (188, 46, 92): 199, 80.5, 93.5, truncated.
  EXPECT_EQ(Filled(kCbColors)[235], (Rgb{199, 80, 93}));
  // Grey: half way from 25 to 8 is 16.5.
  EXPECT_EQ(Filled(kBwColors)[235], (Rgb{16, 16, 16}));
}

TEST(ColorScaleTest, EachSegmentStartsAtItsScalePoint) {
  for (const ColorRecord* record : {&kCbColors, &kBwColors}) {
    const platform::ColorTable table = Filled(*record);
    for (int k = 0; k < 12; ++k) {
      EXPECT_EQ(table[static_cast<std::size_t>(5 + 20 * k)], (*record)[static_cast<std::size_t>(k)])
          << "point " << k;
    }
  }
}

TEST(ColorScaleTest, StepsBetweenPointsAreTruncated) {
  const platform::ColorTable cb = Filled(kCbColors);
  // One twentieth of the way from (0, 0, 200) to (0, 50, 210): 2.5 and 200.5.
  EXPECT_EQ(cb[6], (Rgb{0, 2, 200}));
  // One twentieth from 212 down to 195: 211.15.
  EXPECT_EQ(Filled(kBwColors)[6], (Rgb{211, 211, 211}));
}

TEST(ColorScaleTest, EvenlySpacedPointsGiveOneUnitPerEntry) {
  // Red rises by 20 per point, so the scale's red rises by exactly 1 per entry.
  ColorRecord ramp{};
  for (int k = 0; k < 13; ++k) ramp[static_cast<std::size_t>(k)] = {static_cast<std::uint8_t>(20 * k), 0, 0};
  const platform::ColorTable table = Filled(ramp);
  for (int i = 0; i <= 230; ++i) EXPECT_EQ(table[static_cast<std::size_t>(5 + i)].r, i) << i;
}

TEST(ColorScaleTest, BwScaleIsGreyAndItsFreqMarkRed) {
  const platform::ColorTable bw = Filled(kBwColors);
  for (int i = 5; i <= 235; ++i) {
    const Rgb c = bw[static_cast<std::size_t>(i)];
    EXPECT_TRUE(c.r == c.g && c.g == c.b) << i;
  }
  EXPECT_EQ(bw[1], (Rgb{220, 0, 0}));
  EXPECT_EQ(bw[4], (Rgb{255, 255, 255}));
  // Light at the lowest level, dark at the highest.
  EXPECT_GT(bw[5].r, bw[235].r);
}

// CIE 1976 lightness L* of an sRGB colour (D65 white).
double Lightness(Rgb c) {
  auto linear = [](std::uint8_t v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  return y > 216.0 / 24389.0 ? 116.0 * std::cbrt(y) - 16.0 : 24389.0 / 27.0 * y;
}

TEST(ColorScaleTest, PerceptualScaleRisesStrictlyInLightnessFromEntryToEntry) {
  const platform::ColorTable table = Filled(kPerceptualColors);
  for (int i = kFirstScaleIndex; i < kLastScaleIndex; ++i) {
    const Rgb a = table[static_cast<std::size_t>(i)];
    const Rgb b = table[static_cast<std::size_t>(i + 1)];
    EXPECT_LT(Lightness(a), Lightness(b)) << "entries " << i << " and " << i + 1;
  }
  // From dark to light over most of the lightness range.
  EXPECT_LT(Lightness(table[kFirstScaleIndex]), 20.0);
  EXPECT_GT(Lightness(table[kLastScaleIndex]), 85.0);
  // The background stays apart from the lowest level.
  EXPECT_NE(table[kBackgroundIndex], table[kFirstScaleIndex]);
}

TEST(ColorScaleTest, ForComparisonTheCbScaleIsNotMonotonicInLightness) {
  // The property above is not one every table has: CB darkens at its top.
  const platform::ColorTable table = Filled(kCbColors);
  EXPECT_GT(Lightness(table[kFirstScaleIndex + 180]), Lightness(table[kLastScaleIndex]));
}

TEST(ColorScaleTest, ScalePointLabelsInDisplayUnits) {
  EXPECT_EQ(ScalePointLabel(0, 0, 90, false), "-90.00 dB");
  EXPECT_EQ(ScalePointLabel(12, 0, 90, false), "0.00 dB");
  EXPECT_EQ(ScalePointLabel(6, 0, 90, false), "-45.00 dB");
  EXPECT_EQ(ScalePointLabel(1, 0, 90, true), "7.50 dB");
}

}  // namespace
}  // namespace sonavue::render
