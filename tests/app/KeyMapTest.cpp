#include <gtest/gtest.h>

#include <Qt>

#include "context/CommandIds.h"
#include "app/MainWindow.h"
#include "context/Menu.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

class KeyMapTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
};

TEST_F(KeyMapTest, EscapeWhileIdleIsHarmless) {
  SendKey(Qt::Key_Escape);
  SendKey(Qt::Key_S);
  EXPECT_TRUE(App().frame.stopRequest);
  EXPECT_FALSE(Window().IsDestroyed());
  EXPECT_TRUE(MenuEnabled(IDM_ANALYZE_FILE));
  EXPECT_FALSE(ButtonEnabled(IDC_STOP));
}

TEST_F(KeyMapTest, FunctionKeysAreIgnoredWhileAudioRuns) {
  // F1 from the keyboard clears the Space latch, as the menu command does.
  App().frame.spaceLatch = true;
  EnterRunningMenuState(App());
  SendKey(Qt::Key_F1);
  EXPECT_TRUE(App().frame.spaceLatch);
  EnterScanIdleMenuState(App());
  prompts_.QueueDialog([](platform::ModalDialog&) { return false; });  // its dialog: Cancel
  SendKey(Qt::Key_F1);
  EXPECT_FALSE(App().frame.spaceLatch);
  EXPECT_EQ(prompts_.Dialogs().size(), 1U);
}

TEST_F(KeyMapTest, GridKeyActsOnlyWhileTheGridButtonIsEnabled) {
  SendKey(Qt::Key_G);
  EXPECT_FALSE(App().frame.grid);
  Window().EnableButton(IDC_GRID, true);
  SendKey(Qt::Key_G);
  EXPECT_TRUE(App().frame.grid);
  EXPECT_TRUE(Window().IsButtonChecked(IDC_GRID));
  SendKey(Qt::Key_G);
  EXPECT_FALSE(App().frame.grid);
  EXPECT_FALSE(Window().IsButtonChecked(IDC_GRID));
}

TEST_F(KeyMapTest, PeakHoldKeyOnlyWhileScanning) {
  Window().EnableButton(IDC_PEAK_HOLD, true);
  SendKey(Qt::Key_H);
  EXPECT_FALSE(App().frame.peakHold);
  App().frame.inputOpen = true;
  SendKey(Qt::Key_H);
  EXPECT_TRUE(App().frame.peakHold);
  ASSERT_FALSE(App().peakHold.empty());
  EXPECT_EQ(App().peakHold.front(), -10000);
  EXPECT_EQ(App().peakHold.back(), -10000);
  App().frame.inputOpen = false;
}

TEST_F(KeyMapTest, SpaceStopsALiveScanOnceAndLatches) {
  App().frame.inputOpen = true;
  App().frame.stopRequest = false;
  SendKey(Qt::Key_Space);
  EXPECT_TRUE(App().frame.stopRequest);
  EXPECT_TRUE(App().frame.spaceLatch);
  // With recording on, Space leaves the scan alone.
  App().frame.spaceLatch = false;
  App().frame.stopRequest = false;
  App().params.recordingId = ID_RECORDING_ON;
  SendKey(Qt::Key_Space);
  EXPECT_FALSE(App().frame.stopRequest);
  EXPECT_FALSE(App().frame.spaceLatch);
  App().frame.inputOpen = false;
}

TEST_F(KeyMapTest, KeysAreIgnoredDuringACalibrationRun) {
  Window().EnableButton(IDC_GRID, true);
  App().frame.calibration = CalibrationState::Response;
  App().frame.stopRequest = false;
  SendKey(Qt::Key_G);
  SendKey(Qt::Key_Escape);
  EXPECT_FALSE(App().frame.grid);
  EXPECT_FALSE(App().frame.stopRequest);
  App().frame.calibration = CalibrationState::None;
}

TEST_F(KeyMapTest, ArrowKeysMoveThePointerByOnePixel) {
  Window().SetCursorPosition({200, 150});
  SendKey(Qt::Key_Right);
  SendKey(Qt::Key_Right);
  SendKey(Qt::Key_Up);
  EXPECT_EQ(Window().CursorPosition(), (platform::Point{202, 149}));
  SendKey(Qt::Key_Left);
  SendKey(Qt::Key_Down);
  EXPECT_EQ(Window().CursorPosition(), (platform::Point{201, 150}));
}

TEST_F(KeyMapTest, StopButtonIsHonouredOnlyWhileEnabled) {
  App().frame.stopRequest = false;
  SendCommand(IDC_STOP);
  EXPECT_FALSE(App().frame.stopRequest);
  Window().EnableButton(IDC_STOP, true);
  SendCommand(IDC_STOP);
  EXPECT_TRUE(App().frame.stopRequest);
  EXPECT_FALSE(ButtonEnabled(IDC_STOP));
}

}  // namespace
}  // namespace sonavue::app
