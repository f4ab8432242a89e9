#include "render/Scope.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "context/App.h"
#include "render/Palette.h"
#include "support/AppFixture.h"

namespace sonavue::render {
namespace {

using platform::Rgb;

constexpr int kPoints = 300;

// Codes of levels in whole dB.
std::vector<std::int16_t> Levels(const std::vector<int>& levelsDb) {
  std::vector<std::int16_t> codes;
  for (const int db : levelsDb) codes.push_back(static_cast<std::int16_t>(4 * db));
  return codes;
}

// −20, −15 … 25 dB, repeating.
std::vector<std::int16_t> Sawtooth() {
  std::vector<int> levels;
  for (int i = 0; i < kPoints; ++i) levels.push_back(-20 + 5 * (i % 10));
  return Levels(levels);
}

// Red and blue exchanged, as a JPEG target reads them.
Rgb Swapped(Rgb c) { return {c.b, c.g, c.r}; }

std::vector<std::int16_t> Flat(int levelDb) { return Levels(std::vector<int>(kPoints, levelDb)); }

// A mono "Scope 1" display laid out as 800 × 536 with 300 points and text
// 14 × 7: plot from x = 100 (2 pixels per point) to 700, baseline 508, top
// 28; the range −30 … 90 dB spans 480 pixels, 4 pixels per dB.
class ScopeTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(1000, 700);
    app::App& a = App();
    SelectPaletteColors(a, app::ID_PALETTE_CB);
    a.params.displayId = app::ID_DISPLAY_SCOPE1;
    a.params.plotTypeId = app::ID_PLOT_SIGNAL;
    a.params.frequencyScaleId = app::ID_SCALE_LINEAR;
    a.params.lowBandHz = 0;
    a.params.highBandHz = 6000;
    a.params.scopeLevelMin = -30;
    a.params.scopeLevelMax = 90;
    a.params.gainDb = 0;
    a.layout.displayWidth = 800;
    a.layout.displayHeight = 536;
    a.layout.scopePoints = kPoints;
    a.layout.charWidth = 7;
    a.layout.charHeight = 14;
    a.render.view.channelCount = 1;
    a.peakHold.assign(kPoints, 0);
    ASSERT_TRUE(a.display.Allocate(800, 536));
    a.display.FillRect({0, 0, 800, 536}, Color(kBackgroundIndex));
    BeginScopeRun(a);
  }
  Rgb Color(int index) { return App().colors[static_cast<std::size_t>(index)]; }
  Rgb At(int x, int y) { return App().display.Pixel(x, y); }
  static int X(int point) { return 100 + 2 * point; }
  // The row of a level in dB.
  static int Row(int levelDb) { return 508 - 4 * (levelDb + 30); }
};

TEST_F(ScopeTest, NothingIsRedrawnWithoutAFrame) {
  app::App& a = App();
  a.display.FillRect({0, 0, 800, 536}, Color(kFirstScaleIndex));
  DrawScope(a);
  EXPECT_EQ(At(400, 300), Color(kFirstScaleIndex));
}

TEST_F(ScopeTest, NothingIsRedrawnForTheDeltaPlot) {
  app::App& a = App();
  StoreScopeFrame(a, Sawtooth(), {});
  a.params.plotTypeId = app::ID_PLOT_DELTA;
  a.display.FillRect({0, 0, 800, 536}, Color(kFirstScaleIndex));
  DrawScope(a);
  EXPECT_EQ(At(400, 300), Color(kFirstScaleIndex));
}

TEST_F(ScopeTest, CurvePixelsLandWhereComputed) {
  app::App& a = App();
  a.display.FillRect({0, 0, 800, 536}, Color(kFirstScaleIndex));
  StoreScopeFrame(a, Sawtooth(), {});
  DrawScope(a);
  for (int i = 1; i < kPoints; ++i) {
    const int level = -20 + 5 * (i % 10);
    ASSERT_EQ(At(X(i), Row(level)), Color(kSignal2Index)) << "point " << i;
  }
  // Redrawn on the Background, framed in the Text colour.
  EXPECT_EQ(At(400, 60), Color(kBackgroundIndex));
  EXPECT_EQ(At(100, 28), Color(kTextIndex));
  EXPECT_EQ(At(700, 300), Color(kTextIndex));
  EXPECT_EQ(At(400, 28), Color(kTextIndex));
}

