#include "render/Panels.h"

#include <gtest/gtest.h>

#include "context/App.h"
#include "render/Palette.h"
#include "support/AppFixture.h"

namespace sonavue::render {
namespace {

using platform::Point;
using platform::Rect;
using platform::Rgb;

class PanelsTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(1000, 700);
    app::App& a = App();
    SelectPaletteColors(a, app::ID_PALETTE_CB);
    a.params.displayId = app::ID_DISPLAY_SCROLL1;
    a.params.frequencyScaleId = app::ID_SCALE_LINEAR;
    a.params.timePerColumnMs = 10.0F;
    a.params.lowBandHz = 0;
    a.params.highBandHz = 6000;
    a.params.resolutionHz = 12.0F;
  }
  const app::LayoutValues& L() { return App().layout; }
  int PlotBottom() { return L().displayHeight - 2 * L().charHeight; }
  // A display image of the window's size (twice as high when stacked), all Background.
  void MakeImage(int height) {
    ASSERT_TRUE(App().display.Allocate(L().displayWidth, height));
    App().display.FillRectIndex({0, 0, L().displayWidth, height}, kBackgroundIndex);
  }
  bool AnyPixel(const Rect& area, const std::function<bool(Rgb)>& test) {
    const platform::DisplayBitmap& s = Window().Surface();
    for (int y = area.y; y < area.y + area.h; ++y) {
      for (int x = area.x; x < area.x + area.w; ++x) {
        if (test(s.Pixel(x, y))) return true;
      }
    }
    return false;
  }
};

TEST_F(PanelsTest, InvalidPointerShowsPlaceholders) {
  ReadoutTexts r = ComputeReadouts(App(), {10, 10}, false);
  EXPECT_EQ(r.time, "00000           ");
  EXPECT_EQ(r.frequency, "00000           ");
  EXPECT_EQ(r.level, "000             ");
  EXPECT_EQ(r.totalSpl, "");
  EXPECT_FALSE(r.store);

  App().params.splCalibrated = true;
  App().frame.inputOpen = true;  // scanning: the elapsed time stays
  App().render.view.elapsedMs = 5500;
  r = ComputeReadouts(App(), {10, 10}, false);
  EXPECT_EQ(r.time, "5   ");
  EXPECT_EQ(r.totalSpl, "000             ");
}

TEST_F(PanelsTest, SonogramReadoutsUnderThePointer) {
  app::App& a = App();
  MakeImage(L().displayHeight);
  const Point p{L().leftMargin + 100, PlotBottom() - 1};  // 100 columns in, bottom row
  ReadoutTexts r = ComputeReadouts(a, p, true);
  EXPECT_EQ(r.time, "1000 +/- 5  ");
  EXPECT_EQ(r.frequency, "0    +/- 6.0 ");
  EXPECT_EQ(r.level, "-90 ");  // the Background reads the Min level, 0 − 90
  EXPECT_TRUE(r.store);
  EXPECT_DOUBLE_EQ(r.timeMs, 1000.0);

  // A pixel of entry 124 stands for 45 dB between 0 and 90.
  a.display.SetPixelIndex(p.x, p.y, 124);
  EXPECT_EQ(ComputeReadouts(a, p, true).level, "-45 ");
  a.params.splCalibrated = true;
  a.render.view.levelTraceLeft.assign(200, 0.0F);
  a.render.view.levelTraceLeft[100] = 77.2F;
  r = ComputeReadouts(a, p, true);
  EXPECT_EQ(r.level, "45  ");
  EXPECT_EQ(r.totalSpl, "77");
  a.render.view.levelTraceLeft.resize(50);  // column outside the trace: the Min level
  EXPECT_EQ(ComputeReadouts(a, p, true).totalSpl, "0 ");
}

TEST_F(PanelsTest, ScrolledSonogramReadsTheShiftedColumn) {
  app::App& a = App();
  ASSERT_TRUE(a.display.Allocate(L().displayWidth + 200, L().displayHeight));
  a.display.FillRectIndex({0, 0, a.display.Width(), a.display.Height()}, kBackgroundIndex);
  a.render.view.horizontalOffset = 50;
  const Point p{L().leftMargin + 100, 20};
  a.display.SetPixelIndex(p.x + 50, p.y, 124);
  const ReadoutTexts r = ComputeReadouts(a, p, true);
  EXPECT_EQ(r.time, "1500 +/- 5  ");
  EXPECT_EQ(r.level, "-45 ");
}

