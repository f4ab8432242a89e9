#include "app/ParameterCommands.h"

#include <gtest/gtest.h>

#include "context/CommandIds.h"
#include "context/FileChoosers.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

using platform::BoxResult;

class ParameterCommandsTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  void Calibrate() {
    App().params.splDate = "12/8/2026";
    App().params.splCalibrated = true;
    App().params.lockedGainDb = -6;
    App().params.sonogramLevelMin = 30;
    App().params.sonogramLevelMax = 120;
  }
};

TEST_F(ParameterCommandsTest, FreezeAsksFirstAndCancelChangesNothing) {
  prompts_.QueueBoxAnswer(BoxResult::Cancel);
  SendCommand(IDM_VARIABLES_FREEZE);
  EXPECT_EQ(App().params.variables, IDM_VARIABLES_ADJUST);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text,
            "This action will freeze processing parameters at current settings\n"
            "             and bypass the control panel for entry of settings.");
  EXPECT_EQ(boxes[0].buttons, platform::BoxButtons::OkCancel);

  prompts_.QueueBoxAnswer(BoxResult::Ok);
  SendCommand(IDM_VARIABLES_FREEZE);
  TakeBoxes();
  EXPECT_EQ(App().params.variables, IDM_VARIABLES_FREEZE);
  EXPECT_TRUE(MenuChecked(IDM_VARIABLES_FREEZE));
  // Already frozen: no second question.
  SendCommand(IDM_VARIABLES_FREEZE);
  SendCommand(IDM_VARIABLES_ADJUST);
  EXPECT_EQ(App().params.variables, IDM_VARIABLES_ADJUST);
  EXPECT_TRUE(MenuChecked(IDM_VARIABLES_ADJUST));
  EXPECT_FALSE(MenuChecked(IDM_VARIABLES_FREEZE));
}

TEST_F(ParameterCommandsTest, ExactlyOneAnalysisControlsItemIsChecked) {
  SendCommand(IDM_CONTROLS_MANUAL);
  EXPECT_TRUE(MenuChecked(IDM_CONTROLS_MANUAL));
  EXPECT_FALSE(MenuChecked(IDM_CONTROLS_AUTOMATIC));
  SendCommand(IDM_CONTROLS_ULTRASOUND);  // not calibrated: no warning
  EXPECT_TRUE(MenuChecked(IDM_CONTROLS_ULTRASOUND));
  EXPECT_FALSE(MenuChecked(IDM_CONTROLS_MANUAL));
  EXPECT_EQ(App().params.analysisControls, IDM_CONTROLS_ULTRASOUND);
}

TEST_F(ParameterCommandsTest, UltrasoundControlsTurnSplCalibrationOff) {
  Calibrate();
  SendCommand(IDM_GAIN_LOCK_ON);
  EXPECT_TRUE(MenuEnabledAt(kPopupPreferences, kPreferencesGainLockPos));
  SendCommand(IDM_CONTROLS_ULTRASOUND);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "SPL Calibration turned off for Ultrasound.");
  EXPECT_FALSE(App().params.splCalibrated);
  EXPECT_TRUE(App().params.splDate.empty());
  EXPECT_EQ(App().params.gainLock, IDM_GAIN_LOCK_OFF);
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_OFF));
  EXPECT_FALSE(MenuEnabledAt(kPopupPreferences, kPreferencesGainLockPos));
  EXPECT_EQ(App().params.sonogramLevelMin, 0);
  EXPECT_EQ(App().params.sonogramLevelMax, 90);
  EXPECT_EQ(App().params.scopeLevelMin, -60);
  EXPECT_EQ(App().params.scopeLevelMax, 120);
  EXPECT_EQ(App().params.splControl, 60);
  EXPECT_EQ(App().params.lockedGainDb, 0);
}

TEST_F(ParameterCommandsTest, GainLockOnMovesTheGainScrollBarAtOnce) {
  Calibrate();
  SendCommand(IDM_GAIN_LOCK_ON);
  EXPECT_EQ(App().params.gainDb, -6);
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 24);
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_ON));
  SendCommand(IDM_GAIN_LOCK_OFF);
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_OFF));
  EXPECT_EQ(App().params.gainDb, -6);
}

