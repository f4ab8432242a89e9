#include "context/Layout.h"

#include <gtest/gtest.h>

namespace sonavue::app {
namespace {

// A font whose characters are all 7 pixels wide and 15 high.
TextMeasure FixedMeasure() {
  return {[](const platform::FontSpec&) { return platform::FontMetrics{7, 15}; },
          [](const platform::FontSpec&, const std::string& text) {
            return 7 * static_cast<int>(text.size());
          }};
}

TEST(LayoutTest, LandscapeScreenGetsNinetySixByNinetyPercent) {
  EXPECT_EQ(InitialWindowRect({1920, 1080}), (platform::Rect{38, 54, 1843, 972}));
  EXPECT_EQ(InitialWindowRect({1366, 768}), (platform::Rect{27, 38, 1311, 691}));
}

TEST(LayoutTest, PortraitScreenGetsThreeQuartersOfTheWidthHigh) {
  // 1080 × 96 / 100 = 1036 wide; 1036 × 3 / 4 = 777 high.
  EXPECT_EQ(InitialWindowRect({1080, 1920}), (platform::Rect{22, 571, 1036, 777}));
  // Square screens count as not wider than high.
  EXPECT_EQ(InitialWindowRect({1000, 1000}).h, 960 * 3 / 4);
}

TEST(LayoutTest, LayoutFontIsAboutOneSeventySecondOfTheWidth) {
  EXPECT_EQ(LayoutFontPixelHeight(1440), 20);
  EXPECT_EQ(LayoutFontPixelHeight(768), 10);  // 2304 / −4 = −576, / 54 → −10
  EXPECT_EQ(LayoutFontPixelHeight(10), 1);    // never zero
}

TEST(LayoutTest, DerivedSizesFollowTheClientArea) {
  const LayoutValues v = ComputeLayout(1200, 700, 24, FixedMeasure());
  EXPECT_EQ(v.font.family, "Arial");
  EXPECT_EQ(v.font.pixelHeight, 16);
  EXPECT_EQ(v.buttonHeight, 20);     // 15 × 8 / 6
  EXPECT_EQ(v.scrollThickness, 18);  // 24 × 3 / 4
  EXPECT_EQ(v.displayHeight, 700 - 105);
  EXPECT_EQ(v.displayWidth, 1200 - 18);
  EXPECT_EQ(v.leftMargin, 70);
  // Both measured texts are 36 characters; plus 2 cw each.
  EXPECT_EQ(v.bandTextWidth, 36 * 7 + 14);
  EXPECT_EQ(v.frequencyTextWidth, 35 * 7 + 14);
  EXPECT_EQ(v.columnGap, (1200 - 266 - 259 - 210) / 4);
  EXPECT_EQ(v.scopePlotHeight, 595 - 30);
  EXPECT_EQ(v.scopeTopMargin, 565 / 8);
  EXPECT_EQ(v.scopePoints, (1200 - 154) / 2);
}

TEST(LayoutTest, ButtonsSitInThreeRowsBelowTheScrollBar) {
  const LayoutValues v = ComputeLayout(1200, 700, 24, FixedMeasure());
  const ButtonPlacement scroll = PlaceButtons(v, false);
  const int x = v.bandTextWidth + v.frequencyTextWidth + 3 * v.columnGap;
  const int y = 595 + 18 + (700 - 595 - 18) / 2 - 30 + 1;
  EXPECT_EQ(scroll.play, (platform::Rect{x, y, 70, 20}));
  EXPECT_EQ(scroll.playWindow, (platform::Rect{x + 70, y, 140, 20}));
  EXPECT_EQ(scroll.grid, (platform::Rect{x, y + 20, 70, 20}));
  EXPECT_EQ(scroll.peakHold, (platform::Rect{x + 70, y + 20, 140, 20}));
  EXPECT_EQ(scroll.stop, (platform::Rect{x, y + 40, 210, 20}));

  const ButtonPlacement scope = PlaceButtons(v, true);
  EXPECT_EQ(scope.play.w, 105);
  EXPECT_EQ(scope.playWindow, (platform::Rect{x + 105, y, 105, 20}));
}

TEST(LayoutTest, PlayCaptionsFollowDisplayAndRecording) {
  CurrentParameters p;
  p.displayId = ID_DISPLAY_SCROLL1;
  EXPECT_STREQ(PlayButtonCaptions(p).play, "&PLAY");
  EXPECT_STREQ(PlayButtonCaptions(p).playWindow, "PLAY &WDW");
  p.recordingId = ID_RECORDING_TRIGGER;
  EXPECT_STREQ(PlayButtonCaptions(p).play, "&PLAY");
  p.displayId = ID_DISPLAY_SCOPE2;
  EXPECT_STREQ(PlayButtonCaptions(p).play, "&CAPTURE");
  EXPECT_STREQ(PlayButtonCaptions(p).playWindow, "C&LEAR");
  p.recordingId = ID_RECORDING_ON;
  EXPECT_STREQ(PlayButtonCaptions(p).play, "S&AVE");
  EXPECT_STREQ(PlayButtonCaptions(p).playWindow, "S&TOP SAVE");
  p.displayId = ID_DISPLAY_SCROLL2;
  EXPECT_STREQ(PlayButtonCaptions(p).play, "S&AVE");
}

}  // namespace
}  // namespace sonavue::app