TEST_F(ScopeTest, Scope2BarsRiseFromTheBaseline) {
  app::App& a = App();
  a.params.displayId = app::ID_DISPLAY_SCOPE2;
  StoreScopeFrame(a, Flat(30), {});  // 240 pixels high
  DrawScope(a);
  for (int y = Row(30); y < 508; ++y) ASSERT_EQ(At(X(150), y), Color(kSignal2Index)) << y;
  EXPECT_EQ(At(X(150), Row(30) - 1), Color(kBackgroundIndex));
  EXPECT_EQ(At(X(150) + 1, Row(30) + 10), Color(kBackgroundIndex));  // between two bars
}

TEST_F(ScopeTest, LevelsOutsideTheRangeStayInsideThePlot) {
  app::App& a = App();
  std::vector<std::int16_t> codes = Flat(120);  // above Max: the plot top
  for (int i = 0; i < kPoints / 2; ++i) codes[static_cast<std::size_t>(i)] = 4 * -50;  // below Min
  a.params.displayId = app::ID_DISPLAY_SCOPE2;
  StoreScopeFrame(a, codes, {});
  DrawScope(a);
  EXPECT_EQ(At(X(200), 29), Color(kSignal2Index));
  EXPECT_EQ(At(X(200), 27), Color(kBackgroundIndex));  // nothing above the frame
  EXPECT_EQ(At(X(50), 507), Color(kBackgroundIndex));  // nothing above the baseline
}

TEST_F(ScopeTest, PeakHoldKeepsTheHighestFrameAndResets) {
  app::App& a = App();
  a.frame.peakHold = true;
  ResetPeakHold(a.peakHold);
  StoreScopeFrame(a, Flat(60), {});
  StoreScopeFrame(a, Sawtooth(), {});
  EXPECT_EQ(a.peakHold, Flat(60));
  DrawScope(a);
  EXPECT_EQ(At(X(77), Row(60)), Color(kFreqMarkIndex));
  EXPECT_EQ(At(X(77), Row(15)), Color(kSignal2Index));  // point 77 is at 15 dB

  ResetPeakHold(a.peakHold);
  EXPECT_EQ(a.peakHold, std::vector<std::int16_t>(kPoints, kPeakHoldReset));
  StoreScopeFrame(a, Sawtooth(), {});
  EXPECT_EQ(a.peakHold, Sawtooth());
}

TEST_F(ScopeTest, PeakHoldIsOffUntilAsked) {
  app::App& a = App();
  StoreScopeFrame(a, Flat(60), {});
  EXPECT_EQ(a.peakHold, std::vector<std::int16_t>(kPoints, 0));
  DrawScope(a);
  EXPECT_NE(At(X(77), Row(60)), Color(kFreqMarkIndex));
}

TEST_F(ScopeTest, PeakHoldFollowsTheRightChannelWhenItIsShown) {
  app::App& a = App();
  a.render.view.channelCount = 2;
  a.params.typeId = app::ID_TYPE_STEREO;
  a.params.channelsId = app::ID_CHANNELS_RIGHT;
  a.frame.peakHold = true;
  ResetPeakHold(a.peakHold);
  StoreScopeFrame(a, Flat(10), Flat(50));
  EXPECT_EQ(a.peakHold, Flat(50));
}

TEST_F(ScopeTest, TheReferenceShowsOnlyWithTheBandItWasCapturedWith) {
  app::App& a = App();
  RequestReferenceCapture(a);
  StoreScopeFrame(a, Flat(30), {});
  StoreScopeFrame(a, Sawtooth(), {});  // the following frame is live only
  ASSERT_TRUE(a.render.scope.reference.exists);
  EXPECT_EQ(a.render.scope.reference.codes, Flat(30));

  const Rgb green{0, 200, 0};
  DrawScope(a);
  EXPECT_EQ(At(X(123), Row(30)), green);

  a.params.highBandHz = 8000;
  DrawScope(a);
  EXPECT_EQ(At(X(123), Row(30)), Color(kBackgroundIndex));

  a.params.highBandHz = 6000;
  DrawScope(a);
  EXPECT_EQ(At(X(123), Row(30)), green);

  ClearReference(a);
  EXPECT_FALSE(a.render.scope.reference.exists);
  DrawScope(a);
  EXPECT_EQ(At(X(123), Row(30)), Color(kBackgroundIndex));
}

