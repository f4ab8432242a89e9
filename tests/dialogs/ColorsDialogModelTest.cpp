#include "dialogs/ColorsDialogModel.h"

#include <gtest/gtest.h>

namespace sonavue::dialogs {
namespace {

using platform::Rgb;

ColorsDialogSetup Sonogram() {
  ColorsDialogSetup s;
  s.minDb = 0;
  s.maxDb = 90;
  return s;
}

TEST(ColorsDialogModelTest, SpreadingFromPointZeroToTwelveMakesAStraightRampEitherWay) {
  ColorsDialogSetup setup = Sonogram();
  setup.current[0] = {0, 0, 0};
  setup.current[12] = {240, 120, 60};
  for (const bool upward : {true, false}) {
    ColorsDialogModel m(setup);
    m.SelectColor(upward ? 0 : 12);
    m.Arm(ColorOperation::SpreadTo);
    const ColorsChange change = m.SelectColor(upward ? 12 : 0);
    EXPECT_TRUE(change.colors);
    for (int k = 0; k <= 11; ++k) {
      EXPECT_EQ(m.Current()[static_cast<std::size_t>(k)], (Rgb{static_cast<std::uint8_t>(20 * k),
                                                               static_cast<std::uint8_t>(10 * k),
                                                               static_cast<std::uint8_t>(5 * k)}))
          << k;
    }
    EXPECT_EQ(m.Current()[12], (Rgb{240, 120, 60}));  // the upper end keeps its own value
    EXPECT_EQ(m.Current()[13], setup.current[13]);     // nothing beyond it
    EXPECT_EQ(m.Choice(), IDC_CHOICE_USER);
    EXPECT_TRUE(m.ColorsChanged());
    EXPECT_EQ(m.Operation(), ColorOperation::None);
  }
}

TEST(ColorsDialogModelTest, CopyToCopiesTheSourceIntoTheTarget) {
  ColorsDialogModel m(Sonogram());
  m.SelectColor(16);  // Freq Mark
  m.Arm(ColorOperation::CopyTo);
  // While armed only the colour buttons, Cancel Operation and Copy To work.
  EXPECT_TRUE(m.Enabled(IDC_CANCEL_OPERATION));
  EXPECT_TRUE(m.Enabled(IDC_COPY_TO));
  EXPECT_FALSE(m.Enabled(IDC_SPREAD_TO));
  EXPECT_FALSE(m.Enabled(kRgbBarIds[0]));
  EXPECT_FALSE(m.Enabled(IDC_COLORS_OK));
  EXPECT_TRUE(m.Enabled(kColorButtonIds[3]));
  m.SelectColor(13);  // Background
  EXPECT_EQ(m.Current()[13], render::kCbColors[16]);
  EXPECT_EQ(m.Selected(), 13);
  EXPECT_FALSE(m.Enabled(IDC_CANCEL_OPERATION));
  EXPECT_TRUE(m.Enabled(IDC_COLORS_OK));
}

TEST(ColorsDialogModelTest, CancelOperationDisarmsWithoutChangingAColour) {
  ColorsDialogModel m(Sonogram());
  m.SelectColor(2);
  m.Arm(ColorOperation::SpreadTo);
  m.CancelOperation();
  m.SelectColor(9);
  EXPECT_EQ(m.Current(), render::kCbColors);
  EXPECT_EQ(m.Selected(), 9);
  EXPECT_FALSE(m.ColorsChanged());
}

TEST(ColorsDialogModelTest, ColourBarsStepAndWrapAsBytes) {
  ColorsDialogSetup setup = Sonogram();
  setup.current[0] = {0, 250, 7};
  ColorsDialogModel m(setup);
  m.ScrollColor(0, ScrollAction::LineDown, 0);
  EXPECT_EQ(m.ShownColor().r, 255);  // 0 − 1 wraps to 255
  m.ScrollColor(1, ScrollAction::PageUp, 0);
  EXPECT_EQ(m.ShownColor().g, 4);  // 250 + 10 wraps to 4
  m.ScrollColor(2, ScrollAction::Thumb, 200);
  EXPECT_EQ(m.ShownColor().b, 200);
  EXPECT_EQ(m.Choice(), IDC_CHOICE_USER);
  EXPECT_TRUE(m.ColorsChanged());
}

TEST(ColorsDialogModelTest, MovingMaxBelowMinPlusThirtyDragsMinAndTheLabelsFollow) {
  ColorsDialogModel m(Sonogram());
  EXPECT_EQ(m.ScaleLabel(12), "0.00 dB");
  EXPECT_EQ(m.ScaleLabel(0), "-90.00 dB");
  m.ScrollMax(ScrollAction::LineDown, 0);  // 80
  m.ScrollMax(ScrollAction::PageDown, 0);  // 70
  m.ScrollMax(ScrollAction::Thumb, 60 + 25);  // 25 cut toward zero to 20
  EXPECT_EQ(m.MaxDb(), 20);
  EXPECT_EQ(m.MinDb(), -10);
  EXPECT_TRUE(m.LevelsChanged());
  EXPECT_EQ(m.ScaleLabel(12), "-70.00 dB");
  EXPECT_EQ(m.ScaleLabel(0), "-100.00 dB");
  EXPECT_EQ(m.LevelNumber(m.MaxDb()), "-70");
  EXPECT_EQ(m.LevelBarPosition(m.MaxDb()), 80);
  // Max stops at −30 and 120.
  for (int i = 0; i < 10; ++i) m.ScrollMax(ScrollAction::PageDown, 0);
  EXPECT_EQ(m.MaxDb(), -30);
  EXPECT_EQ(m.MinDb(), -60);
  m.ScrollMax(ScrollAction::Thumb, 300);
  EXPECT_EQ(m.MaxDb(), 120);
}

TEST(ColorsDialogModelTest, MovingMinAboveMaxMinusThirtyPushesMaxUpToItsLimit) {
  ColorsDialogModel m(Sonogram());
  m.ScrollMin(ScrollAction::Thumb, 60 + 75);  // 75 → 70
  EXPECT_EQ(m.MinDb(), 70);
  EXPECT_EQ(m.MaxDb(), 100);
  for (int i = 0; i < 10; ++i) m.ScrollMin(ScrollAction::LineUp, 0);
  // Min stops 30 below the highest Max, so the range never falls below 30.
  EXPECT_EQ(m.MinDb(), 90);
  EXPECT_EQ(m.MaxDb(), 120);
  for (int i = 0; i < 20; ++i) m.ScrollMin(ScrollAction::PageDown, 0);
  EXPECT_EQ(m.MinDb(), -60);
}

TEST(ColorsDialogModelTest, CbAfterEditingUserKeepsTheEditsForUser) {
  ColorsDialogSetup setup = Sonogram();
  setup.choice = IDC_CHOICE_USER;
  ColorsDialogModel m(setup);
  m.SelectColor(5);
  m.ScrollColor(0, ScrollAction::Thumb, 17);
  const render::ColorRecord edited = m.Current();
  const ColorsChange change = m.Choose(IDC_CHOICE_CB);
  EXPECT_TRUE(change.colors);
  EXPECT_EQ(m.Current(), render::kCbColors);
  EXPECT_EQ(m.User(), edited);
  EXPECT_FALSE(m.ColorsChanged());  // OK will not store CB as User
  EXPECT_TRUE(m.LevelsChanged());
  m.Choose(IDC_CHOICE_USER);
  EXPECT_EQ(m.Current(), edited);
  EXPECT_EQ(m.Ok().user, edited);
}

TEST(ColorsDialogModelTest, ResetGivesCbAndTheDefaultLevelsOfTheDisplay) {
  ColorsDialogSetup setup = Sonogram();
  setup.current = render::kBwColors;
  setup.choice = IDC_CHOICE_BW;
  setup.minDb = 20;
  setup.maxDb = 70;
  ColorsDialogModel sonogram(setup);
  sonogram.Reset();
  EXPECT_EQ(sonogram.Current(), render::kCbColors);
  EXPECT_EQ(sonogram.MinDb(), 0);
  EXPECT_EQ(sonogram.MaxDb(), 90);
  setup.splCalibrated = true;
  ColorsDialogModel calibrated(setup);
  calibrated.Reset();
  EXPECT_EQ(calibrated.MinDb(), 30);
  EXPECT_EQ(calibrated.MaxDb(), 120);
  EXPECT_EQ(calibrated.LevelNumber(120), "120");
  setup.scope = true;
  ColorsDialogModel scope(setup);
  scope.Reset();
  EXPECT_EQ(scope.MinDb(), -60);
  EXPECT_EQ(scope.MaxDb(), 120);
}

TEST(ColorsDialogModelTest, RestorePutsBackEverythingItOpenedWith) {
  ColorsDialogSetup setup = Sonogram();
  setup.choice = IDC_CHOICE_USER;
  setup.current[3] = {1, 2, 3};
  setup.user = setup.current;
  ColorsDialogModel m(setup);
  m.SelectColor(3);
  m.ScrollColor(1, ScrollAction::Thumb, 99);
  m.SelectColor(0);
  m.Arm(ColorOperation::SpreadTo);
  m.SelectColor(17);
  m.Choose(IDC_CHOICE_BW);  // saves the edits as User
  m.ScrollMax(ScrollAction::PageDown, 0);
  ASSERT_NE(m.User(), setup.user);
  m.Restore();
  EXPECT_EQ(m.Current(), setup.current);
  EXPECT_EQ(m.User(), setup.user);
  EXPECT_EQ(m.Choice(), IDC_CHOICE_USER);
  EXPECT_EQ(m.MinDb(), 0);
  EXPECT_EQ(m.MaxDb(), 90);
  EXPECT_FALSE(m.ColorsChanged());
  EXPECT_FALSE(m.LevelsChanged());
  EXPECT_FALSE(m.Ok().changed);
}

}  // namespace
}  // namespace sonavue::dialogs
