#include "render/Axes.h"

#include <gtest/gtest.h>

#include "context/App.h"
#include "render/Palette.h"
#include "render/SonogramGrid.h"
#include "support/AppFixture.h"

namespace sonavue::render {
namespace {

using platform::Rect;
using platform::Rgb;

// An 800 × 400 "Scroll 1" picture with a 80-pixel margin, text 14 high and
// 7 wide, 12.5 ms per column (10 s across the window) and 0 … 6000 Hz.
AxesParams Picture() {
  AxesParams p;
  p.width = 800;
  p.height = 400;
  p.leftMargin = 80;
  p.charWidth = 7;
  p.textHeight = 14;
  p.fontHeight = 14;
  p.columnMs = 12.5;
  p.lowHz = 0;
  p.highHz = 6000;
  return p;
}

// Whether any pixel of the area differs from colour c.
bool AnyOtherThan(const platform::DisplayBitmap& image, const Rect& area, Rgb c) {
  for (int y = area.y; y < area.y + area.h; ++y) {
    for (int x = area.x; x < area.x + area.w; ++x) {
      if (!(image.Pixel(x, y) == c)) return true;
    }
  }
  return false;
}

class AxesDrawTest : public sonavue::testing::AppFixture {};

TEST_F(AxesDrawTest, DrawnAxesPutTextAtTheLabelsAndNothingBetween) {
  Start();
  const Rgb text{255, 255, 255};
  const Rgb background{0, 0, 0};
  const Rgb plot{1, 2, 3};
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(800, 400));
  image.FillRect({0, 0, 800, 400}, plot);
  DrawAxes(image, Picture(), text, background);

  EXPECT_EQ(image.Pixel(79, 100), text);   // frame, left edge
  EXPECT_EQ(image.Pixel(500, 372), text);  // frame, bottom edge
  EXPECT_EQ(image.Pixel(300, 100), plot);  // the plot is left alone
  EXPECT_EQ(image.Pixel(2, 2), background);
  // The 3 kHz label around row 185 in the margin; nothing between 3 and 2 kHz.
  EXPECT_TRUE(AnyOtherThan(image, {0, 178, 78, 14}, background));
  EXPECT_FALSE(AnyOtherThan(image, {0, 198, 78, 36}, background));
  // The 2 s label just left of its tick at x = 240, in the bottom strip.
  EXPECT_TRUE(AnyOtherThan(image, {226, 379, 40, 14}, background));
  EXPECT_FALSE(AnyOtherThan(image, {150, 374, 60, 26}, background));
}

TEST_F(AxesDrawTest, SwappedColoursExchangeRedAndBlue) {
  Start();
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(800, 400));
  AxesParams p = Picture();
  p.options.swapColors = true;
  DrawAxes(image, p, {255, 0, 0}, {0, 10, 20});
  EXPECT_EQ(image.Pixel(79, 100), (Rgb{0, 0, 255}));
  EXPECT_EQ(image.Pixel(2, 2), (Rgb{20, 10, 0}));
}

TEST_F(AxesDrawTest, ApplicationAxesUseThePaletteAndSkipScopes) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_BW);
  a.params.displayId = app::ID_DISPLAY_SCROLL1;
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(a.layout.displayWidth, a.layout.displayHeight));
  image.FillRect({0, 0, image.Width(), image.Height()}, {9, 9, 9});
  DrawAxes(a, image, {});
  const int bottom = a.layout.displayHeight - 2 * a.layout.charHeight;
  EXPECT_EQ(image.Pixel(a.layout.leftMargin - 1, bottom / 2), (Rgb{0, 0, 0}));  // BW Text
  EXPECT_EQ(image.Pixel(1, 1), (Rgb{255, 255, 255}));                         // BW Background

  platform::DisplayBitmap scope;
  ASSERT_TRUE(scope.Allocate(200, 200));
  a.params.displayId = app::ID_DISPLAY_SCOPE1;
  DrawAxes(a, scope, {});
  EXPECT_FALSE(AnyOtherThan(scope, {0, 0, 200, 200}, {0, 0, 0}));
}

