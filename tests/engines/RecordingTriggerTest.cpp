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


// Pre-trigger on the virtual clock: the input is a fixed pattern (faint
// noise with tone bursts), so every recorded sample can be matched to the
// stream frame it came from.
class PreTriggerScanTest : public TriggerScanTest {
 protected:
  static constexpr int kRate = 48000;
  static constexpr std::size_t kPatternFrames = 20 * kRate;

  // Faint noise of ±17 with 1 kHz bursts of 10000 over [fromMs, toMs).
  void UsePattern(const std::vector<std::pair<int, int>>& burstsMs) {
    pattern_.assign(kPatternFrames, 0);
    std::uint32_t noise = 777;
    for (std::size_t i = 0; i < kPatternFrames; ++i) {
      noise = noise * 1664525U + 1013904223U;
      double v = 17.0 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
      for (const auto& [fromMs, toMs] : burstsMs) {
        if (i >= static_cast<std::size_t>(fromMs) * 48 && i < static_cast<std::size_t>(toMs) * 48) {
          v = 10000.0 * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(i) / kRate);
        }
      }
      pattern_[i] = static_cast<std::int16_t>(std::lround(v));
    }
    devices_.SetSource({platform::SignalSource::Kind::Samples, 0.0, 32767.0, -1.0, pattern_});
  }

  // The Scan Input dialog: Recording Enable "Trigger" at −30 dB and the
  // pre-trigger typed into its edit.
  void AnswerWithPreTrigger(const std::string& seconds) {
    App().params.variables = app::IDM_VARIABLES_ADJUST;
    prompts_.QueueDialog([seconds](platform::ModalDialog& d) {
      dialogs::ParameterDialogModel& model = static_cast<dialogs::ParameterDialog&>(d).Model();
      model.Click(app::ID_RECORDING_TRIGGER);
      model.Scroll(dialogs::IDC_SCROLL_TRIGGER, dialogs::ScrollAction::Thumb, 60);
      model.SetText(dialogs::IDC_EDIT_PRE_TRIGGER, seconds);
      return true;
    });
    prompts_.QueueFile({path_.string()});
  }

  // Runs the scan until STOP stopMs after its start; returns the clock of
  // the first SAVE.
  std::uint32_t Scan(std::uint32_t stopMs) {
    std::uint32_t savedAt = 0;
    startMs_ = clock_.NowMs();
    std::vector<Step> steps{{startMs_ + stopMs, Press(app::IDC_STOP)}};
    devices_.SetTickHook([&](std::uint32_t now) {
      if (savedAt == 0 && App().recording.saving) savedAt = App().recording.saveTimeMs;
      if (!steps[0].done && now >= steps[0].atMs) {
        steps[0].done = true;
        steps[0].action();
      }
    });
    SendCommand(app::IDM_SCAN_INPUT);
    devices_.SetTickHook({});
    return savedAt;
  }

  // Whether mono 16-bit data is the pattern from stream frame first on.
  ::testing::AssertionResult IsPatternFrom(const std::vector<std::uint8_t>& data, std::uint64_t first) const {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
      const auto value = static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
      const std::int16_t expected = pattern_[static_cast<std::size_t>((first + i / 2) % kPatternFrames)];
      if (value != expected) {
        return ::testing::AssertionFailure() << "sample " << i / 2 << " is " << value << ", not stream frame "
                                             << first + i / 2 << " (" << expected << ")";
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::vector<std::int16_t> pattern_;
};

TEST_F(PreTriggerScanTest, TheFileStartsThePreTriggerBeforeTheTriggerFrameToTheSample) {
  for (const auto& [text, seconds] : {std::pair{"3.5", 3.5}, std::pair{"10", 10.0}}) {
    std::filesystem::remove(path_);
    UsePattern({{12000, 13000}});
    AnswerWithPreTrigger(text);
    const std::uint32_t savedAt = Scan(14000);
    EXPECT_FLOAT_EQ(App().params.preTriggerS, static_cast<float>(seconds));
    ASSERT_NE(savedAt, 0U) << "the burst did not trigger";
    // The pre-trigger reaches back over more than one input buffer of 4 s.
    const std::uint64_t triggerFrame = StreamByte(savedAt) / 2;
    const auto preFrames = static_cast<std::uint64_t>(seconds * kRate);
    ASSERT_GT(triggerFrame, preFrames);
    const Wav wav = ReadWav(path_);
    ASSERT_TRUE(IsComplete(wav));
    EXPECT_TRUE(IsPatternFrom(wav.data, triggerFrame - preFrames)) << text;
    // It ends at STOP, which closes the open stretch.
    EXPECT_EQ(wav.data.size() / 2, StreamByte(App().recording.stopTimeMs) / 2 - (triggerFrame - preFrames)) << text;
    // So the onset of the burst is in the file, with the quiet before it.
    const std::size_t onset = (12000 * 48 - (triggerFrame - preFrames)) * 2;
    ASSERT_LT(onset + 1, wav.data.size());
    EXPECT_LT(std::abs(static_cast<std::int16_t>(wav.data[onset - 2] | (wav.data[onset - 1] << 8))), 18);
    EXPECT_TRUE(TakeBoxes().empty());
  }
}

TEST_F(PreTriggerScanTest, NoPreTriggerStartsAtTheTriggerFrameAsBefore) {
  UsePattern({{5000, 6000}});
  AnswerWithPreTrigger("0");
  const std::uint32_t savedAt = Scan(7000);
  ASSERT_NE(savedAt, 0U);
  EXPECT_EQ(App().params.preTriggerS, 0.0F);
  EXPECT_EQ(App().recording.early.Size(), 0U);  // no memory kept for it
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_TRUE(IsPatternFrom(wav.data, StreamByte(savedAt) / 2));
  EXPECT_EQ(wav.data.size(), StreamByte(App().recording.stopTimeMs) - StreamByte(savedAt));
}

TEST_F(PreTriggerScanTest, ASecondStretchNeverReachesBackIntoTheFirst) {
  // STOP SAVE about 2 s after the first burst; the second burst triggers
  // within the pre-trigger of that stop: the file is one unbroken stretch
  // of the stream, nothing recorded twice.
  UsePattern({{6000, 6500}, {9500, 10000}});
  AnswerWithPreTrigger("4");
  std::uint32_t firstSave = 0;
  int saves = 0;
  bool wasSaving = false;
  std::vector<Step> steps{{11000, Press(app::IDC_STOP)}};
  startMs_ = clock_.NowMs();
  devices_.SetTickHook([&](std::uint32_t now) {
    const bool saving = App().recording.saving;
    if (saving && !wasSaving) {
      ++saves;
      if (firstSave == 0) firstSave = App().recording.saveTimeMs;
    }
    wasSaving = saving;
    if (!steps[0].done && now >= steps[0].atMs) {
      steps[0].done = true;
      steps[0].action();
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_EQ(saves, 2);
  const std::uint64_t first = StreamByte(firstSave) / 2 - 4 * kRate;
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_TRUE(IsPatternFrom(wav.data, first));
  EXPECT_EQ(wav.data.size() / 2, StreamByte(App().recording.stopTimeMs) / 2 - first);
}

// Triggered stretches whose edges lie inside buffers already partly
// written: the first starts (its pre-trigger reaching back) and ends inside
// buffers being written as they fill, the second reaches back from buffer
// C into buffer B, which has come back, and ends inside C. The file is
// byte for byte what writing whole buffers at their completion makes, and
// the open stretch reaches the file long before its buffer comes back.
TEST_F(PreTriggerScanTest, StretchesEdgedInsidePartlyWrittenBuffersGiveTheSameFile) {
  const auto run = [this](bool asItFills, std::uint64_t* heldAt4500) {
    std::filesystem::remove(path_);
    App().recordingWritesAsItFills = asItFills;
    UsePattern({{2500, 3000}, {9000, 9400}});
    AnswerWithPreTrigger("2");
    startMs_ = clock_.NowMs();
    int saves = 0;
    bool wasSaving = false;
    bool looked = false;
    bool stopped = false;
    devices_.SetTickHook([&](std::uint32_t now) {
      const bool saving = App().recording.saving;
      if (saving && !wasSaving) ++saves;
      wasSaving = saving;
      if (!looked && now - startMs_ >= 4500) {
        looked = true;
        *heldAt4500 = std::filesystem::exists(path_) ? std::filesystem::file_size(path_) - 68 : 0;
      }
      if (!stopped && now - startMs_ >= 13000) {
        stopped = true;
        app::PostCommand(App(), app::IDC_STOP);
      }
    });
    SendCommand(app::IDM_SCAN_INPUT);
    devices_.SetTickHook({});
    EXPECT_EQ(saves, 2);
    EXPECT_TRUE(stopped);
    return sonavue::testing::ReadFileBytes(path_);
  };
  std::uint64_t wholeAt4500 = 0;
  std::uint64_t earlyAt4500 = 0;
  const std::vector<std::uint8_t> whole = run(false, &wholeAt4500);
  const std::vector<std::uint8_t> early = run(true, &earlyAt4500);
  ASSERT_GT(whole.size(), 68U + 4 * kRate * 2);
  EXPECT_TRUE(whole == early) << "sizes " << whole.size() << " and " << early.size();
  // At 4.5 s the first stretch (from about 0.6 s, open until about 5 s)
  // has buffer A in the file, and with the early writing most of B's
  // first half second too.
  const std::uint64_t bufferA = 4 * kRate * 2;
  EXPECT_LT(wholeAt4500, bufferA);
  EXPECT_GT(earlyAt4500, wholeAt4500 + 150 * 96);
  // The file begins with the first stretch's part of buffer A, the pattern
  // to the sample, and holds more than that one stretch.
  const std::vector<std::uint8_t> partA(early.begin() + 68, early.begin() + 68 + static_cast<std::ptrdiff_t>(wholeAt4500));
  EXPECT_TRUE(IsPatternFrom(partA, 4 * kRate - wholeAt4500 / 2));
  EXPECT_GT(early.size(), 68U + earlyAt4500 + 2 * kRate * 2);
}

}  // namespace
}  // namespace sonavue::engines
