#include "dialogs/DialogRules.h"

#include <gtest/gtest.h>

#include "context/CurrentParameters.h"
#include "dialogs/DialogControls.h"

namespace sonavue::dialogs {
namespace {

using A = ScrollAction;

TEST(DialogRulesTest, RatesSnapUpToTheNextStandardRate) {
  EXPECT_EQ(SnapSampleRate(8000), 11025);
  EXPECT_EQ(SnapSampleRate(11025), 11025);
  EXPECT_EQ(SnapSampleRate(11026), 22050);
  EXPECT_EQ(SnapSampleRate(22050), 22050);
  EXPECT_EQ(SnapSampleRate(32000), 44100);
  EXPECT_EQ(SnapSampleRate(44100), 44100);
  EXPECT_EQ(SnapSampleRate(44101), 48000);
  EXPECT_EQ(SnapSampleRate(48000), 48000);
  EXPECT_EQ(SnapSampleRate(48001), 96000);
  EXPECT_EQ(SnapSampleRate(192000), 96000);
}

TEST(DialogRulesTest, ScanInputOpensOnARateItsRadiosOffer) {
  EXPECT_EQ(ScanInputRate(32000, app::ID_RATE_48K), 44100);
  EXPECT_EQ(ScanInputRate(96000, app::ID_RATE_22K), 96000);
  // 8000 Hz snaps to 11025, which Scan Input does not offer.
  EXPECT_EQ(ScanInputRate(8000, app::ID_RATE_44K), 44100);
  EXPECT_EQ(ScanInputRate(0, 0), 48000);
}

TEST(DialogRulesTest, RateAndFftRadiosMapBothWays) {
  EXPECT_EQ(RateIdForRate(22050), 1165);
  EXPECT_EQ(RateIdForRate(96000), 1168);
  EXPECT_EQ(RateIdForRate(11025), 0);
  EXPECT_EQ(RateForId(1166), 44100);
  EXPECT_EQ(RateForId(1200), 0);
  EXPECT_EQ(FftIdForSize(512), 1082);
  EXPECT_EQ(FftIdForSize(16384), 1087);
  EXPECT_EQ(FftIdForSize(3000), 0);
  EXPECT_EQ(FftSizeForId(1085), 4096);
}

TEST(DialogRulesTest, ResolutionPositionCountsTenthsOfABin) {
  // 4096 points at 48 kHz: bins of 11.71875 Hz.
  EXPECT_FLOAT_EQ(ResolutionForPosition(48000, 4096, 10), 11.71875F);
  EXPECT_FLOAT_EQ(ResolutionForPosition(48000, 4096, 17), 19.921875F);
  EXPECT_FLOAT_EQ(ResolutionForPosition(48000, 4096, 100), 117.1875F);
  // 20 Hz is 1.7066… bins.
  EXPECT_EQ(PositionForResolution(48000, 4096, 20.0F), 17);
  EXPECT_EQ(PositionForResolution(48000, 512, 1000.0F), 100);
  EXPECT_EQ(PositionForResolution(48000, 16384, 1.0F), 10);
}

TEST(DialogRulesTest, TimePerColumnSpreadsTheWidthOverThePlot) {
  // 1000 plot columns for 10 s.
  EXPECT_FLOAT_EQ(TimePerColumnMs(10.0F, 1010, 10, false), 10.0F);
  // Dual: each half shows the whole width over 990 / 2 columns.
  EXPECT_NEAR(TimePerColumnMs(10.0F, 1010, 10, true), 20.2020F, 1e-3F);
  EXPECT_FLOAT_EQ(TimePerColumnMs(10.0F, 10, 10, false), 10.0F);
}

TEST(DialogRulesTest, DraggingMinTo80WithMax90PushesMaxTo110) {
  const LevelLimits r = ScrollLevelMin({90, 0}, A::Thumb, 140);
  EXPECT_EQ(r.min, 80);
  EXPECT_EQ(r.max, 110);
}

TEST(DialogRulesTest, MaxStepsByTenBetweenMinus30And120) {
  EXPECT_EQ(ScrollLevelMax({90, 0}, A::LineUp, 0).max, 100);
  EXPECT_EQ(ScrollLevelMax({120, 0}, A::PageUp, 0).max, 120);
  EXPECT_EQ(ScrollLevelMax({115, 0}, A::LineUp, 0).max, 120);
  EXPECT_EQ(ScrollLevelMax({-30, -60}, A::LineDown, 0).max, -30);
  EXPECT_EQ(ScrollLevelMax({-25, -60}, A::PageDown, 0).max, -30);
}

TEST(DialogRulesTest, LoweringMaxPushesMinToKeepThirtyDecibels) {
  const LevelLimits stepped = ScrollLevelMax({90, 70}, A::LineDown, 0);
  EXPECT_EQ(stepped.max, 80);
  EXPECT_EQ(stepped.min, 50);
  const LevelLimits dragged = ScrollLevelMax({90, 0}, A::Thumb, 80);  // 20 dB
  EXPECT_EQ(dragged.max, 20);
  EXPECT_EQ(dragged.min, -10);
  // A gap of exactly 30 dB stays.
  const LevelLimits wide = ScrollLevelMax({100, 60}, A::LineDown, 0);
  EXPECT_EQ(wide.max, 90);
  EXPECT_EQ(wide.min, 60);
}

TEST(DialogRulesTest, DraggedLevelsRoundTowardZeroToTens) {
  EXPECT_EQ(ScrollLevelMax({90, -60}, A::Thumb, 175).max, 110);
  EXPECT_EQ(ScrollLevelMax({90, -60}, A::Thumb, 55).max, 0);  // −5 → 0, not −10
  EXPECT_EQ(ScrollLevelMax({90, -60}, A::Thumb, 0).max, -30);
  EXPECT_EQ(ScrollLevelMax({90, -60}, A::Thumb, 180).max, 120);
  EXPECT_EQ(ScrollLevelMin({120, 0}, A::Thumb, 0).min, -60);
  EXPECT_EQ(ScrollLevelMin({120, 0}, A::Thumb, 180).min, 90);
  EXPECT_EQ(ScrollLevelMin({120, 0}, A::Thumb, 115).min, 50);
  EXPECT_EQ(ScrollLevelMin({120, 0}, A::Thumb, 53).min, 0);  // −7 → 0
}

TEST(DialogRulesTest, MinStepsStopAtMinus30And90) {
  EXPECT_EQ(ScrollLevelMin({90, -30}, A::LineDown, 0).min, -30);
  // Below −30 (reached by dragging) a step down leaves it alone.
  EXPECT_EQ(ScrollLevelMin({90, -60}, A::LineDown, 0).min, -60);
  EXPECT_EQ(ScrollLevelMin({120, 90}, A::LineUp, 0).min, 90);
  const LevelLimits raised = ScrollLevelMin({100, 70}, A::LineUp, 0);
  EXPECT_EQ(raised.min, 80);
  EXPECT_EQ(raised.max, 110);
  // Stepping down never touches Max.
  EXPECT_EQ(ScrollLevelMin({100, 70}, A::LineDown, 0).max, 100);
}

TEST(DialogRulesTest, At22050HzLinearHighStopsAt11025AndLowAt10525) {
  const BandLimits dragged = ScrollHighBand({0, 6000}, A::Thumb, 11025, 22050);
  EXPECT_EQ(dragged.highHz, 11020);  // the thumb lands on tens
  const BandLimits stepped = ScrollHighBand(dragged, A::LineUp, 0, 22050);
  EXPECT_EQ(stepped.highHz, 11025);
  EXPECT_EQ(ScrollHighBand(stepped, A::PageUp, 0, 22050).highHz, 11025);

  const BandLimits low = ScrollLowBand({0, 6000}, A::Thumb, 11025, 22050, true);
  EXPECT_EQ(low.lowHz, 10525);
  EXPECT_EQ(low.highHz, 11025);  // pushed up to low + 500
  EXPECT_EQ(ScrollLowBand(low, A::PageUp, 0, 22050, true).lowHz, 10525);
}

TEST(DialogRulesTest, LowBandStepsAndPages) {
  EXPECT_EQ(ScrollLowBand({100, 6000}, A::LineUp, 0, 48000, true).lowHz, 110);
  EXPECT_EQ(ScrollLowBand({100, 6000}, A::LineDown, 0, 48000, true).lowHz, 90);
  EXPECT_EQ(ScrollLowBand({480, 6000}, A::PageUp, 0, 48000, true).lowHz, 500);
  EXPECT_EQ(ScrollLowBand({150, 6000}, A::PageDown, 0, 48000, true).lowHz, 50);
  EXPECT_EQ(ScrollLowBand({1237, 6000}, A::Thumb, 1237, 48000, true).lowHz, 1230);
  // Steps down stop at 20 Hz; only the thumb reaches below it.
  EXPECT_EQ(ScrollLowBand({20, 6000}, A::LineDown, 0, 48000, true).lowHz, 20);
  EXPECT_EQ(ScrollLowBand({25, 6000}, A::LineDown, 0, 48000, true).lowHz, 20);
  EXPECT_EQ(ScrollLowBand({90, 6000}, A::PageDown, 0, 48000, true).lowHz, 20);
  EXPECT_EQ(ScrollLowBand({0, 6000}, A::LineDown, 0, 48000, true).lowHz, 0);
  EXPECT_EQ(ScrollLowBand({400, 6000}, A::Thumb, 7, 48000, true).lowHz, 0);
}

TEST(DialogRulesTest, TheBandKeepsFiveHundredHertzBetweenItsLimits) {
  const BandLimits raised = ScrollLowBand({5500, 6000}, A::PageUp, 0, 48000, true);
  EXPECT_EQ(raised.lowHz, 5600);
  EXPECT_EQ(raised.highHz, 6100);
  const BandLimits lowered = ScrollHighBand({3000, 4000}, A::Thumb, 3200, 48000);
  EXPECT_EQ(lowered.highHz, 3200);
  EXPECT_EQ(lowered.lowHz, 2700);
  // High never goes below 500 Hz.
  EXPECT_EQ(ScrollHighBand({0, 510}, A::LineDown, 0, 48000).highHz, 500);
  const BandLimits floor = ScrollHighBand({200, 800}, A::Thumb, 0, 48000);
  EXPECT_EQ(floor.highHz, 500);
  EXPECT_EQ(floor.lowHz, 0);
}

TEST(DialogRulesTest, HighBandPagesLandOnHundreds) {
  EXPECT_EQ(ScrollHighBand({0, 6050}, A::PageUp, 0, 48000).highHz, 6100);
  EXPECT_EQ(ScrollHighBand({0, 6050}, A::PageDown, 0, 48000).highHz, 5900);
  EXPECT_EQ(ScrollHighBand({0, 6050}, A::LineDown, 0, 48000).highHz, 6040);
  EXPECT_EQ(ScrollHighBand({0, 6050}, A::Thumb, 7777, 48000).highHz, 7770);
}

TEST(DialogRulesTest, OnTheLogScaleLowStaysWithin20And1000AndHighAtHalfTheRate) {
  const BandLimits top = ScrollLowBand({20, 24000}, A::Thumb, 5000, 48000, false);
  EXPECT_EQ(top.lowHz, 1000);
  EXPECT_EQ(top.highHz, 24000);
  EXPECT_EQ(ScrollLowBand({20, 24000}, A::LineDown, 0, 48000, false).lowHz, 20);
  EXPECT_EQ(ScrollLowBand({20, 24000}, A::Thumb, 0, 48000, false).lowHz, 20);
  EXPECT_EQ(ScrollLowBand({990, 24000}, A::PageUp, 0, 48000, false).lowHz, 1000);
}

TEST(DialogRulesTest, TriggerLevelStepsWithin30And120) {
  EXPECT_EQ(ScrollTriggerLevel(90, A::LineUp, 0), 91);
  EXPECT_EQ(ScrollTriggerLevel(90, A::LineDown, 0), 89);
  EXPECT_EQ(ScrollTriggerLevel(95, A::PageUp, 0), 100);
  EXPECT_EQ(ScrollTriggerLevel(95, A::PageDown, 0), 80);
  EXPECT_EQ(ScrollTriggerLevel(90, A::Thumb, 57), 50);
  EXPECT_EQ(ScrollTriggerLevel(30, A::LineDown, 0), 30);
  EXPECT_EQ(ScrollTriggerLevel(120, A::LineUp, 0), 120);
  EXPECT_EQ(ScrollTriggerLevel(115, A::PageUp, 0), 120);
}

TEST(DialogRulesTest, PositionBarsStayInTheirRanges) {
  EXPECT_EQ(ScrollResolutionPosition(95, A::PageUp, 0), 100);
  EXPECT_EQ(ScrollResolutionPosition(10, A::LineDown, 0), 10);
  EXPECT_EQ(ScrollResolutionPosition(50, A::Thumb, 47), 47);
  EXPECT_EQ(ScrollResolutionPosition(50, A::PageDown, 0), 40);
  EXPECT_EQ(ScrollWidthPosition(600, A::LineUp, 0), 600);
  EXPECT_EQ(ScrollWidthPosition(1, A::LineDown, 0), 1);
  EXPECT_EQ(ScrollWidthPosition(100, A::PageUp, 0), 110);
  EXPECT_EQ(ScrollMultiplier(20, A::LineUp, 0), 20);
  EXPECT_EQ(ScrollMultiplier(1, A::PageDown, 0), 1);
  EXPECT_EQ(ScrollMultiplier(4, A::Thumb, 9), 9);
}

}  // namespace
}  // namespace sonavue::dialogs
