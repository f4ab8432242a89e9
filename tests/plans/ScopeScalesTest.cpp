#include "plans/ScopeScales.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sonavue::render {
namespace {

using platform::Point;

// Every character 7 pixels wide.
int FixedWidth(const std::string& text) { return 7 * static_cast<int>(text.size()); }

// The 800 × 536 area of 300 points: plot from x = 100 to 700, baseline 508,
// top 28, 480 pixels for the level range; band 0 … 6000 Hz, range −30 … 90.
ScopeScaleParams Scope() {
  ScopeScaleParams p;
  p.frame = {800, 536, 300, 7, 14, 1.0F};
  p.fontHeight = 14;
  p.lowHz = 0;
  p.highHz = 6000;
  p.minDb = -30;
  p.maxDb = 90;
  return p;
}

ScopeGeometry GeometryOf(const ScopeScaleParams& p) { return ComputeScopeGeometry(p.frame); }

std::vector<std::string> ShownTexts(const std::vector<ScopeTick>& ticks) {
  std::vector<std::string> texts;
  for (const ScopeTick& t : ticks) {
    if (t.shown) texts.push_back(t.text);
  }
  return texts;
}

std::vector<int> Positions(const std::vector<ScopeTick>& ticks, bool shownOnly) {
  std::vector<int> positions;
  for (const ScopeTick& t : ticks) {
    if (t.shown || !shownOnly) positions.push_back(t.position);
  }
  return positions;
}

const ScopeLabel* Find(const ScopeAxesPlan& plan, const std::string& text) {
  for (const ScopeLabel& label : plan.labels) {
    if (label.text == text) return &label;
  }
  return nullptr;
}

TEST(ScopeScalesTest, LevelStepIsNearestAQuarterOfTheRange) {
  EXPECT_EQ(ScopeLevelStep(-30, 90), 30);   // 30
  EXPECT_EQ(ScopeLevelStep(-60, 120), 30);  // 45: beyond the largest step
  EXPECT_EQ(ScopeLevelStep(0, 80), 20);     // 20
  EXPECT_EQ(ScopeLevelStep(0, 40), 10);     // 10
  EXPECT_EQ(ScopeLevelStep(0, 60), 10);     // 15: a tie takes the smaller
  EXPECT_EQ(ScopeLevelStep(10, 100), 20);   // 22.5: nearer 20
  EXPECT_EQ(ScopeLevelStep(0, 90), 30);     // 22.5 as well, but this range has 30
}

TEST(ScopeScalesTest, LevelLabelsOfTheDefaultRange) {
  const ScopeScaleParams p = Scope();
  const std::vector<ScopeTick> ticks = ScopeLevelTicks(p, GeometryOf(p));
  // 30 dB steps from the multiple of 30 below −30, 120 pixels apart.
  ASSERT_EQ(ticks.size(), 6U);
  EXPECT_DOUBLE_EQ(ticks[0].value, -60.0);
  EXPECT_EQ(Positions(ticks, false), (std::vector<int>{628, 508, 388, 268, 148, 28}));
  // Relative to 90 dB; −150 lies below the baseline and 0 is where the
  // "dB" caption stands.
  EXPECT_EQ(ticks[0].text, "-150");
  EXPECT_FALSE(ticks[0].shown);
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"-120", "-90", "-60", "-30"}));
  EXPECT_EQ(ticks[5].text, "0");
  EXPECT_FALSE(ticks[5].shown);
}

TEST(ScopeScalesTest, LevelLabelsWithSplCalibrationShowTheLevelsThemselves) {
  ScopeScaleParams p = Scope();
  p.splCalibrated = true;
  EXPECT_EQ(ShownTexts(ScopeLevelTicks(p, GeometryOf(p))),
            (std::vector<std::string>{"-30", "0", "30", "60"}));
}

