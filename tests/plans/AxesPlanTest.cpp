#include "plans/AxesPlan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plans/PaletteIndex.h"

namespace sonavue::render {
namespace {

using platform::Point;
using platform::Rect;

// Every character 7 pixels wide.
int FixedWidth(const std::string& text) { return 7 * static_cast<int>(text.size()); }

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

const AxesLabel* Find(const AxesPlan& plan, const std::string& text, int nth = 0) {
  for (const AxesLabel& label : plan.labels) {
    if (label.text == text && nth-- == 0) return &label;
  }
  return nullptr;
}

int Count(const AxesPlan& plan, const std::string& text) {
  return static_cast<int>(std::count_if(plan.labels.begin(), plan.labels.end(),
                                        [&](const AxesLabel& l) { return l.text == text; }));
}

TEST(AxesPlanTest, FrameAndFillsOfASinglePlot) {
  const AxesPlan plan = PlanAxes(Picture(), 800, FixedWidth);
  EXPECT_EQ(plan.plotBottom, 372);  // 400 − 2 × 14
  EXPECT_EQ(plan.plotWidth, 720);
  ASSERT_EQ(plan.frames.size(), 1U);
  EXPECT_EQ(plan.frames[0], (std::vector<Point>{{79, 0}, {79, 372}, {799, 372}}));
  EXPECT_EQ(plan.fills, (std::vector<Rect>{{0, 0, 80, 400}, {0, 372, 800, 28}}));
  EXPECT_EQ(plan.font.family, "Arial");
}

TEST(AxesPlanTest, LinearLabelsSitAtTheirRowsCentredInTheMargin) {
  const AxesPlan plan = PlanAxes(Picture(), 800, FixedWidth);
  // 6000 Hz over 372 rows: 1 kHz is 62 rows, so the labels sit at rows
  // 371, 309, 247, 185, 123, 61 and −1; the last is above the plot.
  const AxesLabel* zero = Find(plan, "0 kHz");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->topLeft, (Point{(80 - 35) / 2, 371 - 14}));  // near the bottom: top one text height up
  const AxesLabel* three = Find(plan, "3 kHz");
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three->topLeft, (Point{22, 185 - 7}));  // centred on its row
  EXPECT_NE(Find(plan, "5 kHz"), nullptr);
  EXPECT_EQ(Find(plan, "6 kHz"), nullptr);
}

TEST(AxesPlanTest, TimeLabelsStartLeftOfTheirTicksAndStopAtTheImageEdge) {
  const AxesPlan plan = PlanAxes(Picture(), 800, FixedWidth);
  const int y = 372 + 7;
  ASSERT_NE(Find(plan, "0   sec"), nullptr);
  EXPECT_EQ(Find(plan, "0   sec")->topLeft, (Point{80, y}));         // the first at its tick
  EXPECT_EQ(Find(plan, "2   sec")->topLeft, (Point{80 + 160 - 7, y}));  // others one cw left
  EXPECT_EQ(Find(plan, "8   sec")->topLeft, (Point{80 + 640 - 7, y}));
  EXPECT_EQ(Find(plan, "10  sec"), nullptr);  // would run past x = 800

  // A narrower image drops the 8 s label as well (713 + 49 ≥ 760).
  EXPECT_EQ(Find(PlanAxes(Picture(), 760, FixedWidth), "8   sec"), nullptr);
}

TEST(AxesPlanTest, AScrolledViewSkipsTheFirstLabelLeftOfThePlot) {
  AxesParams p = Picture();
  p.horizontalScroll = 100;  // left edge at 1.25 s
  AxesPlan plan = PlanAxes(p, 800, FixedWidth);
  EXPECT_EQ(Find(plan, "0   sec"), nullptr);
  ASSERT_NE(Find(plan, "2   sec"), nullptr);
  EXPECT_EQ(Find(plan, "2   sec")->topLeft.x, 80 + 60 - 7);

  p.options.timeOriginZero = true;
  plan = PlanAxes(p, 800, FixedWidth);
  ASSERT_NE(Find(plan, "0   sec"), nullptr);
  EXPECT_EQ(Find(plan, "0   sec")->topLeft.x, 80);
}

TEST(AxesPlanTest, Scroll2KeepsLabelsOutOfTheStripAndWritesSignal) {
  AxesParams p = Picture();
  p.scroll2 = true;
  const AxesPlan plan = PlanAxes(p, 800, FixedWidth);
  EXPECT_EQ(plan.waveformStrip, 46);  // (400 − 28) ÷ 8
  // 326 rows: 1 kHz is 54.33 rows, so 1 … 5 kHz sit at rows 317, 262, 208, 154
  // and 99; 0 Hz (371) is too close to the bottom strip, 6 kHz (45) in the strip.
  EXPECT_EQ(Find(plan, "0 kHz"), nullptr);
  EXPECT_EQ(Find(plan, "6 kHz"), nullptr);
  ASSERT_NE(Find(plan, "1 kHz"), nullptr);
  EXPECT_EQ(Find(plan, "1 kHz")->topLeft.y, 317 - 7);
  EXPECT_EQ(Find(plan, "5 kHz")->topLeft.y, 99 - 7);
  ASSERT_NE(Find(plan, "Signal"), nullptr);
  EXPECT_EQ(Find(plan, "Signal")->topLeft, (Point{(80 - 42) / 2, (46 - 14) / 2}));
}

