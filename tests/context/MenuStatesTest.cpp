#include "context/Menu.h"

#include <gtest/gtest.h>

#include "context/CommandIds.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

class MenuStatesTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  // A display image larger or smaller than the display area.
  void MakeDisplay(int width, int height) { ASSERT_TRUE(App().display.Allocate(width, height)); }
};

TEST_F(MenuStatesTest, RunningGraysEverythingButF7) {
  EnterRunningMenuState(App());
  for (int id : {IDM_SCAN_INPUT, IDM_SCAN_FILE, IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH,
                 IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS, IDM_LOG_SPECTRUM, IDM_LOG_POINTS,
                 IDM_SAVE_WAVE, IDM_PRINT_WINDOW, IDM_CAL_STATUS, IDM_HELP_TOPICS, IDM_ABOUT,
                 IDM_EXIT}) {
    EXPECT_FALSE(MenuEnabled(id)) << id;
  }
  EXPECT_TRUE(MenuEnabled(IDM_COLOR_SCALE));
  for (int pos : {kFunctionSaveImagePos, kFunctionSplCalPos, kFunctionResponseCalPos}) {
    EXPECT_FALSE(MenuEnabledAt(kPopupFunction, pos)) << pos;
  }
  for (int pos : {0, 1, 2, 3, 5}) EXPECT_FALSE(MenuEnabledAt(kPopupPreferences, pos)) << pos;
  EXPECT_FALSE(MenuEnabledAt(kPopupHelp, kHelpQuickStartPos));
  EXPECT_TRUE(App().frame.running);
  EXPECT_FALSE(App().frame.functionKeysEnabled);
}

TEST_F(MenuStatesTest, ScanIdleOffersWhatAScanLeaves) {
  App().params.displayId = ID_DISPLAY_SCOPE1;
  MakeDisplay(400, 300);
  App().frame.capturedSignal = true;
  Window().EnableButton(IDC_PLAY, true);
  Window().EnableButton(IDC_STOP, true);
  EnterRunningMenuState(App());
  EnterScanIdleMenuState(App());

  for (int id : {IDM_SCAN_INPUT, IDM_SCAN_FILE, IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH, IDM_EXIT,
                 IDM_LOG_SPECTRUM, IDM_SAVE_WAVE, IDM_SAVE_IMAGE_WINDOW, IDM_PRINT_WINDOW}) {
    EXPECT_TRUE(MenuEnabled(id)) << id;
  }
  for (int id : {IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS, IDM_LOG_POINTS,
                 IDM_SAVE_IMAGE_ENTIRE}) {
    EXPECT_FALSE(MenuEnabled(id)) << id;
  }
  EXPECT_TRUE(MenuEnabledAt(kPopupFunction, kFunctionSaveImagePos));
  EXPECT_FALSE(ButtonEnabled(IDC_PLAY));
  EXPECT_FALSE(ButtonEnabled(IDC_STOP));
  EXPECT_FALSE(App().frame.running);
  EXPECT_TRUE(App().frame.functionKeysEnabled);
}

TEST_F(MenuStatesTest, ScanIdleWithoutAnImageOrOnTheDeltaPlotOffersNoExport) {
  EnterScanIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_IMAGE_WINDOW));
  EXPECT_FALSE(MenuEnabled(IDM_PRINT_WINDOW));
  EXPECT_FALSE(MenuEnabled(IDM_LOG_SPECTRUM));
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_WAVE));

  MakeDisplay(100, 100);
  App().params.plotTypeId = ID_PLOT_DELTA;
  EnterScanIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_IMAGE_WINDOW));
  EXPECT_FALSE(MenuEnabledAt(kPopupFunction, kFunctionSaveImagePos));
}