TEST(ScopeScalesTest, LevelLabelsFromZeroToNinety) {
  ScopeScaleParams p = Scope();
  p.minDb = 0;
  p.maxDb = 90;
  const std::vector<ScopeTick> ticks = ScopeLevelTicks(p, GeometryOf(p));
  // 30 dB is a third of the 480 pixels.
  EXPECT_EQ(Positions(ticks, false), (std::vector<int>{508, 348, 188, 28}));
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"-90", "-60", "-30"}));
}

TEST(ScopeScalesTest, LevelLabelsOfAnUnevenNegativeMinimum) {
  ScopeScaleParams p = Scope();
  p.minDb = -60;
  p.maxDb = 120;
  const std::vector<ScopeTick> ticks = ScopeLevelTicks(p, GeometryOf(p));
  // 180 dB over 480 pixels: 30 dB is 80 pixels; starts at −90, below the plot.
  EXPECT_EQ(Positions(ticks, false),
            (std::vector<int>{588, 508, 428, 348, 268, 188, 108, 28}));
  EXPECT_EQ(ShownTexts(ticks),
            (std::vector<std::string>{"-150", "-120", "-90", "-60", "-30", "0"}));

  p.minDb = -25;
  p.maxDb = 95;  // 120 dB, step 30, first −30: 5 dB (20 pixels) below the baseline
  EXPECT_EQ(Positions(ScopeLevelTicks(p, GeometryOf(p)), false),
            (std::vector<int>{528, 408, 288, 168, 48}));
}

TEST(ScopeScalesTest, LevelLabelsStopAboveThePlot) {
  ScopeScaleParams p = Scope();
  p.minDb = 5;
  p.maxDb = 45;  // 40 dB, step 10 from 5: 120 pixels apart, six at most
  const std::vector<ScopeTick> ticks = ScopeLevelTicks(p, GeometryOf(p));
  // 5 … 45 fill the plot; 55 would be 120 pixels above the top, so none follows.
  EXPECT_EQ(Positions(ticks, false), (std::vector<int>{508, 388, 268, 148, 28}));
}

TEST(ScopeScalesTest, DeltaLabelsAreFixed) {
  ScopeScaleParams p = Scope();
  p.delta = true;
  const std::vector<ScopeTick> ticks = ScopeLevelTicks(p, GeometryOf(p));
  EXPECT_EQ(Positions(ticks, true), (std::vector<int>{508, 388, 268, 148, 28}));
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"-30", "-15", "0", "15", "30"}));
}

TEST(ScopeScalesTest, LinearFrequencyLabelsOfZeroToSixKilohertz) {
  const ScopeScaleParams p = Scope();
  const std::vector<ScopeTick> ticks = ScopeFrequencyTicks(p, GeometryOf(p));
  // 1 kHz steps over 600 pixels: 100 pixels each, one pixel right of the edge.
  EXPECT_EQ(Positions(ticks, false), (std::vector<int>{101, 201, 301, 401, 501, 601, 701}));
  // The last lies past x0 + 2P − 5 cw = 665.
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
  EXPECT_EQ(ScopeFrequencyUnit(p), "kHz");
}

TEST(ScopeScalesTest, LinearLabelsBelowOneKilohertzStepAreInHertz) {
  ScopeScaleParams p = Scope();
  p.lowHz = 100;
  p.highHz = 3100;  // 3000 Hz: 500 Hz steps from 500 Hz, 10 Hz per point
  const std::vector<ScopeTick> ticks = ScopeFrequencyTicks(p, GeometryOf(p));
  EXPECT_EQ(Positions(ticks, false), (std::vector<int>{181, 281, 381, 481, 581, 681, 781}));
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"500", "1000", "1500", "2000", "2500"}));
  EXPECT_EQ(ScopeFrequencyUnit(p), "Hz");
}