TEST(AxesPlanTest, DualDrawsTwoPlotsSideBySide) {
  AxesParams p = Picture();
  p.dual = true;
  const AxesPlan plan = PlanAxes(p, 800, FixedWidth);
  ASSERT_EQ(plan.frames.size(), 2U);
  EXPECT_EQ(plan.frames[0], (std::vector<Point>{{79, 0}, {79, 372}, {400, 372}}));
  EXPECT_EQ(plan.frames[1], (std::vector<Point>{{479, 0}, {479, 372}, {799, 372}}));
  EXPECT_NE(std::find(plan.fills.begin(), plan.fills.end(), Rect{400, 0, 80, 400}), plan.fills.end());
  // Every frequency label twice; the right half's lowest one a text height up.
  EXPECT_EQ(Count(plan, "3 kHz"), 2);
  EXPECT_EQ(Find(plan, "3 kHz", 1)->topLeft, (Point{400 + 22, 178}));
  EXPECT_EQ(Find(plan, "0 kHz", 1)->topLeft.y, 371 - 14);
  // Time labels end inside their own half: 0 and 2 s in each.
  EXPECT_EQ(Count(plan, "0   sec"), 2);
  EXPECT_EQ(Count(plan, "2   sec"), 2);
  EXPECT_EQ(Count(plan, "4   sec"), 0);
  EXPECT_EQ(Find(plan, "0   sec", 1)->topLeft.x, 480);
}

TEST(AxesPlanTest, ScaleMultipliesEveryLength) {
  AxesParams p = Picture();
  p.options.scale = 2.0F;
  p.options.closedFrame = true;
  p.options.chosenFont = "Times New Roman";
  const AxesPlan plan = PlanAxes(p, 1600, FixedWidth);
  EXPECT_EQ(plan.penWidth, 2);
  EXPECT_EQ(plan.plotBottom, 744);
  EXPECT_EQ(plan.font.pixelHeight, 28);
  EXPECT_EQ(plan.font.family, "Times New Roman");
  // Pen offsets 1 and 1; closed back to the start.
  EXPECT_EQ(plan.frames[0],
            (std::vector<Point>{{159, 1}, {159, 745}, {1599, 745}, {1599, 1}, {159, 1}}));
  // Same seconds across the window: 2 s apart is 320 drawn pixels.
  EXPECT_EQ(Find(plan, "2   sec")->topLeft.x, 160 + 320 - 14);
}

TEST(AxesPlanTest, WholeImageSpansEveryColumn) {
  AxesParams p = Picture();
  p.options.wholeImage = true;
  p.columns = 2000;  // 25 s
  const AxesPlan plan = PlanAxes(p, 2080, FixedWidth);
  EXPECT_EQ(plan.plotWidth, 2000);
  EXPECT_EQ(plan.frames[0].back(), (Point{2079, 372}));
  EXPECT_NE(Find(plan, "24  sec"), nullptr);
  EXPECT_EQ(Find(plan, "26  sec"), nullptr);
}

TEST(AxesPlanTest, StackedChannelsRepeatTheAxesBelow) {
  AxesParams p = Picture();
  p.channelBlocks = 2;
  const AxesPlan plan = PlanAxes(p, 800, FixedWidth);
  EXPECT_EQ(plan.frames.size(), 2U);
  EXPECT_EQ(plan.frames[1][1], (Point{79, 772}));
  EXPECT_EQ(Find(plan, "3 kHz", 1)->topLeft.y, 400 + 178);
}

TEST(AxesPlanTest, LogLabelsOnlyInsideThePlot) {
  AxesParams p = Picture();
  p.logarithmic = true;
  p.lowHz = 100;
  p.highHz = 6000;
  const AxesPlan plan = PlanAxes(p, 800, FixedWidth);
  // 100 Hz sits on the bottom row (too low), 5 kHz inside, 10 kHz above.
  EXPECT_EQ(Find(plan, "100"), nullptr);
  EXPECT_NE(Find(plan, "200"), nullptr);
  EXPECT_NE(Find(plan, "5000"), nullptr);
  EXPECT_EQ(Find(plan, "10000"), nullptr);
  EXPECT_EQ(Find(plan, "50"), nullptr);
}

TEST(AxesPlanTest, WaveformStripLinesAtTheStripAndItsMiddle) {
  const auto lines = WaveformStripLines(80, 799, 46, {{0, 0}, {0, 400}});
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[0].from, (Point{80, 46}));
  EXPECT_EQ(lines[0].to, (Point{799, 46}));
  EXPECT_EQ(lines[0].paletteIndex, kSignal2Index);
  EXPECT_EQ(lines[1].from, (Point{80, 23}));
  EXPECT_EQ(lines[1].paletteIndex, kSignal1Index);
  EXPECT_EQ(lines[2].from, (Point{80, 446}));
}

}  // namespace
}  // namespace sonavue::render
