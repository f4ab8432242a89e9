#include "render/Palette.h"

#include <gtest/gtest.h>

#include "context/App.h"
#include "render/Pens.h"
#include "support/AppFixture.h"

namespace sonavue::render {
namespace {

using platform::Rgb;

platform::ColorTable Filled(const ColorRecord& record) {
  platform::ColorTable table{};
  table.fill({1, 2, 3});
  FillPaletteEntries(record, table);
  return table;
}

TEST(PaletteTest, CodeZeroIsNoLevelWhateverTheRange) {
  EXPECT_EQ(LevelToColorIndex(0, 0, 90), 0);
  EXPECT_EQ(LevelToColorIndex(0, -30, 90), 0);
  EXPECT_EQ(LevelToColorIndex(0, 50, 120), 0);
}

TEST(PaletteTest, MinToMaxSpansTwoHundredFortySteps) {
  // Min 0, Max 90: 90 dB over 240 steps is 0.375 dB (1.5 codes) per step.
  EXPECT_EQ(LevelToColorIndex(7, 0, 90), 4);    // 7 ÷ 1.5 = 4.67
  EXPECT_EQ(LevelToColorIndex(8, 0, 90), 5);    // 8 ÷ 1.5 = 5.33
  EXPECT_EQ(LevelToColorIndex(360, 0, 90), 240);
  EXPECT_EQ(LevelToColorIndex(180, 0, 90), 120);  // half way
  // Min −30, Max 90: 120 dB over 240 steps, half a dB per step.
  EXPECT_EQ(LevelToColorIndex(-120, -30, 90), 0);
  EXPECT_EQ(LevelToColorIndex(120, -30, 90), 120);  // 30 dB is 60 dB above Min
}

TEST(PaletteTest, CodesBelowMinFallToTheBackground) {
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

TEST(PaletteTest, OtherColoursComeFirst) {
  const platform::ColorTable cb = Filled(kCbColors);
  EXPECT_EQ(cb[0], (Rgb{128, 128, 128}));  // Text
  EXPECT_EQ(cb[1], (Rgb{220, 0, 0}));      // Freq Mark
  EXPECT_EQ(cb[2], (Rgb{0, 133, 252}));    // Signal 2
  EXPECT_EQ(cb[3], (Rgb{255, 255, 200}));  // Signal 1
  EXPECT_EQ(cb[4], (Rgb{0, 0, 0}));        // Background
}

TEST(PaletteTest, TopEntryLiesHalfWayToTheLastPoint) {
  // Half way from (210, 115, 95) to (188, 46, 92): 199, 80.5, 93.5, truncated.
  EXPECT_EQ(Filled(kCbColors)[235], (Rgb{199, 80, 93}));
  // Grey: half way from 25 to 8 is 16.5.
  EXPECT_EQ(Filled(kBwColors)[235], (Rgb{16, 16, 16}));
}

TEST(PaletteTest, EachSegmentStartsAtItsScalePoint) {
  for (const ColorRecord* record : {&kCbColors, &kBwColors}) {
    const platform::ColorTable table = Filled(*record);
    for (int k = 0; k < 12; ++k) {
      EXPECT_EQ(table[static_cast<std::size_t>(5 + 20 * k)], (*record)[static_cast<std::size_t>(k)])
          << "point " << k;
    }
  }
}

TEST(PaletteTest, StepsBetweenPointsAreTruncated) {
  const platform::ColorTable cb = Filled(kCbColors);
  // One twentieth of the way from (0, 0, 200) to (0, 50, 210): 2.5 and 200.5.
  EXPECT_EQ(cb[6], (Rgb{0, 2, 200}));
  // One twentieth from 212 down to 195: 211.15.
  EXPECT_EQ(Filled(kBwColors)[6], (Rgb{211, 211, 211}));
}

TEST(PaletteTest, EvenlySpacedPointsGiveOneUnitPerEntry) {
  // Red rises by 20 per point, so the scale's red rises by exactly 1 per entry.
  ColorRecord ramp{};
  for (int k = 0; k < 13; ++k) ramp[static_cast<std::size_t>(k)] = {static_cast<std::uint8_t>(20 * k), 0, 0};
  const platform::ColorTable table = Filled(ramp);
  for (int i = 0; i <= 230; ++i) EXPECT_EQ(table[static_cast<std::size_t>(5 + i)].r, i) << i;
}

TEST(PaletteTest, BwScaleIsGreyAndItsFreqMarkRed) {
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

TEST(PaletteTest, ScalePointLabelsInDisplayUnits) {
  EXPECT_EQ(ScalePointLabel(0, 0, 90, false), "-90.00 dB");
  EXPECT_EQ(ScalePointLabel(12, 0, 90, false), "0.00 dB");
  EXPECT_EQ(ScalePointLabel(6, 0, 90, false), "-45.00 dB");
  EXPECT_EQ(ScalePointLabel(1, 0, 90, true), "7.50 dB");
}

TEST(PaletteTest, PensNameTheirPaletteEntries) {
  const platform::ColorTable cb = Filled(kCbColors);
  EXPECT_EQ(PenColor(PenFor(PenRole::Text), cb), cb[0]);
  EXPECT_EQ(PenColor(PenFor(PenRole::Signal2), cb), (Rgb{0, 133, 252}));
  EXPECT_EQ(PenColor(PenFor(PenRole::Green), cb), (Rgb{0, 200, 0}));
  EXPECT_EQ(PenFor(PenRole::WideFreqMark).width, 2);
  EXPECT_EQ(PenColor(PenFor(PenRole::WideFreqMark), cb), (Rgb{220, 0, 0}));
}

class PaletteAppTest : public sonavue::testing::AppFixture {};

TEST_F(PaletteAppTest, SelectingAPaletteRebuildsTheTable) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_BW);
  EXPECT_EQ(a.render.current, kBwColors);
  EXPECT_EQ(a.colors[4], (Rgb{255, 255, 255}));
  EXPECT_EQ(a.colors[5], (Rgb{212, 212, 212}));

  ColorRecord user = kCbColors;
  user[kRecordText] = {1, 2, 3};
  a.params.userPalette = user;
  SelectPaletteColors(a, app::ID_PALETTE_USER);
  EXPECT_EQ(a.colors[0], (Rgb{1, 2, 3}));

  SelectPaletteColors(a, app::ID_PALETTE_CB);
  EXPECT_EQ(a.colors[235], (Rgb{199, 80, 93}));
}

TEST_F(PaletteAppTest, CursorStripCarriesTheSignalOneLine) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_BW);
  const platform::DisplayBitmap& strip = a.render.cursorStrip;
  ASSERT_FALSE(strip.IsNull());
  EXPECT_EQ(strip.Width(), 8);
  EXPECT_GE(strip.Height(), a.screen.h);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(strip.Pixel(x, strip.Height() - 1), (Rgb{96, 96, 96})) << x;
  SelectPaletteColors(a, app::ID_PALETTE_CB);
  EXPECT_EQ(strip.Pixel(0, 0), (Rgb{255, 255, 200}));
}

TEST_F(PaletteAppTest, DrawnPixelsKeepTheirColoursAcrossAPaletteChange) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_CB);
  ASSERT_TRUE(a.display.Allocate(16, 16));
  a.display.FillRectIndex({0, 0, 16, 16}, kBackgroundIndex);
  SelectPaletteColors(a, app::ID_PALETTE_BW);
  EXPECT_EQ(a.display.Pixel(3, 3), (Rgb{0, 0, 0}));  // drawn under CB
  a.display.SetPixelIndex(4, 4, kBackgroundIndex);
  EXPECT_EQ(a.display.Pixel(4, 4), (Rgb{255, 255, 255}));  // drawn under BW
}

}  // namespace
}  // namespace sonavue::render
