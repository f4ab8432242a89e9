// The SPL calibration as the user works it: the dialog opened with a live
// scope, the control, the calibration sound, OK, Cancel, the gain lock and
// the ways the calibration ends.

#include "calibration/SplCalibration.h"

#include <gtest/gtest.h>

#include <Qt>
#include <cmath>

#include "app/CommandTable.h"
#include "app/ParameterCommands.h"
#include "calibration/CalibrationSound.h"
#include "context/CommandIds.h"
#include "dialogs/SplCalibrationDialog.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::calibration {
namespace {

using dialogs::SplCalibrationDialog;
using sonavue::testing::WavBuilder;

// A tone of 8000 units: 20·log10(8000/√2) = 75.05 dB without calibration.
constexpr double kToneDb = 75.05;

class SplCalibrationTest : public sonavue::testing::LiveScanFixture {
 protected:
  void SetUp() override {
    LiveScanFixture::SetUp();
    devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
    // Half a second of a 500 Hz tone as the calibration sound.
    std::vector<std::int16_t> sound(24000);
    for (std::size_t i = 0; i < sound.size(); ++i) {
      sound[i] = static_cast<std::int16_t>(std::lround(3000.0 * std::sin(2.0 * M_PI * 500.0 * i / 48000.0)));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(sound)).Write(environment_.executableFolder / "cal.wav");
  }

  SplCalibrationDialog* Dialog() {
    return dynamic_cast<SplCalibrationDialog*>(prompts_.ShownModeless(dialogs::kSplCalibrationResource));
  }

  // Opens the calibration; hook(now, dialog) runs on every clock tick while
  // it is open. Returns once the scan has ended.
  void Calibrate(std::function<void(std::uint32_t, SplCalibrationDialog&)> hook) {
    devices_.SetTickHook([this, hook](std::uint32_t now) {
      SplCalibrationDialog* dialog = Dialog();
      if (dialog != nullptr) hook(now, *dialog);
    });
    SendCommand(app::IDM_SPL_CALIBRATE);
    devices_.SetTickHook({});
  }
};

TEST_F(SplCalibrationTest, TheDialogOpensWithALiveMonoScopeThatShowsTheLevel) {
  std::optional<int> shown;
  bool checked = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!checked && now >= start + 1500) {
      checked = true;
      const app::CurrentParameters& p = App().params;
      EXPECT_EQ(App().frame.calibration, app::CalibrationState::Spl);
      EXPECT_TRUE(App().frame.inputOpen);
      EXPECT_EQ(p.displayId, app::ID_DISPLAY_SCOPE1);
      EXPECT_EQ(p.typeId, app::ID_TYPE_MONO);
      EXPECT_EQ(p.sampleRateHz, 48000);
      EXPECT_EQ(p.frequencyScaleId, app::ID_SCALE_LOG);
      EXPECT_EQ(p.fftSize, 4096);
      EXPECT_FLOAT_EQ(p.resolutionHz, 20.0F);
      EXPECT_EQ(p.lowBandHz, 20);
      EXPECT_EQ(p.highBandHz, 24000);
      EXPECT_EQ(p.averagingScopeMs, 200);
      EXPECT_TRUE(p.splCalibrated);  // the levels include the SPL factor meanwhile
      EXPECT_TRUE(CalibrationSoundPlaying(App()));
      shown = dialog.Model().Measured();
      dialog.PressCancel();
    }
  });
  ASSERT_TRUE(checked);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(*shown, 75);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_FALSE(CalibrationSoundPlaying(App()));
}

