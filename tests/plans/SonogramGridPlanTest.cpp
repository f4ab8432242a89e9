#include "plans/SonogramGridPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sonavue::render {
namespace {

using platform::Point;

// An 800 × 400 "Scroll 1" picture with an 80-pixel margin, text 14 high and
// 7 wide, 12.5 ms per column (10 s across the window) and 0 … 6000 Hz:
// plot bottom 372, plot 720 pixels wide.
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

std::vector<int> VerticalXs(const std::vector<GridLine>& lines) {
  std::vector<int> xs;
  for (const GridLine& l : lines) {
    if (l.from.x == l.to.x) xs.push_back(l.from.x);
  }
  return xs;
}

std::vector<GridLine> Horizontals(const std::vector<GridLine>& lines) {
  std::vector<GridLine> out;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
               [](const GridLine& l) { return l.from.y == l.to.y; });
  return out;
}

TEST(SonogramGridPlanTest, TimeStepsStartAtTenMilliseconds) {
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(0.002), 0.01);
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(0.015), 0.01);  // a tie takes the smaller
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(0.04), 0.05);
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(2.0), 2.0);
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(3.5), 2.0);
  EXPECT_DOUBLE_EQ(ChooseGridTimeStep(1e9), 100000.0);
}

TEST(SonogramGridPlanTest, TimeLinesEveryTwoSecondsInsideThePlot) {
  const std::vector<GridLine> lines = PlanSonogramGrid(Picture());
  // 2 s steps are 160 pixels; the lines at 0 and 720 pixels lie within
  // 2 × 7 pixels of the plot's ends and are left out.
  EXPECT_EQ(VerticalXs(lines), (std::vector<int>{240, 400, 560, 720}));
  const auto it = std::find_if(lines.begin(), lines.end(),
                               [](const GridLine& l) { return l.from.x == 240; });
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(it->from, (Point{240, 0}));
  EXPECT_EQ(it->to, (Point{240, 372}));
}

TEST(SonogramGridPlanTest, AScrolledViewMovesTheTimeLines) {
  AxesParams p = Picture();
  p.horizontalScroll = 100;  // left edge at 1.25 s: 2 s is 60 pixels in
  EXPECT_EQ(VerticalXs(PlanSonogramGrid(p)), (std::vector<int>{140, 300, 460, 620, 780}));
}

TEST(SonogramGridPlanTest, ShortSpansStillUseTenMillisecondLines) {
  AxesParams p = Picture();
  p.columnMs = 0.025;  // 20 ms across the window: the axis would step 5 ms
  // 10 ms is 400 pixels: only the line in the middle of the plot is drawn.
  EXPECT_EQ(VerticalXs(PlanSonogramGrid(p)), (std::vector<int>{480}));
}

TEST(SonogramGridPlanTest, FrequencyLinesAtTheLabelRows) {
  const std::vector<GridLine> rows = Horizontals(PlanSonogramGrid(Picture()));
  // 1 kHz is 62 rows; 6 kHz would be above the picture.
  ASSERT_EQ(rows.size(), 6U);
  const std::vector<int> ys{371, 309, 247, 185, 123, 61};
  for (std::size_t i = 0; i < ys.size(); ++i) {
    EXPECT_EQ(rows[i].from, (Point{80, ys[i]}));
    EXPECT_EQ(rows[i].to, (Point{800, ys[i]}));
  }
}

TEST(SonogramGridPlanTest, Scroll2KeepsFrequencyLinesOutOfTheStrip) {
  AxesParams p = Picture();
  p.scroll2 = true;
  std::vector<int> ys;
  for (const GridLine& l : Horizontals(PlanSonogramGrid(p))) ys.push_back(l.from.y);
  // 326 rows below the 46-pixel strip; 6 kHz (row 45) lies in the strip.
  EXPECT_EQ(ys, (std::vector<int>{371, 317, 262, 208, 154, 99}));
}

TEST(SonogramGridPlanTest, DualRepeatsTimeLinesAndSplitsFrequencyLines) {
  AxesParams p = Picture();
  p.dual = true;
  const std::vector<GridLine> lines = PlanSonogramGrid(p);
  // The left half's plot is 320 pixels: only the 2 s line lies inside.
  EXPECT_EQ(VerticalXs(lines), (std::vector<int>{240, 640}));
  const std::vector<GridLine> rows = Horizontals(lines);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].from, (Point{80, 371}));
  EXPECT_EQ(rows[0].to, (Point{400, 371}));
  EXPECT_EQ(rows[1].from, (Point{480, 371}));
  EXPECT_EQ(rows[1].to, (Point{800, 371}));
}

TEST(SonogramGridPlanTest, LogFrequencyLinesInsideThePlot) {
  AxesParams p = Picture();
  p.logarithmic = true;
  p.lowHz = 100;
  p.highHz = 10000;  // two decades over 372 rows: 186 rows per decade
  std::vector<int> ys;
  for (const GridLine& l : Horizontals(PlanSonogramGrid(p))) ys.push_back(l.from.y);
  // 100 Hz at the bottom row, 1 kHz 186 rows up, 10 kHz at the top.
  EXPECT_NE(std::find(ys.begin(), ys.end(), 186), ys.end());
  EXPECT_NE(std::find(ys.begin(), ys.end(), 0), ys.end());
  EXPECT_EQ(std::find(ys.begin(), ys.end(), 372), ys.end());  // 100 Hz sits on the plot bottom
  // 200, 300, 500 Hz, 1, 2, 3, 5 and 10 kHz; 10 … 100 Hz lie at or below the
  // plot bottom, 20 kHz and up above the picture.
  EXPECT_EQ(ys.size(), 8U);
}

TEST(SonogramGridPlanTest, DoubleScaleDoublesThePositions) {
  AxesParams p = Picture();
  p.options.scale = 2.0F;
  EXPECT_EQ(VerticalXs(PlanSonogramGrid(p)), (std::vector<int>{480, 800, 1120, 1440}));
}

}  // namespace
}  // namespace sonavue::render
