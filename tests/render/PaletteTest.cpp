#include "render/Palette.h"

#include <gtest/gtest.h>

#include "context/App.h"
#include "support/AppFixture.h"

namespace sonavue::render {
namespace {

using platform::Rgb;

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