TEST_F(SplCalibrationTest, OkStoresTheControlTheDateAndTheCalibratedRanges) {
  clock_.SetToday({2026, 3, 7});
  App().params.gainDb = 4;
  std::optional<int> before;
  std::optional<int> after;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!before && now >= start + 1500) {
      before = dialog.Model().Measured();
      // Two page steps and a line step: +21 dB.
      dialog.Scroll(dialogs::SplScrollAction::PageRight);
      dialog.Scroll(dialogs::SplScrollAction::PageRight);
      dialog.Scroll(dialogs::SplScrollAction::LineRight);
    }
    if (before && !after && now >= start + 3000) {
      after = dialog.Model().Measured();
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(before && after);
  // The gain of 4 dB lowers the tone; the control raises it by 21 dB.
  EXPECT_EQ(*before, static_cast<int>(std::lround(kToneDb - 4.0)));
  EXPECT_EQ(*after - *before, 21);
  const app::CurrentParameters& p = App().params;
  EXPECT_EQ(p.splControl, 81);
  EXPECT_EQ(p.splDate, "3/7/2026");
  EXPECT_TRUE(p.splCalibrated);
  EXPECT_EQ(p.gainLock, app::IDM_GAIN_LOCK_ON);
  EXPECT_EQ(p.lockedGainDb, 4);  // the gain the calibration was made at
  EXPECT_EQ(p.gainDb, 4);
  EXPECT_EQ(p.sonogramLevelMin, 30);
  EXPECT_EQ(p.sonogramLevelMax, 120);
  EXPECT_EQ(p.defaultSonogramMin, 30);
  EXPECT_EQ(p.defaultSonogramMax, 120);
  EXPECT_EQ(p.scopeLevelMin, -60);
  EXPECT_EQ(p.scopeLevelMax, 120);
  EXPECT_TRUE(MenuChecked(app::IDM_GAIN_LOCK_ON));
  EXPECT_FALSE(MenuChecked(app::IDM_GAIN_LOCK_OFF));
  EXPECT_TRUE(MenuEnabledAt(app::kPopupPreferences, app::kPreferencesGainLockPos));
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);

  // The calibration survives a restart of the program.
  Restart();
  EXPECT_EQ(App().params.splControl, 81);
  EXPECT_EQ(App().params.splDate, "3/7/2026");
  EXPECT_TRUE(App().params.splCalibrated);
}

TEST_F(SplCalibrationTest, GainLockOffChosenInTheDialogLeavesTheGainFree) {
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 800) {
      done = true;
      dialog.ChooseGainLock(false);
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(done);
  EXPECT_EQ(App().params.gainLock, app::IDM_GAIN_LOCK_OFF);
  EXPECT_TRUE(MenuChecked(app::IDM_GAIN_LOCK_OFF));
  EXPECT_TRUE(App().params.splCalibrated);
}

TEST_F(SplCalibrationTest, CancelPutsBackTheEarlierCalibration) {
  app::CurrentParameters& p = App().params;
  p.splDate = "1/2/2025";
  p.splCalibrated = true;
  p.splControl = 70;
  p.lockedGainDb = -3;
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 1000) {
      done = true;
      dialog.Scroll(dialogs::SplScrollAction::ThumbPosition, 100);
      EXPECT_EQ(App().params.splControl, 100);  // live while the dialog is open
      dialog.PressCancel();
    }
  });
  ASSERT_TRUE(done);
  EXPECT_EQ(p.splControl, 70);
  EXPECT_EQ(p.lockedGainDb, -3);
  EXPECT_TRUE(p.splCalibrated);
  EXPECT_EQ(p.splDate, "1/2/2025");
}

TEST_F(SplCalibrationTest, CancelOfAFirstCalibrationLeavesTheLevelsUncalibrated) {
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 1000) {
      done = true;
      dialog.Scroll(dialogs::SplScrollAction::PageLeft);
      dialog.PressCancel();
    }
  });
  ASSERT_TRUE(done);
  EXPECT_FALSE(App().params.splCalibrated);
  EXPECT_EQ(App().params.splControl, 60);
  EXPECT_TRUE(App().params.splDate.empty());
  EXPECT_FALSE(MenuEnabledAt(app::kPopupPreferences, app::kPreferencesGainLockPos));
}

TEST_F(SplCalibrationTest, StopKeysAndCloseAreIgnoredWhileTheDialogIsOpen) {
  bool tried = false;
  bool stillOpen = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!tried && now >= start + 800) {
      tried = true;
      app::SendCommand(App(), app::IDC_STOP);
      Window().SendKey(Qt::Key_Escape);
      Window().RequestClose();
    }
    if (tried && !stillOpen && now >= start + 1200) {
      stillOpen = App().frame.inputOpen && !Window().IsDestroyed();
      dialog.PressOk();
    }
  });
  EXPECT_TRUE(stillOpen);
}

