// The calibration status dialog: what it says for each state of the two
// calibrations, read from their dates alone.

#include "dialogs/CalibrationStatusDialog.h"

#include <gtest/gtest.h>

#include "context/CommandIds.h"
#include "support/AppFixture.h"

namespace sonavue::dialogs {
namespace {

TEST(CalibrationStatusLinesTest, EmptyDatesMeanNotCalibrated) {
  EXPECT_EQ(CalibrationStatusLines("", ""),
            (std::array<std::string, 2>{"Total SPL not calibrated.", "Freq Response not calibrated."}));
  EXPECT_EQ(CalibrationStatusLines("3/7/2026", "12/31/2025"),
            (std::array<std::string, 2>{"Total SPL calibrated on 3/7/2026",
                                        "Freq Response calibrated on 12/31/2025"}));
}

class CalibrationStatusTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  // The lines the dialog shows when opened now.
  std::array<std::string, 2> Shown() {
    std::array<std::string, 2> lines;
    prompts_.QueueDialog([&lines](platform::ModalDialog& dialog) {
      EXPECT_EQ(dialog.ResourceId(), kCalibrationStatusResource);
      lines = dynamic_cast<CalibrationStatusDialog&>(dialog).Lines();
      return true;
    });
    SendCommand(app::IDM_CAL_STATUS);
    return lines;
  }
};

TEST_F(CalibrationStatusTest, EachCalibrationShowsItsDateUntilItIsCleared) {
  EXPECT_EQ(Shown()[0], "Total SPL not calibrated.");
  app::CurrentParameters& p = App().params;
  p.splDate = "3/7/2026";
  p.splCalibrated = true;
  p.responseDate = "3/8/2026";
  EXPECT_EQ(Shown(), (std::array<std::string, 2>{"Total SPL calibrated on 3/7/2026",
                                                 "Freq Response calibrated on 3/8/2026"}));
  SendCommand(app::IDM_SPL_CLEAR);
  EXPECT_EQ(Shown(), (std::array<std::string, 2>{"Total SPL not calibrated.",
                                                 "Freq Response calibrated on 3/8/2026"}));
  SendCommand(app::IDM_FR_CLEAR);
  EXPECT_EQ(Shown()[1], "Freq Response not calibrated.");
}

TEST_F(CalibrationStatusTest, UltrasoundControlsTurnTheSplCalibrationOff) {
  app::CurrentParameters& p = App().params;
  p.splDate = "3/7/2026";
  p.splCalibrated = true;
  SendCommand(app::IDM_CONTROLS_ULTRASOUND);
  ASSERT_EQ(TakeBoxes().size(), 1U);
  EXPECT_EQ(Shown()[0], "Total SPL not calibrated.");
}

TEST_F(CalibrationStatusTest, TheDatesSurviveTheSettingsFile) {
  app::CurrentParameters& p = App().params;
  p.splDate = "10/1/2026";
  p.splCalibrated = true;
  p.responseDate = "9/30/2026";
  Restart();
  EXPECT_EQ(Shown(), (std::array<std::string, 2>{"Total SPL calibrated on 10/1/2026",
                                                 "Freq Response calibrated on 9/30/2026"}));
  EXPECT_TRUE(App().params.splCalibrated);
}

}  // namespace
}  // namespace sonavue::dialogs