TEST_F(PanelsTest, DualStereoReadsTheChannelOfEachHalf) {
  app::App& a = App();
  a.render.view.channelCount = 2;
  a.render.view.stackedChannels = true;
  a.params.channelsId = app::ID_CHANNELS_DUAL;
  MakeImage(2 * L().displayHeight);
  const int y = 30;
  a.display.SetPixelIndex(L().leftMargin + 100, y, 124);  // upper half: right channel
  const Point right{L().displayWidth / 2 + L().leftMargin + 100, y};
  ReadoutTexts r = ComputeReadouts(a, right, true);
  EXPECT_EQ(r.time, "1000 +/- 5  ");  // the same column as in the left half
  EXPECT_EQ(r.level, "-45 ");
  r = ComputeReadouts(a, {L().leftMargin + 100, y}, true);  // left half: lower image half
  EXPECT_EQ(r.level, "-90 ");
}

TEST_F(PanelsTest, ScopeReadouts) {
  app::App& a = App();
  a.params.displayId = app::ID_DISPLAY_SCOPE1;
  a.render.view.scopeTimeMs = 1234.0;
  MakeImage(L().displayHeight);
  const Point baseline{L().displayWidth / 2, L().displayHeight - 2 * L().charHeight};
  ReadoutTexts r = ComputeReadouts(a, baseline, true);
  EXPECT_EQ(r.time, "1234");
  EXPECT_EQ(r.level, "-120");  // scope Min −30, shown relative
  a.params.plotTypeId = app::ID_PLOT_DELTA;
  EXPECT_EQ(ComputeReadouts(a, baseline, true).level, "-60 ");
}

TEST_F(PanelsTest, UpdateReadoutsKeepsThePointForLogPoints) {
  app::App& a = App();
  MakeImage(L().displayHeight);
  UpdateReadouts(a, {L().leftMargin + 100, PlotBottom() - 1}, true);
  EXPECT_TRUE(a.render.readout.stored);
  EXPECT_DOUBLE_EQ(a.render.readout.timeMs, 1000.0);
  EXPECT_EQ(a.render.readout.frequencyHz, 0);
  // The value text is drawn in black beside the first label.
  const PanelLayout panel = ComputePanelLayout(L());
  const Point row = ReadoutRowOrigins(panel, false)[0];
  EXPECT_TRUE(AnyPixel({row.x + panel.readoutValueOffset, row.y, 60, L().charHeight},
                       [](Rgb c) { return c.r < 80 && c.g < 80 && c.b < 80; }));

  a.render.readout = {};
  UpdateReadouts(a, {0, 40}, true);  // x = 0: nothing kept
  EXPECT_FALSE(a.render.readout.stored);
}

TEST_F(PanelsTest, BoxesAreSunkenAndTheRecordingLabelRed) {
  app::App& a = App();
  DrawInfoPanel(a, 48000);
  const PanelLayout panel = ComputePanelLayout(L());
  const platform::DisplayBitmap& s = Window().Surface();
  const Rect& box = panel.info;
  EXPECT_EQ(s.Pixel(box.x, box.y + 5), (Rgb{0, 0, 0}));
  EXPECT_EQ(s.Pixel(box.x + box.w - 1, box.y + 5), (Rgb{255, 255, 255}));
  EXPECT_EQ(s.Pixel(box.x + 5, box.y + box.h - 1), (Rgb{255, 255, 255}));
  EXPECT_EQ(s.Pixel(box.x + box.w - 3, box.y + 2), kButtonFace);
  const Point firstRow = InfoRowOrigins(panel)[0];
  EXPECT_TRUE(AnyPixel({firstRow.x, firstRow.y, 40, L().charHeight},
                       [](Rgb c) { return c.r < 80 && c.g < 80 && c.b < 80; }));

  const auto red = [](Rgb c) { return c.r > 150 && c.g < 100 && c.b < 100; };
  const Point timeRow = ReadoutRowOrigins(panel, false)[0];
  const Rect labelArea{timeRow.x, timeRow.y, panel.readoutValueOffset - 2, L().charHeight};
  DrawReadoutLabels(a);
  EXPECT_FALSE(AnyPixel(labelArea, red));
  a.render.view.recording = true;
  DrawReadoutLabels(a);
  EXPECT_TRUE(AnyPixel(labelArea, red));
}