TEST_F(SplCalibrationTest, TheMethodChoosesWhetherTheCalibrationSoundPlays) {
  App().params.splMethodId = app::ID_SPL_METHOD_SOURCE;
  bool switched = false;
  bool silentAtFirst = false;
  bool playsForMeter = false;
  bool stopsForSource = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!switched && now >= start + 500) {
      switched = true;
      silentAtFirst = !CalibrationSoundPlaying(App());
      dialog.ChooseMethod(dialogs::IDC_SPL_SOUND_METER);
      playsForMeter = CalibrationSoundPlaying(App());
    }
    if (now >= start + 1500 && dialog.Model().MethodId() == dialogs::IDC_SPL_SOUND_METER) {
      dialog.ChooseMethod(dialogs::IDC_SPL_ACOUSTIC_SOURCE);
      stopsForSource = !CalibrationSoundPlaying(App());
      dialog.PressOk();
    }
  });
  EXPECT_TRUE(silentAtFirst);
  EXPECT_TRUE(playsForMeter);
  EXPECT_TRUE(stopsForSource);
  EXPECT_EQ(App().params.splMethodId, app::ID_SPL_METHOD_SOURCE);
  // What played was the file, looped: its first samples came out first.
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  ASSERT_GT(played.size(), 24000U * 2U);  // more than one loop of the half-second file
  EXPECT_EQ(devices_.PlayedFormat().sampleRate, 48000U);
  const auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(played[2 * i] | (played[2 * i + 1] << 8)); };
  EXPECT_EQ(sample(0), 0);
  EXPECT_EQ(sample(24000 + 24), sample(24));  // one loop later, the same sample
  // The output is free again once its notification came.
  ProcessEvents();
  EXPECT_EQ(App().output.user, app::OutputUser::None);
}

TEST_F(SplCalibrationTest, AMissingCalibrationSoundIsReportedAndTheDialogStaysUsable) {
  std::filesystem::remove(environment_.executableFolder / "cal.wav");
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 1000) {
      done = true;
      EXPECT_TRUE(dialog.Model().Measured().has_value());
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(done);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Recording Not Available");
  EXPECT_EQ(boxes[0].caption, "VOLSK");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_TRUE(App().params.splCalibrated);
}

TEST_F(SplCalibrationTest, WithoutAnInputTheDialogStaysOpenUntilOkOrCancel) {
  devices_.RefuseFormats(true);
  SendCommand(app::IDM_SPL_CALIBRATE);
  // The scan could not start; the dialog is still there, with no level.
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open Audio Device");
  SplCalibrationDialog* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->Model().Measured().has_value());
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::Spl);
  dialog->PressCancel();
  ProcessEvents();
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_FALSE(CalibrationSoundPlaying(App()));
  EXPECT_FALSE(App().params.splCalibrated);
}

TEST_F(SplCalibrationTest, AnInputFailingMidCalibrationIsReportedAndTheDialogStaysUsable) {
  // The input goes away 1.5 s into the calibration.
  devices_.FailInputAfterFrames(72000);
  bool measured = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!measured && now >= start + 1000) measured = dialog.Model().Measured().has_value();
  });
  EXPECT_TRUE(measured);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Audio Input Device Failed\nsimulated input: the device went away");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().frame.engineLoop);
  // The dialog is still there and ends the calibration as usual.
  SplCalibrationDialog* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::Spl);
  dialog->PressCancel();
  ProcessEvents();
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_FALSE(CalibrationSoundPlaying(App()));
  EXPECT_FALSE(App().params.splCalibrated);
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_INPUT));
}

TEST_F(SplCalibrationTest, TheCalibratedScopeReadsTheLevelThatWasSet) {
  // Calibrate so that the tone reads 94 dB: control 60 + 94 − 75.05 ≈ 79.
  const auto control = ControlForLevel(kToneDb, 94.0);
  ASSERT_TRUE(control.has_value());
  EXPECT_EQ(*control, 79);
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 500) {
      done = true;
      dialog.Scroll(dialogs::SplScrollAction::ThumbTrack, *control);
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(done);
  // A plain live scope afterwards shows the calibrated level.
  App().params.averagingScopeMs = 200;
  float level = 0.0F;
  RunScan(clock_.NowMs() + 1500, [this, &level](std::uint32_t) {
    if (App().frame.inputOpen && App().scanStats.frames > 30) level = App().render.view.frameTotalLevelDb;
  });
  EXPECT_NEAR(level, CalibratedLevel(kToneDb, 79), 0.1);
}