TEST_F(ScopeTest, TheReferenceSurvivesANewRun) {
  app::App& a = App();
  RequestReferenceCapture(a);
  StoreScopeFrame(a, Flat(30), {});
  BeginScopeRun(a);
  EXPECT_TRUE(a.render.scope.reference.exists);
  EXPECT_FALSE(a.render.scope.hasData);
}

TEST_F(ScopeTest, AGainChangeLowersTheStoredCurve) {
  app::App& a = App();
  StoreScopeFrame(a, Flat(30), {});
  a.params.gainDb = 10;  // 10 dB quieter
  DrawScope(a);
  EXPECT_EQ(At(X(123), Row(20)), Color(kSignal2Index));
  EXPECT_EQ(At(X(123), Row(30)), Color(kBackgroundIndex));
}

TEST_F(ScopeTest, TheLiveDeltaSitsAtMidHeight) {
  app::App& a = App();
  a.render.view.channelCount = 2;
  a.params.typeId = app::ID_TYPE_STEREO;
  a.params.channelsId = app::ID_CHANNELS_DUAL;
  a.params.plotTypeId = app::ID_PLOT_DELTA;
  std::vector<std::int16_t> right = Flat(30);
  right[200] = 4 * 20;  // left 10 dB above right at point 200: 40 pixels up
  StoreScopeFrame(a, Flat(30), right);
  DrawScopeFrame(a);
  EXPECT_EQ(At(X(100), 268), Color(kSignal1Index));
  EXPECT_EQ(At(X(200), 228), Color(kSignal1Index));
  EXPECT_EQ(At(X(100), Row(30) + 60), Color(kBackgroundIndex));
}

TEST_F(ScopeTest, DualDrawsBothChannels) {
  app::App& a = App();
  a.render.view.channelCount = 2;
  a.params.typeId = app::ID_TYPE_STEREO;
  a.params.channelsId = app::ID_CHANNELS_DUAL;
  StoreScopeFrame(a, Flat(0), Flat(45));
  DrawScope(a);
  EXPECT_EQ(At(X(10), Row(0)), Color(kSignal2Index));
  EXPECT_EQ(At(X(10), Row(45)), Color(kSignal1Index));
}

TEST_F(ScopeTest, TheImageAtDoubleScaleWithSwappedColours) {
  app::App& a = App();
  StoreScopeFrame(a, Flat(30), {});
  platform::DisplayBitmap image;
  ASSERT_TRUE(image.Allocate(1600, 1072));
  DrawScopeImage(a, image, {2.0F, "Arial", true});
  EXPECT_EQ(image.Pixel(800, 100), Swapped(Color(kBackgroundIndex)));
  // 30 dB is 480 pixels above the baseline 1016; point 100 at 200 + 400.
  EXPECT_EQ(image.Pixel(600, 536), Swapped(Color(kSignal2Index)));
  EXPECT_EQ(image.Pixel(200, 300), Swapped(Color(kTextIndex)));
}

TEST_F(ScopeTest, TheGridGoesOverTheWindowNotTheImage) {
  app::App& a = App();
  a.frame.grid = true;
  StoreScopeFrame(a, Flat(-25), {});
  DrawScope(a);
  // The level line of −60 dB relative (30 dB) crosses the plot at row 268.
  EXPECT_EQ(Window().Surface().Pixel(450, 268), Color(kTextIndex));
  EXPECT_EQ(At(450, 268), Color(kBackgroundIndex));
}

TEST_F(ScopeTest, MarkersAreDrawnOnlyWhenSet) {
  app::App& a = App();
  StoreScopeFrame(a, Flat(0), {});
  int calls = 0;
  const ScopeOverlay markers = [&calls](app::App&, platform::DisplayBitmap&,
                                        const ScopeDrawOptions&) { ++calls; };
  DrawScope(a, markers);
  EXPECT_EQ(calls, 0);
  a.params.frequencyMarker1Hz = 1000;
  DrawScope(a, markers);
  EXPECT_EQ(calls, 1);
}

TEST_F(ScopeTest, ClearingThePlotKeepsOnlyTheFrame) {
  app::App& a = App();
  StoreScopeFrame(a, Flat(30), {});
  DrawScope(a);
  ClearScopePlot(a);
  EXPECT_EQ(At(X(123), Row(30)), Color(kBackgroundIndex));
  EXPECT_EQ(At(100, 300), Color(kTextIndex));
}

}  // namespace
}  // namespace sonavue::render