TEST_F(MenuStatesTest, AnalysisIdleOnAMonoScrollDisplay) {
  App().params.displayId = ID_DISPLAY_SCROLL2;
  MakeDisplay(App().layout.displayWidth + 50, 100);
  Window().EnableButton(IDC_STOP, true);
  Window().EnableButton(IDC_PEAK_HOLD, true);
  Window().SetButtonChecked(IDC_PEAK_HOLD, true);
  EnterAnalysisIdleMenuState(App());

  for (int id : {IDM_CHANGE_PARAMETERS, IDM_LOG_SPECTRUM, IDM_LOG_POINTS, IDM_SAVE_WAVE,
                 IDM_SAVE_IMAGE_WINDOW, IDM_SAVE_IMAGE_ENTIRE, IDM_PRINT_WINDOW}) {
    EXPECT_TRUE(MenuEnabled(id)) << id;
  }
  EXPECT_FALSE(MenuEnabled(IDM_RESTORE_PARAMETERS));  // nothing pushed
  EXPECT_FALSE(ButtonEnabled(IDC_STOP));
  EXPECT_FALSE(ButtonEnabled(IDC_PEAK_HOLD));
  EXPECT_FALSE(Window().IsButtonChecked(IDC_PEAK_HOLD));

  App().frame.snapshotPushed = true;
  EnterAnalysisIdleMenuState(App());
  EXPECT_TRUE(MenuEnabled(IDM_RESTORE_PARAMETERS));
}

TEST_F(MenuStatesTest, EntireImageOnlyWhenTheWindowDoesNotShowAllOfIt) {
  MakeDisplay(App().layout.displayWidth, App().layout.displayHeight);
  EnterAnalysisIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_IMAGE_ENTIRE));

  // One channel of a stereo file: the image may be up to twice as high.
  App().params.typeId = ID_TYPE_STEREO;
  App().params.channelsId = ID_CHANNELS_LEFT;
  MakeDisplay(App().layout.displayWidth, App().layout.displayHeight + 10);
  EnterAnalysisIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_IMAGE_ENTIRE));
  MakeDisplay(App().layout.displayWidth, 2 * App().layout.displayHeight + 1);
  EnterAnalysisIdleMenuState(App());
  EXPECT_TRUE(MenuEnabled(IDM_SAVE_IMAGE_ENTIRE));

  // Stereo "Dual": never, and the logs keep their state.
  App().params.channelsId = ID_CHANNELS_DUAL;
  MakeDisplay(3 * App().layout.displayWidth, 100);
  EnterRunningMenuState(App());
  EnterAnalysisIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_SAVE_IMAGE_ENTIRE));
  EXPECT_FALSE(MenuEnabled(IDM_LOG_SPECTRUM));
  EXPECT_FALSE(MenuEnabled(IDM_LOG_POINTS));
}

TEST_F(MenuStatesTest, AnalysisIdleLeavesSnapshotItemsAloneOnScopeDisplays) {
  App().params.displayId = ID_DISPLAY_SCOPE1;
  EnterRunningMenuState(App());
  EnterAnalysisIdleMenuState(App());
  EXPECT_FALSE(MenuEnabled(IDM_CHANGE_PARAMETERS));
  EXPECT_FALSE(MenuEnabled(IDM_RESTORE_PARAMETERS));
}

TEST_F(MenuStatesTest, GainLockPopupFollowsTheSplCalibration) {
  App().params.splCalibrated = true;
  EnterScanIdleMenuState(App());
  EXPECT_TRUE(MenuEnabledAt(kPopupPreferences, kPreferencesGainLockPos));
  App().params.splCalibrated = false;
  EnterAnalysisIdleMenuState(App());
  EXPECT_FALSE(MenuEnabledAt(kPopupPreferences, kPreferencesGainLockPos));
}

TEST_F(MenuStatesTest, IdleStatesRestoreTheVariablesCheckMarks) {
  App().params.variables = IDM_VARIABLES_FREEZE;
  EnterScanIdleMenuState(App());
  EXPECT_TRUE(MenuChecked(IDM_VARIABLES_FREEZE));
  EXPECT_FALSE(MenuChecked(IDM_VARIABLES_ADJUST));
}

TEST_F(MenuStatesTest, GrayedMenuItemsDoNotRun) {
  EnterRunningMenuState(App());
  Window().TriggerMenuItem(IDM_EXIT);
  ProcessEvents();
  EXPECT_FALSE(Window().IsDestroyed());
  EnterScanIdleMenuState(App());
  Window().TriggerMenuItem(IDM_EXIT);
  ProcessEvents();
  EXPECT_TRUE(Window().IsDestroyed());
}

}  // namespace
}  // namespace sonavue::app