TEST_F(AxesDrawTest, AStackedPictureGetsAxesPerChannelButTheWindowOnlyInsideTheDisplay) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_BW);
  a.params.displayId = app::ID_DISPLAY_SCROLL1;
  a.params.channelsId = app::ID_CHANNELS_LEFT;
  a.params.lowBandHz = 0;
  a.params.highBandHz = 6000;
  a.render.view.channelCount = 2;
  a.render.view.stackedChannels = true;
  a.render.view.horizontalOffset = 50;
  const app::LayoutValues& v = a.layout;
  const int bottom = v.displayHeight - 2 * v.charHeight;
  const Rgb textColor{0, 0, 0};  // BW Text

  // The picture: one frame per channel, the second a display height lower.
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(v.displayWidth, 2 * v.displayHeight));
  image.FillRect({0, 0, image.Width(), image.Height()}, {9, 9, 9});
  DrawAxes(a, image, {});
  EXPECT_EQ(image.Pixel(v.leftMargin - 1, bottom / 2), textColor);
  EXPECT_EQ(image.Pixel(v.leftMargin - 1, v.displayHeight + bottom / 2), textColor);

  // The window: axes and grid on the display area, the panel below untouched.
  platform::DisplayBitmap& surface = Window().Surface();
  const Rgb panel{5, 6, 7};
  const Rect below{0, v.displayHeight, surface.Width(), surface.Height() - v.displayHeight};
  surface.FillRect({0, 0, surface.Width(), surface.Height()}, panel);
  DrawAxes(a, surface, {});
  DrawSonogramGrid(a, surface, {});
  EXPECT_EQ(surface.Pixel(v.leftMargin - 1, bottom / 2), textColor);
  EXPECT_FALSE(AnyOtherThan(surface, below, panel));

  // Two plots side by side in "Dual": still nothing below the display.
  a.params.channelsId = app::ID_CHANNELS_DUAL;
  surface.FillRect({0, 0, surface.Width(), surface.Height()}, panel);
  DrawAxes(a, surface, {});
  DrawSonogramGrid(a, surface, {});
  EXPECT_EQ(surface.Pixel(v.displayWidth / 2 + v.leftMargin - 1, bottom / 2), textColor);
  EXPECT_FALSE(AnyOtherThan(surface, below, panel));
}

TEST_F(AxesDrawTest, StripLinesOnTheWindowAndInAStackedImage) {
  Start();
  app::App& a = App();
  SelectPaletteColors(a, app::ID_PALETTE_CB);
  a.params.displayId = app::ID_DISPLAY_SCROLL2;
  const app::LayoutValues& v = a.layout;
  const int strip = (v.displayHeight - 2 * v.charHeight) / 8;
  platform::DisplayBitmap& surface = Window().Surface();
  surface.FillRect({0, 0, v.displayWidth, v.displayHeight}, {9, 9, 9});
  DrawWaveformStripLines(a, surface, false);
  EXPECT_EQ(surface.Pixel(v.leftMargin, strip), (Rgb{0, 133, 252}));
  EXPECT_EQ(surface.Pixel(v.displayWidth - 1, strip / 2), (Rgb{255, 255, 200}));
  EXPECT_EQ(surface.Pixel(v.leftMargin - 1, strip), (Rgb{9, 9, 9}));

  a.render.view.stackedChannels = true;
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(1000, 2 * v.displayHeight));
  DrawWaveformStripLines(a, image, true);
  EXPECT_EQ(image.Pixel(999, v.displayHeight + strip), (Rgb{0, 133, 252}));
  EXPECT_EQ(image.Pixel(999, strip), (Rgb{0, 133, 252}));

  a.params.displayId = app::ID_DISPLAY_SCROLL1;  // no strip on "Scroll 1"
  platform::DisplayBitmap plain;
  ASSERT_TRUE(plain.Allocate(1000, v.displayHeight));
  DrawWaveformStripLines(a, plain, true);
  EXPECT_FALSE(AnyOtherThan(plain, {0, 0, 1000, v.displayHeight}, {0, 0, 0}));
}

}  // namespace
}  // namespace sonavue::render