TEST_F(ParameterCommandsTest, ClearingTheResponseZeroesBothTables) {
  App().params.responseMono.fill(2.0F);
  App().params.responseStereo[7] = -1.0F;
  App().params.responseDate = "3/4/2026";
  SendCommand(IDM_FR_CLEAR);
  for (float v : App().params.responseMono) ASSERT_EQ(v, 0.0F);
  for (float v : App().params.responseStereo) ASSERT_EQ(v, 0.0F);
  EXPECT_TRUE(App().params.responseDate.empty());
}

TEST_F(ParameterCommandsTest, FrequencyMarksOffClearsBothMarkers) {
  App().params.frequencyMarker1Hz = 500;
  App().params.frequencyMarker2Hz = 7000;
  SendCommand(IDM_FREQ_MARK_OFF);
  EXPECT_EQ(App().params.frequencyMarker1Hz, 0);
  EXPECT_EQ(App().params.frequencyMarker2Hz, 0);
  EXPECT_TRUE(MenuChecked(IDM_FREQ_MARK_OFF));
  EXPECT_FALSE(MenuChecked(IDM_FREQ_MARK_ON));
}

TEST_F(ParameterCommandsTest, ChoosersStartInTheFolderOfTheirKindAndRememberIt) {
  prompts_.QueueFile({"/recordings/birds/dawn.wav"});
  ASSERT_TRUE(ChooseFile(App(), FileChooser::OpenWave).has_value());
  prompts_.QueueFile({"/recordings/birds/new.wav"});
  ChooseFile(App(), FileChooser::RecordWave);
  prompts_.QueueFile({"/pictures/a.bmp"});
  ChooseFile(App(), FileChooser::SaveBitmap);
  prompts_.QueueFile({"/pictures/b.jpg"});
  ChooseFile(App(), FileChooser::SaveJpeg);
  prompts_.QueueFileCancel();
  EXPECT_FALSE(ChooseFile(App(), FileChooser::SaveDataLog).has_value());

  const auto& asked = prompts_.Choosers();
  ASSERT_EQ(asked.size(), 5U);
  EXPECT_EQ(asked[0].title, "Open Wave File");
  EXPECT_EQ(asked[0].startFolder, "");
  EXPECT_FALSE(asked[0].save);
  EXPECT_EQ(asked[1].title, "Record Wave File");
  EXPECT_EQ(asked[1].startFolder, "/recordings/birds");
  EXPECT_EQ(asked[1].defaultExtension, "wav");
  EXPECT_TRUE(asked[1].overwritePrompt);
  EXPECT_EQ(asked[2].title, "Save Bitmap");
  EXPECT_EQ(asked[2].startFolder, "");
  EXPECT_EQ(asked[2].filter,
            "Bitmap Files (*.bmp)|*.bmp|PNG Files with Level Legend (*.png)|*.png|SVG Files with Level Legend (*.svg)|*.svg|All Files (*.*)|*.*||");
  EXPECT_EQ(asked[3].title, "Save JPEG Image File");
  EXPECT_EQ(asked[3].startFolder, "/pictures");
  EXPECT_EQ(asked[4].title, "Save Data Log");
  EXPECT_EQ(asked[4].defaultExtension, "txt");
  EXPECT_EQ(App().params.lastFolders[2], "");  // a cancel remembers nothing
}

TEST_F(ParameterCommandsTest, MultipleChooserYieldsTheFolderThenEachName) {
  prompts_.QueueFile({"/field/2026", "a.wav", "b.wav"});
  const auto chosen = ChooseFile(App(), FileChooser::OpenMultipleWave);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (std::vector<std::string>{"/field/2026", "a.wav", "b.wav"}));
  EXPECT_TRUE(prompts_.Choosers().back().multiSelect);
  EXPECT_EQ(prompts_.Choosers().back().title, "Open Multiple Wave Files");
  EXPECT_EQ(App().params.lastFolders[0], "/field/2026");
}

}  // namespace
}  // namespace sonavue::app
