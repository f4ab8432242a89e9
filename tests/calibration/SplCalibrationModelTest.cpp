#include "dialogs/SplCalibrationModel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/Clock.h"

#include "dialogs/SplCalibrationDialog.h"
#include "engines/CalibrationScan.h"

namespace sonavue::dialogs {
namespace {

TEST(SplCalibrationModelTest, TheControlMovesInLineAndPageStepsWithinItsRange) {
  SplCalibrationModel model(60, IDC_SPL_SOUND_METER);
  EXPECT_TRUE(model.Scroll(SplScrollAction::LineRight));
  EXPECT_EQ(model.Control(), 61);
  model.Scroll(SplScrollAction::PageLeft);
  EXPECT_EQ(model.Control(), 51);
  model.Scroll(SplScrollAction::ThumbTrack, 115);
  model.Scroll(SplScrollAction::PageRight);
  EXPECT_EQ(model.Control(), 120);
  EXPECT_FALSE(model.Scroll(SplScrollAction::LineRight));
  model.Scroll(SplScrollAction::ThumbPosition, -5);
  EXPECT_EQ(model.Control(), 0);
  EXPECT_FALSE(model.Scroll(SplScrollAction::LineLeft));
  EXPECT_EQ(SplCalibrationModel(300, 0).Control(), 120);
  EXPECT_EQ(SplCalibrationModel(60, 0).MethodId(), IDC_SPL_SOUND_METER);
  EXPECT_TRUE(SplCalibrationModel(60, 0).GainLockOn());  // "On" preselected
}

TEST(SplCalibrationModelTest, TheMeasuredLevelIsShownRoundedHalfAwayFromZero) {
  SplCalibrationModel model(60, IDC_SPL_SOUND_METER);
  EXPECT_FALSE(model.Measured().has_value());
  EXPECT_TRUE(model.SetMeasured(93.5));
  EXPECT_EQ(model.Measured(), 94);
  EXPECT_FALSE(model.SetMeasured(94.4));  // the same number: nothing to redraw
  model.SetMeasured(-2.5);
  EXPECT_EQ(model.Measured(), -3);
  EXPECT_FALSE(model.SetMeasured(std::nan("")));
  EXPECT_EQ(SplCalibrationModel::MeasuredText(94), "Measured SPL:  94 ");
  EXPECT_EQ(SplCalibrationModel::MeasuredText(-3), "Measured SPL:  -3 ");
  EXPECT_EQ(SplCalibrationModel::MeasuredText(104), "Measured SPL:  104");
}

TEST(SplCalibrationModelTest, ThePanelGivesTheInstructionsOfTheMethod) {
  SplCalibrationModel model(60, IDC_SPL_ACOUSTIC_SOURCE);
  std::vector<PanelLine> lines = model.PanelLines();
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[0].text, "Connect microphone to calibrated acoustic source.");
  EXPECT_EQ(lines[0].halfLines, 4);
  EXPECT_EQ(lines[1].text, "Adjust SPL Calibration Control");
  EXPECT_EQ(lines[2].text, "so that measured SPL equals acoustic source SPL.");
  EXPECT_EQ(lines[3].text, "Then Click OK");
  EXPECT_EQ(lines[3].halfLines, 12);
  EXPECT_TRUE(model.ChooseMethod(IDC_SPL_SOUND_METER));
  EXPECT_FALSE(model.ChooseMethod(IDC_SPL_SOUND_METER));
  EXPECT_FALSE(model.ChooseMethod(1234));
  model.SetMeasured(80.0);
  lines = model.PanelLines();
  ASSERT_EQ(lines.size(), 5U);
  EXPECT_EQ(lines[0].text, "Measured SPL:  80 ");
  EXPECT_EQ(lines[0].halfLines, 1);  // h / 2
  EXPECT_EQ(lines[1].text, "Hold microphone & sound meter in front of speakers.");
  EXPECT_EQ(lines[2].text, "Adjust SPL Calibration Control so that");
  EXPECT_EQ(lines[2].halfLines, 8);
  EXPECT_EQ(lines[3].text, "measured SPL equals sound meter SPL.");
  EXPECT_EQ(lines[3].halfLines, 10);
}

TEST(SplCalibrationModelTest, TheDialogOpensAboveTheCentreOfTheScreen) {
  EXPECT_EQ(SplDialogPosition({1920, 1080}, {460, 392}), (platform::Point{730, 314}));
  // A half difference below 30 puts it at the top; a wide dialog at the left.
  EXPECT_EQ(SplDialogPosition({800, 440}, {900, 392}), (platform::Point{0, 0}));
  EXPECT_EQ(SplDialogPosition({800, 452}, {400, 392}), (platform::Point{200, 0}));
  EXPECT_EQ(SplPanelFontHeight(392), 14);
}

TEST(SplCalibrationDialogTest, ThePanelShowsBlackLinesOnWhiteAtTheirRows) {
  int changedTo = -1;
  SplDialogCallbacks callbacks;
  callbacks.controlChanged = [&](int control) { changedTo = control; };
  bool closedOk = false;
  int closedCount = 0;
  callbacks.closed = [&](bool ok, bool) {
    closedOk = ok;
    ++closedCount;
  };
  SplCalibrationDialog dialog(60, IDC_SPL_SOUND_METER, callbacks);
  dialog.ShowMeasuredLevel(93.6);
  const platform::DisplayBitmap& panel = dialog.Panel();
  ASSERT_FALSE(panel.IsNull());
  const int h = dialog.PanelTextHeight();
  ASSERT_GT(h, 0);
  const auto darkInRows = [&](int top, int bottom) {
    int dark = 0;
    for (int y = std::max(0, top); y < std::min(panel.Height(), bottom); ++y) {
      for (int x = 0; x < panel.Width(); ++x) {
        const platform::Rgb c = panel.Pixel(x, y);
        if (c.r < 128 && c.g < 128 && c.b < 128) ++dark;
      }
    }
    return dark;
  };
  EXPECT_GT(darkInRows(h / 2, h / 2 + h), 0);   // "Measured SPL:  94"
  EXPECT_EQ(darkInRows(3 * h / 2 + 2, 2 * h), 0);  // the gap before the first instruction
  EXPECT_GT(darkInRows(2 * h, 3 * h), 0);
  EXPECT_GT(darkInRows(6 * h, 7 * h), 0);       // "Then Click OK"
  EXPECT_EQ(panel.Pixel(0, 0), (platform::Rgb{255, 255, 255}));

  dialog.Scroll(SplScrollAction::LineLeft);
  EXPECT_EQ(changedTo, 59);
  dialog.PressOk();
  dialog.PressCancel();  // once closed, nothing more is reported
  dialog.Scroll(SplScrollAction::LineLeft);
  EXPECT_EQ(closedCount, 1);
  EXPECT_TRUE(closedOk);
  EXPECT_EQ(changedTo, 59);
}

TEST(CalibrationDateTest, MonthDayYearWithoutLeadingZeros) {
  EXPECT_EQ(engines::CalibrationDateText({2026, 3, 7}), "3/7/2026");
  EXPECT_EQ(engines::CalibrationDateText({2025, 12, 31}), "12/31/2025");
}

}  // namespace
}  // namespace sonavue::dialogs
