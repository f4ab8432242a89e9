#include "plans/FrequencyMarkerPlan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace sonavue::render {
namespace {

// A "Scroll 1" picture 800 × 500, th = 15: plot bottom 470, 470 rows, band
// 0 … 4700 Hz (10 Hz per row).
AxesParams Sonogram() {
  AxesParams p;
  p.width = 800;
  p.height = 500;
  p.leftMargin = 60;
  p.charWidth = 7;
  p.textHeight = 15;
  p.lowHz = 0;
  p.highHz = 4700;
  return p;
}

TEST(FrequencyMarkerPlanTest, ALinearMarkerStandsItsShareOfThePlotAboveTheBottom) {
  const std::array<int, 2> markers{1000, 0};
  const auto lines = PlanSonogramMarkers(Sonogram(), markers);
  ASSERT_EQ(lines.size(), 1U);
  // 470 × 1000 ÷ 4700 = 100 pixels above the bottom at 470.
  EXPECT_EQ(lines[0].from, (platform::Point{60, 370}));
  EXPECT_EQ(lines[0].to, (platform::Point{800, 370}));
}

TEST(FrequencyMarkerPlanTest, MarkersOutsideTheBandOrOffAreNotDrawn) {
  const std::array<int, 2> markers{0, 9000};
  EXPECT_TRUE(PlanSonogramMarkers(Sonogram(), markers).empty());
  AxesParams p = Sonogram();
  p.lowHz = 1000;
  const std::array<int, 2> below{500, 1000};  // 1000 is the bottom row itself: 0 pixels up
  EXPECT_TRUE(PlanSonogramMarkers(p, below).empty());
}

TEST(FrequencyMarkerPlanTest, TheMultiplierDividesTheMarkerAndASubHertzResultIsDropped) {
  AxesParams p = Sonogram();
  p.multiplier = 8;
  const std::array<int, 2> markers{8000, 7};  // 1000 Hz analysed; 7 ÷ 8 rounds to 1 Hz
  const auto lines = PlanSonogramMarkers(p, markers);
  ASSERT_EQ(lines.size(), 1U);  // 1 Hz is 0.1 pixel: under one pixel up, not drawn
  EXPECT_EQ(lines[0].from.y, 370);
  const std::array<int, 2> tiny{3, 0};  // 3 ÷ 8 rounds to 0
  EXPECT_TRUE(PlanSonogramMarkers(p, tiny).empty());
}

TEST(FrequencyMarkerPlanTest, ALogMarkerSitsOnTheRowTheReadoutNamesIt) {
  AxesParams p = Sonogram();
  p.logarithmic = true;
  p.lowHz = 20;
  p.highHz = 20000;
  const std::array<int, 2> markers{2000, 0};
  const auto lines = PlanSonogramMarkers(p, markers);
  ASSERT_EQ(lines.size(), 1U);
  // Three decades over 469 row steps; 2000 Hz is two decades up: G = 313;
  // the line is G + 1 pixels above the bottom.
  const int g = static_cast<int>(std::lround(2.0 / (3.0 / 469.0)));
  EXPECT_EQ(g, 313);
  EXPECT_EQ(lines[0].from.y, 470 - (g + 1));
}

TEST(FrequencyMarkerPlanTest, DualGetsALineInEachHalfAndStackedPicturesOnePerChannel) {
  AxesParams p = Sonogram();
  p.dual = true;
  const std::array<int, 2> markers{1000, 2000};
  const auto dual = PlanSonogramMarkers(p, markers);
  ASSERT_EQ(dual.size(), 4U);
  EXPECT_EQ(dual[0].from, (platform::Point{60, 370}));
  EXPECT_EQ(dual[0].to, (platform::Point{400, 370}));
  EXPECT_EQ(dual[1].from, (platform::Point{460, 370}));
  EXPECT_EQ(dual[1].to, (platform::Point{800, 370}));

  p.dual = false;
  p.channelBlocks = 2;
  const auto stacked = PlanSonogramMarkers(p, markers);
  ASSERT_EQ(stacked.size(), 4U);
  EXPECT_EQ(stacked[2].from.y, 500 + 370);
}

TEST(FrequencyMarkerPlanTest, ScopeMarkersAreVerticalLinesUpThePlot) {
  ScopeGeometry g;
  g.left = 40;
  g.plotWidth = 600;
  g.baseline = 450;
  g.top = 50;
  const std::array<int, 2> markers{1500, 7000};
  const auto lines = PlanScopeMarkers(g, 0, 6000, 1, false, markers);
  ASSERT_EQ(lines.size(), 1U);  // 7000 Hz lies beyond the band
  EXPECT_EQ(lines[0].from, (platform::Point{40 + 150, 450}));
  EXPECT_EQ(lines[0].to, (platform::Point{40 + 150, 50}));
  // Logarithmic: 200 Hz is one decade of two above 20 Hz.
  const std::array<int, 2> log{200, 0};
  const auto logLines = PlanScopeMarkers(g, 20, 2000, 1, true, log);
  ASSERT_EQ(logLines.size(), 1U);
  EXPECT_EQ(logLines[0].from.x, 40 + 300);
}

}  // namespace
}  // namespace sonavue::render
