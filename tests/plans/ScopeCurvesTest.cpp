#include "plans/ScopeCurves.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace sonavue::render {
namespace {

using platform::Point;

// An 800 × 536 display area, 300 scope points, text 14 high and 7 wide:
// the plot is 600 pixels wide, centred (left edge 100), its baseline two
// text heights up (508), and the 240 level units span 536 − 4 × 14 = 480
// pixels, so h = 2 and the plot top is at 28.
ScopeGeometryInput Area() { return {800, 536, 300, 7, 14, 1.0F}; }

// The same with 400 − 56 = 344 pixels for the level range: h = 344 ÷ 240.
constexpr double kOddUnit = 344.0 / 240.0;

TEST(ScopeCurvesTest, GeometryOfAWideArea) {
  const ScopeGeometry g = ComputeScopeGeometry(Area());
  EXPECT_EQ(g.left, 100);
  EXPECT_EQ(g.plotWidth, 600);
  EXPECT_EQ(g.baseline, 508);
  EXPECT_DOUBLE_EQ(g.unitPixels, 2.0);
  EXPECT_EQ(g.plotHeight, 480);
  EXPECT_EQ(g.top, 28);
  EXPECT_EQ(ScopePointX(g, 0), 100);
  EXPECT_EQ(ScopePointX(g, 1), 102);
  EXPECT_EQ(ScopePointX(g, 299), 698);
}

TEST(ScopeCurvesTest, ANarrowAreaKeepsFourAndAHalfCharactersLeft) {
  // 300 points fill all of 600 pixels: the plot still starts 4½ × 7 = 31.5,
  // in whole pixels 31, from the left.
  const ScopeGeometry g = ComputeScopeGeometry({600, 536, 300, 7, 14, 1.0F});
  EXPECT_EQ(g.left, 31);
}

TEST(ScopeCurvesTest, GeometryAtDoubleScale) {
  ScopeGeometryInput in = Area();
  in.scale = 2.0F;
  const ScopeGeometry g = ComputeScopeGeometry(in);
  EXPECT_EQ(g.left, 200);
  EXPECT_EQ(g.plotWidth, 1200);
  EXPECT_EQ(g.baseline, 1016);
  EXPECT_EQ(g.plotHeight, 960);
  EXPECT_EQ(g.top, 56);
  EXPECT_EQ(g.penWidth, 2);
  EXPECT_EQ(g.textHeight, 28);
  EXPECT_EQ(ScopePointX(g, 10), 240);  // 4 pixels per point
}

TEST(ScopeCurvesTest, HeightsOfWorkedLevels) {
  // Scope range −30 … 90 dB: 120 dB over 480 pixels, 4 pixels per dB.
  EXPECT_EQ(ScopeCurveHeight(4 * 30, -30, 90, 2.0), 240);   // 30 dB: 60 dB up
  EXPECT_EQ(ScopeCurveHeight(4 * 60, -30, 90, 2.0), 360);   // 60 dB: 90 dB up
  EXPECT_EQ(ScopeCurveHeight(-4 * 20, -30, 90, 2.0), 40);   // −20 dB: 10 dB up
  EXPECT_EQ(ScopeCurveHeight(1, -30, 90, 2.0), 121);        // 0.25 dB: 30.25 dB up
  // Range 0 … 60 dB over 480 pixels: 8 pixels per dB; 10.5 dB is 84 pixels.
  EXPECT_EQ(ScopeCurveHeight(42, 0, 60, 2.0), 84);
}

TEST(ScopeCurvesTest, HeightsAreTruncated) {
  // 344 pixels for 120 dB: 0.25 dB (30.25 dB up) is 86.72 pixels → 86, and
  // 0.5 dB (30.5 up) 87.43 → 87.
  EXPECT_EQ(ScopeCurveHeight(1, -30, 90, kOddUnit), 86);
  EXPECT_EQ(ScopeCurveHeight(2, -30, 90, kOddUnit), 87);
}

TEST(ScopeCurvesTest, HeightsAreClippedAtTheBaselineAndThePlotTop) {
  EXPECT_EQ(ScopeCurveHeight(4 * -30, -30, 90, 2.0), 0);    // exactly Min
  EXPECT_EQ(ScopeCurveHeight(4 * -31, -30, 90, 2.0), 0);    // below Min
  EXPECT_EQ(ScopeCurveHeight(-10000, -30, 90, 2.0), 0);
  EXPECT_EQ(ScopeCurveHeight(4 * 90, -30, 90, 2.0), 480);   // exactly Max
  EXPECT_EQ(ScopeCurveHeight(4 * 100, -30, 90, 2.0), 480);  // above Max
  EXPECT_EQ(ScopeCurveHeight(32767, -30, 90, 2.0), 480);
  // A level right at Max lands on the top row even when h is not a whole number.
  EXPECT_EQ(ScopePlotHeight(kOddUnit), 344);
  EXPECT_EQ(ScopeCurveHeight(4 * 90, -30, 90, kOddUnit), 344);
}

TEST(ScopeCurvesTest, AnEmptyRangeDrawsAtTheBaseline) {
  EXPECT_EQ(ScopeCurveHeight(400, 50, 50, 2.0), 0);
  EXPECT_EQ(ScopeCurveHeight(400, 60, 50, 2.0), 0);
}

TEST(ScopeCurvesTest, HeightsScaleWithTheDrawingScale) {
  EXPECT_EQ(ScopeCurveHeight(4 * 30, -30, 90, 2.0, 2.0), 480);
  EXPECT_EQ(ScopeCurveHeight(4 * 100, -30, 90, 2.0, 2.0), 960);
  EXPECT_EQ(ScopeCurveHeight(4 * 100, -30, 90, 2.0, 1.5), 720);
}

TEST(ScopeCurvesTest, HeightsOfACurveWithLowering) {
  const std::array<std::int16_t, 4> codes{120, -120, 360, 0};
  std::array<int, 4> heights{};
  ScopeCurveHeights(codes, -30, 90, 2.0, heights);
  EXPECT_EQ(heights, (std::array<int, 4>{240, 0, 480, 120}));
  // Lowered by 10 dB: 20, −40, 80 and −10 dB.
  ScopeCurveHeights(codes, -30, 90, 2.0, heights, 1.0, 40);
  EXPECT_EQ(heights, (std::array<int, 4>{200, 0, 440, 80}));
}

TEST(ScopeCurvesTest, OnlyAsManyHeightsAsThereIsRoomFor) {
  const std::array<std::int16_t, 3> codes{120, 120, 120};
  std::array<int, 4> heights{-1, -1, -1, -1};
  ScopeCurveHeights(std::span(codes).first(2), -30, 90, 2.0, heights);
  EXPECT_EQ(heights, (std::array<int, 4>{240, 240, -1, -1}));
}

TEST(ScopeCurvesTest, GainLoweringIsFourCodesPerDecibel) {
  EXPECT_EQ(GainLoweringCodes(5, 2), 12);
  EXPECT_EQ(GainLoweringCodes(-10, 0), -40);
  EXPECT_EQ(GainLoweringCodes(7, 7), 0);
}

TEST(ScopeCurvesTest, DeltaSitsAboutMidHeight) {
  // 480-pixel plot: equal channels sit at 240, whatever their level.
  EXPECT_EQ(ScopeDeltaHeight(100, 100, 2.0), 240);
  EXPECT_EQ(ScopeDeltaHeight(0, 0, 2.0), 240);
  EXPECT_EQ(ScopeDeltaHeight(300, 100, 2.0), 440);  // left 200 higher
  EXPECT_EQ(ScopeDeltaHeight(100, 300, 2.0), 40);   // right 200 higher
  EXPECT_EQ(ScopeDeltaHeight(480, 0, 2.0), 480);    // clipped at the top
  EXPECT_EQ(ScopeDeltaHeight(0, 480, 2.0), 0);      // clipped at the baseline
  // 344 pixels: the middle is row 172.
  EXPECT_EQ(ScopeDeltaHeight(50, 50, kOddUnit), 172);
}

TEST(ScopeCurvesTest, DeltaOfWholeCurves) {
  const std::array<int, 3> left{10, 200, 480};
  const std::array<int, 3> right{10, 100, 0};
  std::array<int, 3> delta{};
  ScopeDeltaHeights(left, right, 2.0, delta);
  EXPECT_EQ(delta, (std::array<int, 3>{240, 340, 480}));
}

TEST(ScopeCurvesTest, PeakHoldKeepsTheGreatestLevels) {
  std::vector<std::int16_t> peaks(4, 7);
  ResetPeakHold(peaks);
  EXPECT_EQ(peaks, (std::vector<std::int16_t>(4, -10000)));

  const std::array<std::int16_t, 4> first{100, -50, 0, 20};
  const std::array<std::int16_t, 4> second{80, -40, -9000, 300};
  UpdatePeakHold(peaks, first);
  EXPECT_EQ(peaks, (std::vector<std::int16_t>{100, -50, 0, 20}));
  UpdatePeakHold(peaks, second);
  EXPECT_EQ(peaks, (std::vector<std::int16_t>{100, -40, 0, 300}));

  ResetPeakHold(peaks);
  EXPECT_EQ(peaks, (std::vector<std::int16_t>(4, -10000)));
  // A reset peak lies below any level: it draws on the baseline.
  EXPECT_EQ(ScopeCurveHeight(kPeakHoldReset, -30, 90, 2.0), 0);
  EXPECT_EQ(ScopeCurveHeight(kPeakHoldReset, -100, 90, 2.0), 0);
}

TEST(ScopeCurvesTest, PeakHoldOfAShortFrameLeavesTheRest) {
  std::vector<std::int16_t> peaks(3, kPeakHoldReset);
  const std::array<std::int16_t, 2> frame{5, 6};
  UpdatePeakHold(peaks, frame);
  EXPECT_EQ(peaks, (std::vector<std::int16_t>{5, 6, -10000}));
}

TEST(ScopeCurvesTest, PeakHoldIsLoweredWithinItsLimits) {
  std::vector<std::int16_t> peaks{400, 0, -9990, 32760};
  LowerPeakHold(peaks, 40);  // 10 dB
  EXPECT_EQ(peaks, (std::vector<std::int16_t>{360, -40, -10000, 32720}));
  LowerPeakHold(peaks, -60);  // raised by 15 dB
  EXPECT_EQ(peaks, (std::vector<std::int16_t>{420, 20, -9940, 32767}));
}

TEST(ScopeCurvesTest, TheReferenceShowsOnlyWithItsBand) {
  ReferenceSpectrum ref;
  EXPECT_FALSE(ReferenceShown(ref, 0, 6000, 3));
  const std::array<std::int16_t, 3> codes{1, 2, 3};
  CaptureReference(ref, codes, 0, 6000, -30, 90, 4);
  EXPECT_TRUE(ref.exists);
  EXPECT_EQ(ref.codes, (std::vector<std::int16_t>{1, 2, 3}));
  EXPECT_EQ(ref.gainDb, 4);
  EXPECT_TRUE(ReferenceShown(ref, 0, 6000, 3));
  EXPECT_FALSE(ReferenceShown(ref, 0, 8000, 3));    // band changed …
  EXPECT_FALSE(ReferenceShown(ref, 100, 6000, 3));
  EXPECT_TRUE(ReferenceShown(ref, 0, 6000, 3));     // … and set back
  EXPECT_FALSE(ReferenceShown(ref, 0, 6000, 4));    // fewer codes than points
  DropReference(ref);
  EXPECT_FALSE(ReferenceShown(ref, 0, 6000, 3));
}

// A 5-point plot at h = 2: left edge 100 (centred in 210 pixels is 100),
// baseline 508.
ScopeCurveInput FivePoints() {
  ScopeCurveInput in;
  in.geometry = ComputeScopeGeometry({210, 536, 5, 7, 14, 1.0F});
  in.minDb = -30;
  in.maxDb = 90;
  return in;
}

const std::array<std::int16_t, 5> kLeft{120, 0, 360, -120, 240};    // 240 120 480 0 360
const std::array<std::int16_t, 5> kRight{240, 240, 240, 240, 240};  // 360 each

TEST(ScopeCurvesTest, Scope1JoinsThePointsFromTheBaseline) {
  ScopeCurveInput in = FivePoints();
  ASSERT_EQ(in.geometry.left, 100);
  in.left = kLeft;
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  ASSERT_TRUE(plan.live.shown);
  EXPECT_FALSE(plan.live.bars);
  EXPECT_EQ(plan.live.pen.paletteIndex, kSignal2Index);
  EXPECT_EQ(plan.live.points, (std::vector<Point>{{100, 508},
                                                  {100, 268},
                                                  {102, 388},
                                                  {104, 28},
                                                  {106, 508},
                                                  {108, 148}}));
  EXPECT_FALSE(plan.second.shown);
  EXPECT_FALSE(plan.peakHold.shown);
  EXPECT_FALSE(plan.reference.shown);
}

TEST(ScopeCurvesTest, Scope2DrawsABarPerPoint) {
  ScopeCurveInput in = FivePoints();
  in.bars = true;
  in.left = kLeft;
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  ASSERT_TRUE(plan.live.bars);
  EXPECT_EQ(plan.live.points, (std::vector<Point>{{100, 508}, {100, 268}, {102, 508}, {102, 388},
                                                  {104, 508}, {104, 28},  {106, 508}, {106, 508},
                                                  {108, 508}, {108, 148}}));
}

TEST(ScopeCurvesTest, DualRightBarsAreShiftedAndRightBarsSlant) {
  ScopeCurveInput in = FivePoints();
  in.bars = true;
  in.channels = ScopeChannels::Dual;
  in.left = kLeft;
  in.right = kRight;
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  ASSERT_TRUE(plan.second.shown);
  EXPECT_EQ(plan.second.pen.paletteIndex, kSignal1Index);
  EXPECT_EQ(plan.live.pen.paletteIndex, kSignal2Index);
  EXPECT_EQ(plan.second.points[0], (Point{101, 508}));
  EXPECT_EQ(plan.second.points[1], (Point{101, 148}));
  EXPECT_EQ(plan.second.points[8], (Point{109, 508}));

  in.channels = ScopeChannels::Right;
  PlanScopeCurves(in, plan);
  EXPECT_FALSE(plan.second.shown);
  EXPECT_EQ(plan.live.pen.paletteIndex, kSignal2Index);
  EXPECT_EQ(plan.live.points[0], (Point{100, 508}));
  EXPECT_EQ(plan.live.points[1], (Point{101, 148}));  // the right channel, one pixel right
}

TEST(ScopeCurvesTest, GainMovedSinceTheFrameLowersAllButTheRightCurve) {
  ScopeCurveInput in = FivePoints();
  in.left = kLeft;
  in.right = kRight;
  in.gainDb = 10;
  in.frameGainDb = 0;  // 10 dB quieter now: 40 pixels lower at 4 pixels per dB
  ScopeCurvePlan plan;
  in.channels = ScopeChannels::Mono;
  PlanScopeCurves(in, plan);
  EXPECT_EQ(plan.live.points[1], (Point{100, 308}));

  in.channels = ScopeChannels::Dual;
  PlanScopeCurves(in, plan);
  EXPECT_EQ(plan.live.points[1], (Point{100, 308}));
  EXPECT_EQ(plan.second.points[1], (Point{100, 188}));

  in.channels = ScopeChannels::Right;
  PlanScopeCurves(in, plan);
  EXPECT_EQ(plan.live.points[1], (Point{100, 148}));
}

TEST(ScopeCurvesTest, PeakHoldAndReferenceAreJoinedInTheirPens) {
  ScopeCurveInput in = FivePoints();
  in.bars = true;
  in.left = kLeft;
  const std::array<std::int16_t, 5> peaks{360, 360, 360, kPeakHoldReset, 360};
  const std::array<std::int16_t, 5> reference{0, 0, 0, 0, 0};
  in.peakHold = peaks;
  in.reference = reference;
  in.gainDb = 2;
  in.peakGainDb = 2;
  in.referenceGainDb = -3;  // 5 dB quieter now: 20 pixels below its 120
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  ASSERT_TRUE(plan.peakHold.shown);
  EXPECT_FALSE(plan.peakHold.bars);
  EXPECT_EQ(plan.peakHold.pen.paletteIndex, kFreqMarkIndex);
  EXPECT_EQ(plan.peakHold.points, (std::vector<Point>{{100, 508}, {100, 28}, {102, 28}, {104, 28},
                                                      {106, 508}, {108, 28}}));
  ASSERT_TRUE(plan.reference.shown);
  EXPECT_FALSE(plan.reference.bars);
  EXPECT_EQ(plan.reference.pen.paletteIndex, -1);
  EXPECT_EQ(plan.reference.pen.fixed, (platform::Rgb{0, 200, 0}));
  EXPECT_EQ(plan.reference.points[1], (Point{100, 408}));
}

TEST(ScopeCurvesTest, TheDeltaPlotDrawsOnlyTheDeltaCurve) {
  ScopeCurveInput in = FivePoints();
  in.channels = ScopeChannels::Dual;
  in.delta = true;
  in.left = kLeft;    // heights 240 120 480 0 360
  in.right = kRight;  // heights 360 each
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  ASSERT_TRUE(plan.live.shown);
  EXPECT_FALSE(plan.second.shown);
  EXPECT_EQ(plan.live.pen.paletteIndex, kSignal1Index);
  // Mid-height (240) plus left − right: 120, 0, 360, −120 → 0, 240.
  EXPECT_EQ(plan.live.points, (std::vector<Point>{{100, 508},
                                                  {100, 388},
                                                  {102, 508},
                                                  {104, 148},
                                                  {106, 508},
                                                  {108, 268}}));
}

TEST(ScopeCurvesTest, PlanningAgainDoesNotGrowTheBuffers) {
  ScopeCurveInput in = FivePoints();
  in.channels = ScopeChannels::Dual;
  in.left = kLeft;
  in.right = kRight;
  ScopeCurvePlan plan;
  plan.Reserve(5);
  const Point* before = plan.live.points.data();
  PlanScopeCurves(in, plan);
  PlanScopeCurves(in, plan);
  EXPECT_EQ(plan.live.points.data(), before);
  EXPECT_EQ(plan.live.points.size(), 6U);
}

TEST(ScopeCurvesTest, NoMorePointsThanThePlotHas) {
  ScopeCurveInput in = FivePoints();
  const std::array<std::int16_t, 7> many{0, 0, 0, 0, 0, 0, 0};
  in.left = many;
  ScopeCurvePlan plan;
  PlanScopeCurves(in, plan);
  EXPECT_EQ(plan.live.points.size(), 6U);
  EXPECT_EQ(plan.live.points.back().x, 108);
}

}  // namespace
}  // namespace sonavue::render