TEST_F(SplCalibrationTest, TheGainLockAsksBeforeTheGainMoves) {
  app::CurrentParameters& p = App().params;
  p.splCalibrated = true;
  p.splDate = "3/7/2026";
  p.lockedGainDb = 6;
  SendCommand(app::IDM_GAIN_LOCK_ON);
  EXPECT_EQ(p.gainDb, 6);
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 36);

  prompts_.QueueBoxAnswer(platform::BoxResult::No);
  Window().SetScrollPosition(platform::ScrollBarId::Vertical, 40);
  EXPECT_FALSE(app::ConfirmGainMove(App()));
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 36);
  EXPECT_EQ(p.gainDb, 6);
  EXPECT_EQ(p.gainLock, app::IDM_GAIN_LOCK_ON);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Preferences - SPL Cal Gain Lock is \"On\".\n  Do you wish to unlock gain control?");
  EXPECT_EQ(boxes[0].buttons, platform::BoxButtons::YesNo);

  prompts_.QueueBoxAnswer(platform::BoxResult::Yes);
  EXPECT_TRUE(app::ConfirmGainMove(App()));
  EXPECT_EQ(p.gainLock, app::IDM_GAIN_LOCK_OFF);
  EXPECT_TRUE(MenuChecked(app::IDM_GAIN_LOCK_OFF));
  TakeBoxes();
  // Without the lock nothing is asked.
  EXPECT_TRUE(app::ConfirmGainMove(App()));
}

TEST_F(SplCalibrationTest, ALockedCalibrationScansAtItsGain) {
  app::CurrentParameters& p = App().params;
  p.splCalibrated = true;
  p.splDate = "3/7/2026";
  p.gainLock = app::IDM_GAIN_LOCK_ON;
  p.lockedGainDb = 6;
  p.gainDb = -4;
  float level = 0.0F;
  RunScan(clock_.NowMs() + 1500, [this, &level](std::uint32_t) {
    if (App().frame.inputOpen && App().scanStats.frames > 30) level = App().render.view.frameTotalLevelDb;
  });
  EXPECT_EQ(p.gainDb, 6);
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 36);
  EXPECT_NEAR(level, kToneDb - 6.0, 0.2);
  // Without the lock the gain stays where the user put it.
  p.gainLock = app::IDM_GAIN_LOCK_OFF;
  p.gainDb = -4;
  RunScan(clock_.NowMs() + 800);
  EXPECT_EQ(p.gainDb, -4);
}

TEST_F(SplCalibrationTest, ClearAndUltrasoundControlsEndTheCalibration) {
  app::CurrentParameters& p = App().params;
  bool done = false;
  const std::uint32_t start = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= start + 500) {
      done = true;
      dialog.Scroll(dialogs::SplScrollAction::LineLeft);
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(p.splCalibrated);
  SendCommand(app::IDM_SPL_CLEAR);
  EXPECT_FALSE(p.splCalibrated);
  EXPECT_TRUE(p.splDate.empty());
  EXPECT_EQ(p.splControl, 60);
  EXPECT_EQ(p.gainLock, app::IDM_GAIN_LOCK_OFF);
  EXPECT_EQ(p.sonogramLevelMin, 0);
  EXPECT_EQ(p.sonogramLevelMax, 90);
  EXPECT_FALSE(MenuEnabledAt(app::kPopupPreferences, app::kPreferencesGainLockPos));

  done = false;
  const std::uint32_t again = clock_.NowMs();
  Calibrate([&](std::uint32_t now, SplCalibrationDialog& dialog) {
    if (!done && now >= again + 500) {
      done = true;
      dialog.PressOk();
    }
  });
  ASSERT_TRUE(p.splCalibrated);
  SendCommand(app::IDM_CONTROLS_ULTRASOUND);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "SPL Calibration turned off for Ultrasound.");
  EXPECT_FALSE(p.splCalibrated);
  EXPECT_TRUE(p.splDate.empty());
  SendCommand(app::IDM_CONTROLS_AUTOMATIC);
}

TEST(SplControlTest, TheControlSpansSixtyDecibelsEitherWay) {
  EXPECT_EQ(ControlForLevel(67.3, 94.0), 87);  // 86.7 rounds up
  EXPECT_EQ(ControlForLevel(80.0, 80.0), 60);
  EXPECT_EQ(ControlForLevel(100.0, 40.0), 0);
  EXPECT_EQ(ControlForLevel(40.0, 100.0), 120);
  EXPECT_EQ(ControlForLevel(40.0, 100.4), 120);
  EXPECT_FALSE(ControlForLevel(40.0, 100.6).has_value());
  EXPECT_FALSE(ControlForLevel(100.6, 40.0).has_value());
  EXPECT_FALSE(ControlForLevel(NAN, 40.0).has_value());
  EXPECT_DOUBLE_EQ(CalibratedLevel(67.3, 87), 94.3);
  EXPECT_DOUBLE_EQ(CalibratedLevel(67.3, 0), 7.3);
}

}  // namespace
}  // namespace sonavue::calibration
