#include "plans/AxisTicks.h"

#include <gtest/gtest.h>

namespace sonavue::render {
namespace {

std::vector<int> Positions(const std::vector<AxisTick>& ticks) {
  std::vector<int> out;
  for (const AxisTick& t : ticks) out.push_back(t.position);
  return out;
}

std::vector<std::string> Texts(const std::vector<AxisTick>& ticks) {
  std::vector<std::string> out;
  for (const AxisTick& t : ticks) out.push_back(t.text);
  return out;
}

TEST(AxisTicksTest, TimeStepIsTheNearestTableEntry) {
  EXPECT_DOUBLE_EQ(ChooseTimeStep(2.0), 2.0);
  EXPECT_DOUBLE_EQ(ChooseTimeStep(2.9), 2.0);
  EXPECT_DOUBLE_EQ(ChooseTimeStep(3.6), 5.0);
  EXPECT_DOUBLE_EQ(ChooseTimeStep(1.5), 1.0);  // tie between 1 and 2: the smaller
  EXPECT_DOUBLE_EQ(ChooseTimeStep(3.5), 2.0);  // tie between 2 and 5
  EXPECT_DOUBLE_EQ(ChooseTimeStep(0.0001), 0.001);
  EXPECT_DOUBLE_EQ(ChooseTimeStep(900000.0), 100000.0);
}

TEST(AxisTicksTest, ScaleKindFollowsTheStep) {
  EXPECT_EQ(TimeScaleFor(0.01), TimeScaleKind::Milliseconds);
  EXPECT_EQ(TimeScaleFor(0.02), TimeScaleKind::Milliseconds);
  EXPECT_EQ(TimeScaleFor(0.05), TimeScaleKind::DecimalSeconds);
  EXPECT_EQ(TimeScaleFor(0.5), TimeScaleKind::DecimalSeconds);
  EXPECT_EQ(TimeScaleFor(1.0), TimeScaleKind::WholeSeconds);
}

// 10 s across an 800-pixel window (12.5 ms per pixel), plot 720 pixels.
TimeAxisInput TenSeconds() {
  TimeAxisInput in;
  in.windowWidth = 800;
  in.plotWidth = 720;
  in.msPerPixel = 12.5;
  return in;
}

TEST(AxisTicksTest, TenSecondsAcrossTheWindowStepTwoSeconds) {
  const TimeAxis axis = TimeAxisTicks(TenSeconds());
  EXPECT_DOUBLE_EQ(axis.stepS, 2.0);
  EXPECT_EQ(axis.kind, TimeScaleKind::WholeSeconds);
  EXPECT_DOUBLE_EQ(axis.pixelsPerStep, 160.0);  // 2000 ms ÷ 12.5 ms
  // 9 s across the plot: 4.5 steps, so 4 + 2 ticks.
  EXPECT_EQ(Positions(axis.ticks), (std::vector<int>{0, 160, 320, 480, 640, 800}));
  EXPECT_EQ(Texts(axis.ticks), (std::vector<std::string>{"0   sec", "2   sec", "4   sec", "6   sec",
                                                         "8   sec", "10  sec"}));
}

TEST(AxisTicksTest, ScrolledViewStartsAtTheLastStepBeforeItsEdge) {
  TimeAxisInput in = TenSeconds();
  // Scrolled by 100 columns: the left edge is at 1.25 s; 0 s lies 100 pixels
  // left of it and 2 s 60 pixels right of it.
  in.offsetPx = TimeViewOffset(1.0, 100, 0.0, in.msPerPixel, false);
  EXPECT_DOUBLE_EQ(in.offsetPx, 100.0);
  TimeAxis axis = TimeAxisTicks(in);
  EXPECT_EQ(axis.ticks[0].position, -100);
  EXPECT_EQ(axis.ticks[1].position, 60);
  EXPECT_EQ(axis.ticks[1].text, "2   sec");

  // Scrolled by 200 columns (2.5 s): 2 s at −40, 4 s at 120.
  in.offsetPx = TimeViewOffset(1.0, 200, 0.0, in.msPerPixel, false);
  axis = TimeAxisTicks(in);
  EXPECT_EQ(axis.ticks[0].position, -40);
  EXPECT_EQ(axis.ticks[0].text, "2   sec");
  EXPECT_EQ(axis.ticks[1].position, 120);
}

TEST(AxisTicksTest, SegmentStartAndOriginShiftTheLabels) {
  TimeAxisInput in = TenSeconds();
  in.offsetPx = TimeViewOffset(1.0, 0, 30000.0, in.msPerPixel, false);  // segment from 30 s
  TimeAxis axis = TimeAxisTicks(in);
  EXPECT_EQ(axis.ticks[0].position, 0);
  EXPECT_EQ(axis.ticks[0].text, "30  sec");
  EXPECT_EQ(axis.ticks[1].text, "32  sec");

  // Time origin zero: no offset at all.
  EXPECT_DOUBLE_EQ(TimeViewOffset(1.0, 200, 30000.0, in.msPerPixel, true), 0.0);

  in = TenSeconds();
  in.originMs = 5000.0;
  EXPECT_EQ(TimeAxisTicks(in).ticks[1].text, "7   sec");
  in.timeDivisor = 5.0;  // "Time Exp" by 5: the 5 s origin shows as 1 s
  EXPECT_EQ(TimeAxisTicks(in).ticks[1].text, "3   sec");
}

TEST(AxisTicksTest, MillisecondDecimalAndKilosecondLabels) {
  TimeAxisInput in;
  in.windowWidth = 1000;
  in.plotWidth = 900;
  in.msPerPixel = 0.1;  // 0.1 s across: step 0.02 s
  TimeAxis axis = TimeAxisTicks(in);
  EXPECT_EQ(axis.kind, TimeScaleKind::Milliseconds);
  EXPECT_EQ(axis.ticks[1].position, 200);
  EXPECT_EQ(Texts(axis.ticks)[0], "0   ms");
  EXPECT_EQ(Texts(axis.ticks)[1], "20  ms");

  in.msPerPixel = 0.5;  // 0.5 s across: step 0.1 s
  axis = TimeAxisTicks(in);
  EXPECT_EQ(axis.kind, TimeScaleKind::DecimalSeconds);
  EXPECT_EQ(axis.ticks[1].text, "0.10 sec");
  in.dual = true;
  EXPECT_EQ(TimeAxisTicks(in).ticks[1].text, "0.1 sec");

  in = {};
  in.windowWidth = 500;
  in.plotWidth = 400;
  in.msPerPixel = 1000.0;  // 500 s across: step 100 s
  axis = TimeAxisTicks(in);
  EXPECT_DOUBLE_EQ(axis.stepS, 100.0);
  EXPECT_EQ(axis.ticks[1].position, 100);
  EXPECT_EQ(axis.ticks[0].text, "0.0 ksec");
  EXPECT_EQ(axis.ticks[2].text, "0.2 ksec");
}

TEST(AxisTicksTest, FrequencyStepIsNearestToAFifthOfTheBand) {
  EXPECT_EQ(ChooseFrequencyStep(6000), 1000);
  EXPECT_EQ(ChooseFrequencyStep(75), 10);  // target 15, half way between 10 and 20
  EXPECT_EQ(ChooseFrequencyStep(300), 50);
  EXPECT_EQ(ChooseFrequencyStep(9), 1);
  EXPECT_EQ(ChooseFrequencyStep(10), 2);
  EXPECT_EQ(ChooseFrequencyStep(24000), 5000);
}

TEST(AxisTicksTest, SixKilohertzBandHasSevenLabels) {
  // 600 rows: 10 Hz per row, so 1 kHz is 100 rows above the bottom row (599).
  const auto ticks = LinearFrequencyTicks({0, 6000, 1, 600, 600});
  EXPECT_EQ(Positions(ticks), (std::vector<int>{599, 499, 399, 299, 199, 99, -1}));
  EXPECT_EQ(Texts(ticks), (std::vector<std::string>{"0 kHz", "1 kHz", "2 kHz", "3 kHz", "4 kHz",
                                                    "5 kHz", "6 kHz"}));
}

TEST(AxisTicksTest, SmallBandsUseHertzLabels) {
  auto ticks = LinearFrequencyTicks({0, 300, 1, 300, 300});  // 1 Hz per row
  EXPECT_EQ(Texts(ticks), (std::vector<std::string>{"0 Hz", "50 Hz", "100 Hz", "150 Hz", "200 Hz",
                                                    "250 Hz", "300 Hz"}));
  EXPECT_EQ(ticks[1].position, 249);
  ticks = LinearFrequencyTicks({0, 9, 1, 300, 300});
  ASSERT_EQ(ticks.size(), 10U);
  EXPECT_EQ(ticks[9].text, "9 Hz");
  ticks = LinearFrequencyTicks({0, 1000, 1, 300, 300});  // 200 Hz steps
  EXPECT_EQ(ticks[1].text, "0.2 kHz");
}

TEST(AxisTicksTest, FirstLinearLabelIsRoundedUpFromTheLowLimit) {
  // 150 … 6150 Hz over 600 rows: 1 kHz lies 850 Hz, 85 rows, above the bottom row.
  const auto ticks = LinearFrequencyTicks({150, 6150, 1, 600, 600});
  EXPECT_EQ(ticks[0].text, "1 kHz");
  EXPECT_EQ(ticks[0].position, 599 - 85);
  EXPECT_EQ(ticks.size(), 7U);
}

TEST(AxisTicksTest, MultiplierScalesTheLabels) {
  // 0 … 6000 Hz analysed × 4 = 24 kHz shown; 5 kHz steps, 40 Hz per row.
  const auto ticks = LinearFrequencyTicks({0, 6000, 4, 600, 600});
  EXPECT_EQ(Texts(ticks), (std::vector<std::string>{"0 kHz", "5 kHz", "10 kHz", "15 kHz", "20 kHz"}));
  EXPECT_EQ(ticks[1].position, 599 - 125);
}

TEST(AxisTicksTest, LogarithmicLabels) {
  EXPECT_EQ(LogDecadeFactor(6000), 1);
  EXPECT_EQ(LogDecadeFactor(48000), 1);
  EXPECT_EQ(LogDecadeFactor(48001), 10);
  EXPECT_EQ(LogDecadeFactor(240000), 10);
  EXPECT_EQ(LogDecadeFactor(240001), 100);

  // 10 Hz … 10 kHz over 300 rows: 100 rows per decade.
  const auto ticks = LogFrequencyTicks({10, 10000, 1, 300, 300});
  ASSERT_EQ(ticks.size(), 20U);
  EXPECT_EQ(ticks[0].text, "10");
  EXPECT_EQ(ticks[0].position, 300);
  EXPECT_EQ(ticks[1].text, "20");
  EXPECT_EQ(ticks[1].position, 269);  // log10 2 of a decade: 30.1 rows
  EXPECT_EQ(ticks[4].text, "100");
  EXPECT_EQ(ticks[4].position, 200);
  EXPECT_EQ(ticks[8].position, 100);  // 1000 Hz
  EXPECT_EQ(ticks[19].text, "500000");

  // 24 kHz × 4 = 96 kHz shown: labels start at 100 Hz.
  EXPECT_EQ(LogFrequencyTicks({100, 24000, 4, 300, 300})[0].text, "100");
}

}  // namespace
}  // namespace sonavue::render
