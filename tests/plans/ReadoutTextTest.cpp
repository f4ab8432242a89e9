#include "plans/ReadoutText.h"

#include <gtest/gtest.h>

#include "plans/ColorScale.h"

namespace sonavue::render {
namespace {

TEST(ReadoutTextTest, BandInHertzKilohertzOrMegahertz) {
  EXPECT_EQ(BandText(0, 6000, 1), "0 to 6000");
  EXPECT_EQ(BandText(100, 12000, 1), "100 to 12000");
  EXPECT_EQ(BandText(0, 48000, 1), "0 to 48000");
  EXPECT_EQ(BandText(0, 96000, 1), "0.0k to 96.0k");
  EXPECT_EQ(BandText(0, 24000, 4), "0.0k to 96.0k");  // shown frequencies
  EXPECT_EQ(BandText(0, 200000, 5), "0.0m to 1.0m");
}

TEST(ReadoutTextTest, ChannelsRateAndSize) {
  EXPECT_EQ(ChannelsText(1, DisplayChannels::Dual), "Monaural");
  EXPECT_EQ(ChannelsText(2, DisplayChannels::Left), "Stereo (Left)");
  EXPECT_EQ(ChannelsText(2, DisplayChannels::Right), "Stereo (Right)");
  EXPECT_EQ(ChannelsText(2, DisplayChannels::Dual), "Stereo");
  EXPECT_EQ(SampleRateText(48000, 1), "48000");
  EXPECT_EQ(SampleRateText(48000, 4), "192000");
  EXPECT_EQ(SampleRateText(800, 1), "800 ");
  EXPECT_EQ(SampleSizeText(24), "24");
}

TEST(ReadoutTextTest, TimeRowLabelFollowsTheState) {
  EXPECT_STREQ(TimeRowLabel(false, false), "Time (msec) :");
  EXPECT_STREQ(TimeRowLabel(false, true), "Elapsed Time (sec) :");
  EXPECT_STREQ(TimeRowLabel(true, true), "Recording Wave File");
}

TEST(ReadoutTextTest, PointerTimeCountsColumnsFromTheMargin) {
  EXPECT_DOUBLE_EQ(PointerTimeMs(180, 80, 10.0, 0.0, 0.0, 1.0), 1000.0);
  EXPECT_DOUBLE_EQ(PointerTimeMs(80, 80, 10.0, 2000.0, 500.0, 1.0), 2500.0);
  EXPECT_DOUBLE_EQ(PointerTimeMs(80, 80, 10.0, 2000.0, 500.0, 5.0), 500.0);
  EXPECT_DOUBLE_EQ(PointerTimeMs(130, 80, 10.0, 0.0, 0.0, 2.0), 250.0);
}

TEST(ReadoutTextTest, TimeTextShowsHalfAColumnWhenItIsOneTo99Ms) {
  EXPECT_EQ(TimeReadoutText(1000.0, 10.0, 1.0, false), "1000 +/- 5  ");
  EXPECT_EQ(TimeReadoutText(50.0, 10.0, 1.0, false), "50   +/- 5  ");
  EXPECT_EQ(TimeReadoutText(1000.0, 198.0, 1.0, false), "1000 +/- 99 ");
  EXPECT_EQ(TimeReadoutText(1000.0, 200.0, 1.0, false), "1000");  // half column 100 ms
  EXPECT_EQ(TimeReadoutText(1000.0, 0.8, 1.0, false), "1000");    // half column 0 ms
  EXPECT_EQ(TimeReadoutText(1000.0, 10.0, 1.0, true), "1000");    // drag-select
  EXPECT_EQ(TimeReadoutText(1000.0, 100.0, 10.0, false), "1000 +/- 5  ");
}

TEST(ReadoutTextTest, ElapsedTimeInWholeSeconds) {
  EXPECT_EQ(ElapsedText(0), "0   ");
  EXPECT_EQ(ElapsedText(12999), "12  ");
  EXPECT_EQ(ElapsedText(13000), "13  ");
}

FrequencyReadoutInput Linear(float resolutionHz) {
  // 0 … 6000 Hz over 600 rows: 10 Hz per row, row 599 at the bottom.
  return {0, 6000, 1, ReadoutScale::Linear, 600, 600, resolutionHz, false, 0};
}

TEST(ReadoutTextTest, LinearFrequencyOfARow) {
  EXPECT_EQ(FrequencyAtRow(Linear(12.0F), 599).text, "0    +/- 6.0 ");
  EXPECT_EQ(FrequencyAtRow(Linear(12.0F), 489).text, "1100 +/- 6.0 ");  // 110 rows up
  EXPECT_EQ(FrequencyAtRow(Linear(12.0F), 489).frequencyHz, 1100);
  EXPECT_EQ(FrequencyAtRow(Linear(50.0F), 489).text, "1100 +/- 25 ");
  // 372 rows: the top row is 371/372 of the way up.
  EXPECT_EQ(FrequencyAtRow({0, 6000, 1, ReadoutScale::Linear, 372, 372, 12.0F, false, 0}, 0).frequencyHz, 5984);
}

TEST(ReadoutTextTest, CoarseResolutionRoundsDownToItsMultiples) {
  const FrequencyReadout r = FrequencyAtRow(Linear(300.0F), 489);  // 1100 Hz
  EXPECT_EQ(r.frequencyHz, 1050);
  EXPECT_EQ(r.text, "1050 +/- 150 ");
}

TEST(ReadoutTextTest, FrequencyOptions) {
  FrequencyReadoutInput in = Linear(12.0F);
  in.dragSelect = true;
  EXPECT_EQ(FrequencyAtRow(in, 489).text, "1100");
  in = Linear(12.0F);
  in.cursorOffsetHz = 100;
  EXPECT_EQ(FrequencyAtRow(in, 489).text, "1200 +/- 6.0 ");
  in = Linear(12.0F);
  in.multiplier = 4;  // 40 Hz per row shown, ± 24
  EXPECT_EQ(FrequencyAtRow(in, 489).text, "4400 +/- 24 ");
  // "Scroll 2": 326 sonogram rows under a plot bottom of 372.
  EXPECT_EQ(FrequencyAtRow({0, 6000, 1, ReadoutScale::Linear, 372, 326, 12.0F, false, 0}, 208).text,
            "3000 +/- 6.0 ");
}

TEST(ReadoutTextTest, LogFrequencyAndItsRowSpacing) {
  // 100 Hz … 10 kHz over 201 rows: a hundredth of a decade per row.
  const FrequencyReadoutInput in{100, 10000, 1, ReadoutScale::Log, 201, 201, 12.0F, false, 0};
  const FrequencyReadout mid = FrequencyAtRow(in, 100);
  EXPECT_EQ(mid.frequencyHz, 1000);
  EXPECT_NEAR(mid.plusMinusHz, 23.29, 0.01);  // 1000 × (10^0.01 − 1)
  EXPECT_EQ(mid.text, "1000 +/- 23 ");
  EXPECT_EQ(FrequencyAtRow(in, 200).text, "100  +/- 2.3 ");
  FrequencyReadoutInput oct = in;
  oct.scale = ReadoutScale::ThirdOctave;
  EXPECT_EQ(FrequencyAtRow(oct, 100).text, "1000");
}

TEST(ReadoutTextTest, ScopeFrequencyAlongThePlot) {
  // 300 points in an 800-pixel area: the plot runs from x = 100 to 700.
  ScopeFrequencyInput in{800, 300, 7, 0, 6000, 1, false};
  EXPECT_EQ(ScopeFrequencyAt(in, 100), 0);
  EXPECT_EQ(ScopeFrequencyAt(in, 101), 10);  // 10 Hz per pixel
  EXPECT_EQ(ScopeFrequencyAt(in, 400), 3000);
  EXPECT_EQ(ScopeFrequencyAt(in, 700), 6000);
  EXPECT_EQ(ScopeFrequencyAt(in, 50), -500);  // left of the plot
  in.highHz = 1500;
  in.multiplier = 4;  // shown as 0 … 6000 Hz
  EXPECT_EQ(ScopeFrequencyAt(in, 400), 3000);
  // 300 points fill a 600-pixel area: the plot still starts 31 pixels in.
  EXPECT_EQ(ScopeFrequencyAt({600, 300, 7, 0, 6000, 1, false}, 31), 0);
}

TEST(ReadoutTextTest, ScopeFrequencyOnALogScale) {
  // 20 Hz … 20 kHz: three decades over 600 pixels, 200 pixels each.
  const ScopeFrequencyInput in{800, 300, 7, 20, 20000, 1, true};
  EXPECT_EQ(ScopeFrequencyAt(in, 100), 20);
  EXPECT_EQ(ScopeFrequencyAt(in, 300), 200);
  EXPECT_EQ(ScopeFrequencyAt(in, 500), 2000);
  EXPECT_EQ(ScopeFrequencyAt(in, 700), 20000);
  // A lower limit of 0 Hz counts as 1 Hz: 1 Hz … 1 kHz, 10 Hz a third of the way.
  EXPECT_EQ(ScopeFrequencyAt({800, 300, 7, 0, 1000, 1, true}, 300), 10);
}

TEST(ReadoutTextTest, NearestPaletteEntry) {
  platform::ColorTable cb{};
  FillPaletteEntries(kCbColors, cb);
  EXPECT_EQ(NearestPaletteIndex(cb, cb[100]), 100);
  EXPECT_EQ(NearestPaletteIndex(cb, {0, 0, 0}), 4);
  EXPECT_EQ(NearestPaletteIndex(cb, {128, 128, 128}), 0);
  // As far from entry 5 (0, 0, 200) as from entry 6 (0, 2, 200): the lower wins.
  EXPECT_EQ(NearestPaletteIndex(cb, {1, 1, 199}), 5);
}

TEST(ReadoutTextTest, LevelOfAPaletteIndex) {
  EXPECT_DOUBLE_EQ(LevelForPaletteIndex(4, 0, 90), 0.0);
  EXPECT_DOUBLE_EQ(LevelForPaletteIndex(2, 0, 90), 0.0);  // other colours read as Min
  EXPECT_DOUBLE_EQ(LevelForPaletteIndex(124, 0, 90), 45.0);
  EXPECT_DOUBLE_EQ(LevelForPaletteIndex(235, 0, 90), 86.625);
  EXPECT_DOUBLE_EQ(LevelForPaletteIndex(124, -30, 90), 30.0);
  EXPECT_EQ(LevelText(-90.0), "-90 ");
  EXPECT_EQ(LevelText(5.4), "5   ");
  EXPECT_EQ(TotalSplText(94.4), "94");
  EXPECT_EQ(TotalSplText(7.0), "7 ");
}

TEST(ReadoutTextTest, ScopeLevelAcrossThePlot) {
  // 600 high, text 15: baseline 570, 2.25 pixels per unit, 540 pixels of plot.
  EXPECT_DOUBLE_EQ(ScopeLevelAt(570, 600, 15, 2.25, -30, 90), -30.0);
  EXPECT_DOUBLE_EQ(ScopeLevelAt(30, 600, 15, 2.25, -30, 90), 90.0);
  EXPECT_DOUBLE_EQ(ScopeLevelAt(300, 600, 15, 2.25, -30, 90), 30.0);
}

}  // namespace
}  // namespace sonavue::render