TEST_F(PanelsTest, BlitCopiesTheMarginUnscrolledAndThePlotAtTheOffset) {
  app::App& a = App();
  const int mx = L().leftMargin;
  ASSERT_TRUE(a.display.Allocate(L().displayWidth + 200, L().displayHeight));
  a.display.FillRect({0, 0, mx, L().displayHeight}, {10, 20, 30});
  a.display.FillRect({mx, 0, a.display.Width() - mx, L().displayHeight}, {40, 50, 60});
  a.display.FillRect({mx + 50, 0, 1, L().displayHeight}, {70, 80, 90});
  a.render.view.horizontalOffset = 50;
  BlitDisplay(a);
  const platform::DisplayBitmap& s = Window().Surface();
  EXPECT_EQ(s.Pixel(3, 10), (Rgb{10, 20, 30}));
  EXPECT_EQ(s.Pixel(mx, 10), (Rgb{70, 80, 90}));
  EXPECT_EQ(s.Pixel(mx + 1, L().displayHeight - 1), (Rgb{40, 50, 60}));
}

TEST_F(PanelsTest, BlitTakesEachStereoChannelFromItsHalf) {
  app::App& a = App();
  a.render.view.channelCount = 2;
  a.render.view.stackedChannels = true;
  const int h = L().displayHeight;
  const Rgb upper{200, 0, 0};
  const Rgb lower{0, 200, 0};
  ASSERT_TRUE(a.display.Allocate(L().displayWidth, 2 * h));
  a.display.FillRect({0, 0, L().displayWidth, h}, upper);
  a.display.FillRect({0, h, L().displayWidth, h}, lower);
  const platform::DisplayBitmap& s = Window().Surface();
  const int x = L().leftMargin + 5;

  a.params.channelsId = app::ID_CHANNELS_LEFT;
  BlitDisplay(a);
  EXPECT_EQ(s.Pixel(x, 5), lower);
  a.params.channelsId = app::ID_CHANNELS_RIGHT;
  BlitDisplay(a);
  EXPECT_EQ(s.Pixel(x, 5), upper);
  a.params.channelsId = app::ID_CHANNELS_DUAL;
  BlitDisplay(a);
  EXPECT_EQ(s.Pixel(x, 5), lower);
  EXPECT_EQ(s.Pixel(L().displayWidth / 2 + x, 5), upper);
}

TEST_F(PanelsTest, BlitWithoutAnImageClearsAndScopesCopyWhole) {
  app::App& a = App();
  const platform::DisplayBitmap& s = Window().Surface();
  Window().Surface().FillRect({0, 0, 20, 20}, {7, 7, 7});
  BlitDisplay(a);
  EXPECT_EQ(s.Pixel(5, 5), a.colors[kBackgroundIndex]);

  a.params.displayId = app::ID_DISPLAY_SCOPE2;
  ASSERT_TRUE(a.display.Allocate(L().displayWidth, L().displayHeight));
  a.display.FillRect({0, 0, L().displayWidth, L().displayHeight}, {1, 2, 3});
  BlitDisplay(a);
  EXPECT_EQ(s.Pixel(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(s.Pixel(L().displayWidth - 1, L().displayHeight - 1), (Rgb{1, 2, 3}));
}

TEST_F(PanelsTest, OverlaysOnlyWhenGridOrMarkersAreOn) {
  app::App& a = App();
  MakeImage(L().displayHeight);
  int calls = 0;
  const auto overlays = [&calls](app::App&) { ++calls; };
  RedrawWithOverlays(a, overlays);
  EXPECT_EQ(calls, 0);
  a.frame.grid = true;
  RedrawWithOverlays(a, overlays);
  EXPECT_EQ(calls, 1);
  a.frame.analysisPending = true;
  RedrawWithOverlays(a, overlays);
  EXPECT_EQ(calls, 1);
  a.frame.analysisPending = false;
  a.frame.grid = false;
  a.params.frequencyMarker1Hz = 1000;
  RedrawWithOverlays(a, overlays);
  EXPECT_EQ(calls, 2);

  Window().Surface().FillRect({0, 0, 10, 10}, {7, 7, 7});
  ClearDisplay(a);
  EXPECT_EQ(Window().Surface().Pixel(5, 5), a.colors[kBackgroundIndex]);
}

}  // namespace
}  // namespace sonavue::render
