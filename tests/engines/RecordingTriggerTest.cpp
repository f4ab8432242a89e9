#include "engines/RecordingTrigger.h"

#include <gtest/gtest.h>

#include <cmath>

#include "context/App.h"
#include "support/RecordingFixture.h"

namespace sonavue::engines {
namespace {

using Press = RecordingTrigger::Press;

TEST(RecordingTriggerRuleTest, ASonogramWaitsForMoreThanTenFrames) {
  RecordingTrigger trigger(60, false, 0);
  for (int frames = 1; frames <= 10; ++frames) {
    EXPECT_EQ(trigger.Step(80.0, frames, false, 100U * static_cast<std::uint32_t>(frames)), Press::None) << frames;
  }
  EXPECT_EQ(trigger.Step(80.0, 11, false, 1100), Press::Save);
}

TEST(RecordingTriggerRuleTest, AScopeTriggersOnItsFirstFrame) {
  RecordingTrigger trigger(60, true, 0);
  EXPECT_EQ(trigger.Step(80.0, 1, false, 10), Press::Save);
}

TEST(RecordingTriggerRuleTest, TheLevelIsTruncatedAndMustExceedTheTriggerLevel) {
  RecordingTrigger trigger(60, true, 0);
  EXPECT_EQ(trigger.Step(60.0, 20, false, 10), Press::None);
  EXPECT_EQ(trigger.Step(60.99, 20, false, 20), Press::None);
  EXPECT_EQ(trigger.Step(61.0, 20, false, 30), Press::Save);
}

TEST(RecordingTriggerRuleTest, StopSaveFollowsMoreThanTwoSecondsAfterTheLastTrigger) {
  RecordingTrigger trigger(60, false, 0);
  EXPECT_EQ(trigger.Step(70.0, 20, false, 1000), Press::Save);
  EXPECT_EQ(trigger.Step(70.0, 21, true, 1500), Press::None);  // held: 1500 is the last trigger
  EXPECT_EQ(trigger.Step(50.0, 22, true, 2000), Press::None);
  EXPECT_EQ(trigger.Step(50.0, 23, true, 3500), Press::None);  // exactly 2000 ms
  EXPECT_EQ(trigger.Step(50.0, 24, true, 3501), Press::StopSave);
  // The level back above the trigger level before the 2 s are up keeps
  // the stretch open and starts the count again.
  RecordingTrigger again(60, false, 0);
  EXPECT_EQ(again.Step(70.0, 20, false, 1000), Press::Save);
  EXPECT_EQ(again.Step(50.0, 21, true, 2500), Press::None);
  EXPECT_EQ(again.Step(70.0, 22, true, 2900), Press::None);
  EXPECT_EQ(again.Step(50.0, 23, true, 4500), Press::None);
  EXPECT_EQ(again.Step(50.0, 24, true, 4901), Press::StopSave);
  // Without an open stretch nothing is stopped.
  EXPECT_EQ(again.Step(50.0, 25, false, 9000), Press::None);
}

// The trigger in a live sonogram on the simulated input.
class TriggerScanTest : public sonavue::testing::RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    path_ = *folders_ / "triggered.wav";
    Quiet();
  }
  // Faint noise: about 20 dB (an RMS near 10 units).
  void Quiet() { devices_.SetSource({platform::SignalSource::Kind::Noise, 0.0, 17.0, -1.0, {}}); }
  // A tone burst of 77 dB (RMS 7071).
  void Loud() { devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 10000.0, -1.0, {}}); }
  std::filesystem::path path_;
};