TEST(ScopeScalesTest, LinearLabelsWithAFrequencyMultiplier) {
  ScopeScaleParams p = Scope();
  p.highHz = 300;
  p.multiplier = 20;  // shown as 0 … 6000 Hz
  EXPECT_EQ(ShownTexts(ScopeFrequencyTicks(p, GeometryOf(p))),
            (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
}

TEST(ScopeScalesTest, LogFrequencyLabels) {
  ScopeScaleParams p = Scope();
  p.logarithmic = true;
  p.lowHz = 20;
  p.highHz = 20000;  // three decades over 600 pixels: 200 per decade
  const std::vector<ScopeTick> ticks = ScopeFrequencyTicks(p, GeometryOf(p));
  ASSERT_EQ(ticks.size(), 20U);
  const auto at = [&](const std::string& text) {
    const auto it = std::find_if(ticks.begin(), ticks.end(),
                                 [&](const ScopeTick& t) { return t.text == text && t.shown; });
    return it == ticks.end() ? -1 : it->position;
  };
  EXPECT_EQ(at("20"), 100);
  EXPECT_EQ(at("200"), 300);
  EXPECT_EQ(at("2K"), 500);
  EXPECT_EQ(at("10K"), 640);  // 100 + 200 × log10(500) = 639.8
  EXPECT_EQ(ShownTexts(ticks),
            (std::vector<std::string>{"20", "30", "50", "100", "200", "300", "500", "1K", "2K", "3K",
                                      "5K", "10K"}));
  EXPECT_EQ(ScopeFrequencyUnit(p), "Hz");
}

TEST(ScopeScalesTest, LogLabelsCountInKilohertzFromTenKilohertzUp) {
  ScopeScaleParams p = Scope();
  p.logarithmic = true;
  p.lowHz = 10000;
  p.highHz = 40000;  // log10 4 over 600 pixels: 20 kHz half-way
  const std::vector<ScopeTick> ticks = ScopeFrequencyTicks(p, GeometryOf(p));
  EXPECT_EQ(ShownTexts(ticks), (std::vector<std::string>{"10", "20", "30"}));
  EXPECT_EQ(Positions(ticks, true), (std::vector<int>{100, 400, 575}));
  EXPECT_EQ(ScopeFrequencyUnit(p), "KHz");
}

TEST(ScopeScalesTest, AxesPlanPlacesLabelsCaptionAndFrame) {
  const ScopeAxesPlan plan = PlanScopeAxes(Scope(), FixedWidth);
  // Frequency labels centred by half their characters, tops half a text
  // height below the baseline.
  ASSERT_NE(Find(plan, "1"), nullptr);
  EXPECT_EQ(Find(plan, "1")->topLeft, (Point{201, 515}));
  ASSERT_NE(Find(plan, "kHz"), nullptr);
  EXPECT_EQ(Find(plan, "kHz")->topLeft, (Point{686, 515}));
  // Level labels end 3 pixels left of the plot, centred on their rows.
  ASSERT_NE(Find(plan, "-60"), nullptr);
  EXPECT_EQ(Find(plan, "-60")->topLeft, (Point{100 - 3 - 21, 268 - 7}));
  ASSERT_NE(Find(plan, "-120"), nullptr);
  EXPECT_EQ(Find(plan, "-120")->topLeft, (Point{100 - 3 - 28, 508 - 7}));
  // The caption centred left of the plot, on the top row.
  ASSERT_NE(Find(plan, "dB"), nullptr);
  EXPECT_EQ(Find(plan, "dB")->topLeft, (Point{43, 21}));
  EXPECT_EQ(plan.labels.back().text, "dB");
  EXPECT_EQ(plan.frame,
            (std::vector<Point>{{100, 508}, {100, 28}, {700, 28}, {700, 508}, {100, 508}}));
  EXPECT_EQ(plan.font.family, "Arial");
  EXPECT_EQ(plan.font.pixelHeight, 14);
}

TEST(ScopeScalesTest, TwoCharacterLabelsAreCentredByOneCharacter) {
  ScopeScaleParams p = Scope();
  p.highHz = 300;  // 50 Hz steps, 100 pixels apart
  const ScopeAxesPlan plan = PlanScopeAxes(p, FixedWidth);
  ASSERT_NE(Find(plan, "50"), nullptr);
  EXPECT_EQ(Find(plan, "50")->topLeft, (Point{201 - 7, 515}));
  ASSERT_NE(Find(plan, "150"), nullptr);
  EXPECT_EQ(Find(plan, "150")->topLeft, (Point{401 - 7, 515}));
  ASSERT_NE(Find(plan, "Hz"), nullptr);
}

TEST(ScopeScalesTest, AxesAtDoubleScaleWithAChosenFont) {
  ScopeScaleParams p = Scope();
  p.frame.scale = 2.0F;
  p.chosenFont = "Courier New";
  const ScopeAxesPlan plan = PlanScopeAxes(p, FixedWidth);
  EXPECT_EQ(plan.font.family, "Courier New");
  EXPECT_EQ(plan.font.pixelHeight, 28);
  EXPECT_EQ(plan.frame[1], (Point{200, 56}));
  EXPECT_EQ(plan.frame[2], (Point{1400, 56}));
  // 1 kHz is 200 pixels at double scale; tops 14 below the baseline 1016.
  ASSERT_NE(Find(plan, "1"), nullptr);
  EXPECT_EQ(Find(plan, "1")->topLeft, (Point{401, 1030}));
}

bool HasLine(const std::vector<GridLine>& lines, Point from, Point to) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const GridLine& l) { return l.from == from && l.to == to; });
}

