// What the companion's calibrate does, on the simulated input: record the
// input, measure its level, store the calibration without any window.

#include "calibration/LiveLevel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "audio/Capture.h"
#include "calibration/SplCalibration.h"
#include "context/App.h"
#include "context/Settings.h"
#include "context/WorkingFiles.h"
#include "support/AppFixture.h"

namespace sonavue::calibration {
namespace {

TEST(MeanFrameLevelTest, TheMeanOfEachFramesLevelSilentFramesLeftOut) {
  // Two frames of 4 samples: RMS 100 (40 dB) and RMS 1000 (60 dB), then silence.
  const std::vector<std::int16_t> samples = {100, -100, 100, -100, 1000, -1000, 1000, -1000, 0, 0, 0, 0, 5};
  EXPECT_NEAR(*MeanFrameLevelDb(samples, 4, 1.0), 50.0, 1e-9);
  EXPECT_NEAR(*MeanFrameLevelDb(samples, 4, 0.1), 30.0, 1e-9);  // the factor scales every sample
  EXPECT_FALSE(MeanFrameLevelDb(std::vector<std::int16_t>(8, 0), 4, 1.0).has_value());
  EXPECT_FALSE(MeanFrameLevelDb(samples, 0, 1.0).has_value());
  EXPECT_FALSE(MeanFrameLevelDb({}, 4, 1.0).has_value());
}

// An App as the companion makes it: no window, its working folder chosen.
class CompanionCalibrationTest : public sonavue::testing::AppFixture {
 protected:
  std::unique_ptr<app::App> MakeCompanion() {
    auto app = std::make_unique<app::App>(app::AppServices{clock_, prompts_, &devices_}, environment_);
    const app::WorkingFolderChoice working = app::ChooseWorkingFolder(app::WorkingFolderCandidates(app->environment));
    app->workingFolder = working.folder;
    app->workingFolderIsUnique = working.madeUnique;
    // Only the sound card's notifications come through its queue.
    app::App& a = *app;
    a.pump.SetHandler([&a](const platform::Message& message) {
      if (message.kind == platform::MessageKind::WaveInData) audio::HandleWaveInData(a, static_cast<int>(message.param));
      if (message.kind == platform::MessageKind::WaveInClose) audio::HandleWaveInClose(a);
    });
    return app;
  }
};

TEST_F(CompanionCalibrationTest, AToneOfKnownLevelGivesTheStoredCalibration) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 3276.7, -1.0, {}});  // −20 dBFS
  auto companion = MakeCompanion();
  app::App& app = *companion;
  app::LoadSettings(app);
  const auto samples = RecordLiveInput(app, 2, 48000);
  ASSERT_TRUE(samples.has_value());
  EXPECT_NEAR(static_cast<double>(samples->size()), 2.0 * 48000, 12.0);
  const auto measured = MeanFrameLevelDb(*samples, kLevelFrameSize, 1.0);
  ASSERT_TRUE(measured.has_value());
  EXPECT_NEAR(*measured, 20.0 * std::log10(3276.7 / std::sqrt(2.0)), 0.02);  // 67.30 dB
  const auto control = ControlForLevel(*measured, 94.0);
  ASSERT_EQ(control, 87);
  app.params.splControl = *control;
  AcceptSplCalibration(app, true);
  app::SaveSettings(app);
  companion.reset();

  // The window finds the calibration in the settings file.
  Start();
  const app::CurrentParameters& p = App().params;
  EXPECT_TRUE(p.splCalibrated);
  EXPECT_EQ(p.splControl, 87);
  EXPECT_EQ(p.splDate, "3/7/2026");
  EXPECT_EQ(p.gainLock, app::IDM_GAIN_LOCK_ON);
  EXPECT_EQ(p.sonogramLevelMin, 30);
}

TEST_F(CompanionCalibrationTest, AnInputThatCannotOpenIsReported) {
  devices_.RefuseFormats(true);
  auto companion = MakeCompanion();
  EXPECT_FALSE(RecordLiveInput(*companion, 1, 48000).has_value());
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open Audio Device");
}

}  // namespace
}  // namespace sonavue::calibration