TEST_F(TriggerScanTest, ABurstAboveTheLevelIsRecordedUntilTwoSecondsAfterItEnds) {
  // Trigger level −30 dB (60 in the internal scale).
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 60);
  prompts_.QueueFile({path_.string()});
  std::uint32_t savedAt = 0;
  std::uint32_t stoppedAt = 0;
  std::vector<Step> steps{{2000, [this] { Loud(); }},
                          {3000, [this] { Quiet(); }},
                          {9000, Press(app::IDC_STOP)}};
  startMs_ = clock_.NowMs();
  devices_.SetTickHook([&](std::uint32_t now) {
    for (Step& step : steps) {
      if (!step.done && now >= step.atMs) {
        step.done = true;
        step.doneMs = now;
        step.action();
        break;
      }
    }
    if (savedAt == 0 && App().recording.saving) savedAt = now;
    if (savedAt != 0 && stoppedAt == 0 && !App().recording.saving) stoppedAt = now;
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_EQ(App().params.recordingId, app::ID_RECORDING_TRIGGER);
  EXPECT_EQ(App().params.triggerLevel, 60);
  ASSERT_NE(savedAt, 0U) << "the burst did not trigger";
  ASSERT_NE(stoppedAt, 0U) << "the recording did not stop";
  // SAVE comes once the burst has reached the analysed frames (120 ms
  // behind the clock) and their 20-frame mean has passed the level.
  EXPECT_GT(savedAt, 2120U);
  EXPECT_LT(savedAt, 2700U);
  // STOP SAVE more than 2 s after the mean fell back, which it does
  // within a few hundred ms of the burst's end.
  EXPECT_GT(stoppedAt, 5120U);
  EXPECT_LT(stoppedAt, 5800U);

  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t first = StreamByte(App().recording.saveTimeMs);
  const std::uint64_t last = StreamByte(App().recording.stopTimeMs);
  EXPECT_GE(App().recording.saveTimeMs, savedAt - 10);
  EXPECT_LE(App().recording.saveTimeMs, savedAt);
  EXPECT_EQ(wav.data.size(), last - first);
  // The file begins inside the burst and ends in the quiet after it.
  const auto rms = [&wav](std::size_t fromMs, std::size_t toMs) {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = fromMs * 96; i + 1 < std::min(toMs * 96, wav.data.size()); i += 2) {
      const auto v = static_cast<std::int16_t>(wav.data[i] | (wav.data[i + 1] << 8));
      sum += static_cast<double>(v) * v;
      ++n;
    }
    return n == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(n));
  };
  EXPECT_NEAR(rms(0, 100), 7071.0, 100.0);
  const std::size_t lastMs = wav.data.size() / 96;
  EXPECT_LT(rms(lastMs - 500, lastMs), 30.0);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(TriggerScanTest, ASoundServerThatDeliversLateStillGetsItsBurstRecorded) {
  // Everything heard reaches the program 1.5 s later, longer than the burst.
  devices_.SetDeliveryDelayMs(1500);
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 60);
  prompts_.QueueFile({path_.string()});
  std::vector<Step> steps{{2000, [this] { Loud(); }}, {3000, [this] { Quiet(); }}, {9000, Press(app::IDC_STOP)}};
  devices_.SetTickHook([&](std::uint32_t now) {
    for (Step& step : steps) {
      if (!step.done && now >= step.atMs) {
        step.done = true;
        step.action();
        break;
      }
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  ASSERT_GT(wav.data.size(), 9600U);
  // The file starts inside the burst, not after it.
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < 9600; i += 2) {
    const auto v = static_cast<std::int16_t>(wav.data[i] | (wav.data[i + 1] << 8));
    sum += static_cast<double>(v) * v;
  }
  EXPECT_NEAR(std::sqrt(sum / 4800.0), 7071.0, 100.0);
}

TEST_F(TriggerScanTest, NoiseBelowTheLevelRecordsNothing) {
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 60);
  prompts_.QueueFile({path_.string()});
  // Noise of about 55 dB: an RMS near 560, below 60 dB.
  devices_.SetSource({platform::SignalSource::Kind::Noise, 0.0, 970.0, -1.0, {}});
  bool everSaving = false;
  float level = 0.0F;  // the shown level 5 s in
  std::vector<Step> steps{{6000, Press(app::IDC_STOP)}};
  startMs_ = clock_.NowMs();
  devices_.SetTickHook([&](std::uint32_t now) {
    everSaving = everSaving || App().recording.saving;
    if (level == 0.0F && now >= 5000) level = App().render.view.frameTotalLevelDb;
    if (!steps[0].done && now >= steps[0].atMs) {
      steps[0].done = true;
      steps[0].action();
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  EXPECT_GT(App().scanStats.frames, 100);
  EXPECT_GT(level, 50.0F);
  EXPECT_LT(level, 60.0F);
  EXPECT_FALSE(everSaving);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(TriggerScanTest, ALoudStartIsRecordedUntilStopAndTheButtonsStayOffInASonogram) {
  // At the lowest trigger level (−60 dB) a loud tone passes the 20-frame
  // mean after a few frames; the sonogram still waits for more than ten.
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 30);
  prompts_.QueueFile({path_.string()});
  Loud();
  std::int64_t framesAtSave = -1;
  bool buttonsOff = true;
  std::vector<Step> steps{{3000, Press(app::IDC_STOP)}};
  devices_.SetTickHook([&](std::uint32_t now) {
    if (framesAtSave < 0 && App().recording.saving) framesAtSave = App().scanStats.frames;
    if (App().frame.engineLoop) {
      buttonsOff = buttonsOff && !ButtonEnabled(app::IDC_PLAY) && !ButtonEnabled(app::IDC_PLAY_WINDOW);
    }
    if (!steps[0].done && now >= steps[0].atMs) {
      steps[0].done = true;
      steps[0].doneMs = now;
      steps[0].action();
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  EXPECT_GE(framesAtSave, 11);
  EXPECT_TRUE(buttonsOff);
  EXPECT_EQ(ButtonCaption(app::IDC_PLAY), "&PLAY");
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  // The tone never stopped: the stretch ran until STOP.
  EXPECT_EQ(wav.data.size(), StreamByte(steps[0].doneMs) - StreamByte(App().recording.saveTimeMs));
}

}  // namespace
}  // namespace sonavue::engines