TEST(ScopeScalesTest, LinearGridFollowsTheLabels) {
  const std::vector<GridLine> lines = PlanScopeGrid(Scope());
  // Six verticals at 101 … 601 (701 lies right of the plot) and five
  // horizontals from the baseline to the top, 120 pixels apart.
  ASSERT_EQ(lines.size(), 11U);
  for (int x = 101; x <= 601; x += 100) EXPECT_TRUE(HasLine(lines, {x, 508}, {x, 28})) << x;
  EXPECT_FALSE(HasLine(lines, {701, 508}, {701, 28}));
  for (int y = 508; y >= 28; y -= 120) EXPECT_TRUE(HasLine(lines, {100, y}, {700, y})) << y;
}

TEST(ScopeScalesTest, LogGridHasNineLinesPerDecade) {
  ScopeScaleParams p = Scope();
  p.logarithmic = true;
  p.lowHz = 20;
  p.highHz = 20000;
  const std::vector<GridLine> lines = PlanScopeGrid(p);
  int verticals = 0;
  for (const GridLine& l : lines) verticals += l.from.x == l.to.x ? 1 : 0;
  // 20 … 90, 100 … 900, 1000 … 9000, 10000 and 20000 Hz.
  EXPECT_EQ(verticals, 8 + 9 + 9 + 2);
  EXPECT_TRUE(HasLine(lines, {100, 508}, {100, 28}));  // 20 Hz
  EXPECT_TRUE(HasLine(lines, {300, 508}, {300, 28}));  // 200 Hz
  EXPECT_TRUE(HasLine(lines, {700, 508}, {700, 28}));  // 20 kHz
  // 40 Hz: 200 × log10 2 = 60.2 pixels in.
  EXPECT_TRUE(HasLine(lines, {160, 508}, {160, 28}));
}

TEST(ScopeScalesTest, DeltaCaptionIsCentredAboveThePlot) {
  // Plot 100 … 700, top 28, text 14 high: a 112-pixel caption spans 344 … 456
  // with its top at (28 − 14) ÷ 2.
  const ScopeGeometry g = ComputeScopeGeometry(Scope().frame);
  EXPECT_EQ(DeltaCaptionOrigin(g, 112), (Point{344, 7}));
  // A plot that reaches the top of the area puts the caption at row 0.
  ScopeGeometry high = g;
  high.top = 4;
  EXPECT_EQ(DeltaCaptionOrigin(high, 112).y, 0);
}

TEST(ScopeScalesTest, DeltaGridUsesItsFiveLevels) {
  ScopeScaleParams p = Scope();
  p.delta = true;
  const std::vector<GridLine> lines = PlanScopeGrid(p);
  for (int y = 508; y >= 28; y -= 120) EXPECT_TRUE(HasLine(lines, {100, y}, {700, y})) << y;
}

}  // namespace
}  // namespace sonavue::render
