// Sound devices that fail while the program uses them: the input in the
// middle of a scan, of a recording and of a triggered recording, the output
// in the middle of Scan File and PLAY. Each ends as STOP would have ended
// it, keeps every sample that reached the program and says what happened.

#include <gtest/gtest.h>

#include <Qt>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/CommandTable.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "support/RecordingFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

const std::string kInputFailed = "Audio Input Device Failed\nsimulated input: the device went away";
const std::string kOutputFailed = "Audio Output Device Failed\nsimulated output: the device went away";

// Everything the user can reach after a run: the menu items, the buttons
// with their captions, and whether anything still runs.
using Controls = std::vector<std::pair<std::string, std::string>>;

class DeviceFailureTest : public sonavue::testing::RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    path_ = *folders_ / "take.wav";
  }
  void TearDown() override {
    devices_.SetTickHook({});
    RecordingFixture::TearDown();
  }

  Controls ControlsNow() {
    Controls c;
    for (const auto& [name, id] : std::vector<std::pair<std::string, int>>{
             {"Analyze File", app::IDM_ANALYZE_FILE},       {"Batch", app::IDM_ANALYZE_BATCH},
             {"Color Scale", app::IDM_COLOR_SCALE},         {"Scan File", app::IDM_SCAN_FILE},
             {"Scan Input", app::IDM_SCAN_INPUT},           {"Exit", app::IDM_EXIT},
             {"Change Parameters", app::IDM_CHANGE_PARAMETERS}, {"Restore", app::IDM_RESTORE_PARAMETERS},
             {"Log Spectrum", app::IDM_LOG_SPECTRUM},       {"Log Points", app::IDM_LOG_POINTS},
             {"Save Wave", app::IDM_SAVE_WAVE},             {"Print", app::IDM_PRINT_WINDOW}}) {
      c.emplace_back(name, MenuEnabled(id) ? "on" : "off");
    }
    for (const auto& [name, id] : std::vector<std::pair<std::string, int>>{{"PLAY", app::IDC_PLAY},
                                                                         {"PLAY WDW", app::IDC_PLAY_WINDOW},
                                                                         {"STOP", app::IDC_STOP},
                                                                         {"GRID", app::IDC_GRID},
                                                                         {"PEAK", app::IDC_PEAK_HOLD}}) {
      c.emplace_back(name, ButtonCaption(id) + (ButtonEnabled(id) ? " on" : " off"));
    }
    const app::FrameState& f = App().frame;
    c.emplace_back("busy", std::to_string(f.running) + std::to_string(f.engineLoop) + std::to_string(f.inputOpen) +
                               std::to_string(f.scanFileRunning) + std::to_string(f.playbackActive));
    return c;
  }

  // Steps at times counted from now.
  std::vector<Step> From(std::vector<Step> steps) {
    const std::uint32_t now = clock_.NowMs();
    for (Step& step : steps) step.atMs += now;
    return steps;
  }

  void ExpectOneErrorBox(const std::string& text) {
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, "Sonavue");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  }

  std::filesystem::path path_;
};

TEST_F(DeviceFailureTest, AnInputFailingMidScanStopsItAsStopDoesAndSaysWhy) {
  // A scan stopped by STOP 2.5 s in, for comparison.
  std::vector<Step> stop = From({{2500, Press(app::IDC_STOP)}});
  RunSteps(stop);
  ASSERT_TRUE(stop[0].done);
  EXPECT_TRUE(TakeBoxes().empty());
  const Controls afterStop = ControlsNow();
  const bool capturedAfterStop = App().frame.capturedSignal;

  // The same scan whose device goes away after 2.5 s of sound.
  devices_.FailInputAfterFrames(120000);
  std::vector<Step> safety = From({{9000, Press(app::IDC_STOP)}});
  RunSteps(safety);
  EXPECT_FALSE(safety[0].done) << "the failure did not end the scan";
  ExpectOneErrorBox(kInputFailed);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_EQ(App().live.device, nullptr);
  EXPECT_EQ(ControlsNow(), afterStop);
  // The stopped picture of what was captured, as after STOP.
  EXPECT_EQ(App().frame.capturedSignal, capturedAfterStop);
  EXPECT_TRUE(App().analysis.valid);
}

TEST_F(DeviceFailureTest, ARecordingKeepsEveryFrameDeliveredBeforeTheFailure) {
  UseRamp();
  // 250007 frames: 5.2 s, in the middle of the second buffer, not a whole
  // 12-byte group.
  constexpr std::uint64_t kDelivered = 250007;
  devices_.FailInputAfterFrames(kDelivered);
  AnswerScanDialog(app::ID_RECORDING_ON);
  prompts_.QueueFile({path_.string()});
  std::vector<Step> steps = From({{500, Press(app::IDC_PLAY)}, {20000, Press(app::IDC_STOP)}});
  RunSteps(steps);
  ASSERT_TRUE(steps[0].done);
  EXPECT_FALSE(steps[1].done) << "the failure did not end the scan";
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  EXPECT_EQ(wav.data.size(), kDelivered * 2 - first);
  EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
  ExpectOneErrorBox(kInputFailed + "\nThe recording holds everything received before the failure:\n" +
                    path_.string());
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().render.view.recording);
  EXPECT_FALSE(App().recording.file.IsOpen());
}

TEST_F(DeviceFailureTest, ARecordingEndsAsAfterStop) {
  UseRamp();
  AnswerScanDialog(app::ID_RECORDING_ON);
  prompts_.QueueFile({path_.string()});
  std::vector<Step> stop = From({{500, Press(app::IDC_PLAY)}, {3000, Press(app::IDC_STOP)}});
  RunSteps(stop);
  ASSERT_TRUE(stop[1].done);
  const Controls afterStop = ControlsNow();

  devices_.FailInputAfterFrames(144000);
  AnswerScanDialog(app::ID_RECORDING_ON);
  prompts_.QueueFile({(*folders_ / "second.wav").string()});
  std::vector<Step> steps = From({{500, Press(app::IDC_PLAY)}, {9000, Press(app::IDC_STOP)}});
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done);
  EXPECT_EQ(TakeBoxes().size(), 1U);
  EXPECT_EQ(ControlsNow(), afterStop);
  ASSERT_TRUE(IsComplete(ReadWav(*folders_ / "second.wav")));
}

TEST_F(DeviceFailureTest, ATriggeredRecordingEndsWithTheLastFrameDelivered) {
  // The ramp is loud: the trigger saves after its first frames and the
  // stretch is still open when the device fails.
  UseRamp();
  constexpr std::uint64_t kDelivered = 200003;
  devices_.FailInputAfterFrames(kDelivered);
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 60);
  prompts_.QueueFile({path_.string()});
  std::vector<Step> safety = From({{20000, Press(app::IDC_STOP)}});
  RunSteps(safety);
  EXPECT_FALSE(safety[0].done) << "the failure did not end the scan";
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  ASSERT_GT(wav.data.size(), 0U);
  ASSERT_LE(wav.data.size(), kDelivered * 2);
  // The file ends with frame kDelivered − 1 of the stream.
  EXPECT_TRUE(IsRampFrom(wav.data, kDelivered - wav.data.size() / 2));
  ExpectOneErrorBox(kInputFailed + "\nThe recording holds everything received before the failure:\n" +
                    path_.string());
  EXPECT_FALSE(App().frame.inputOpen);
}

TEST_F(DeviceFailureTest, AFailureAfterStopChangesNothing) {
  // The device fails at 3 s, the scan was stopped at 2 s: nothing to say.
  devices_.FailInputAfterFrames(144000);
  std::vector<Step> stop = From({{2000, Press(app::IDC_STOP)}});
  RunSteps(stop);
  ASSERT_TRUE(stop[0].done);
  EXPECT_TRUE(TakeBoxes().empty());
  // The injected failure is still due: the next scan gets it.
  std::vector<Step> safety = From({{9000, Press(app::IDC_STOP)}});
  RunSteps(safety);
  EXPECT_FALSE(safety[0].done);
  ExpectOneErrorBox(kInputFailed);
}

// The output failing while Scan File or PLAY plays.
class OutputFailureTest : public DeviceFailureTest {
 protected:
  void SetUp() override {
    DeviceFailureTest::SetUp();
    app::CurrentParameters& p = App().params;
    p.displayId = app::ID_DISPLAY_SCROLL1;
    p.frequencyScaleId = app::ID_SCALE_LINEAR;
    p.scan = {0, 8000, 1024, 100.0F, 5.0F};
    p.variables = app::IDM_VARIABLES_FREEZE;
    std::vector<std::int16_t> samples(6 * 48000);
    std::uint32_t state = 11;
    for (auto& s : samples) {
      state = state * 1664525U + 1013904223U;
      s = static_cast<std::int16_t>(static_cast<int>(state >> 16) % 20001 - 10000);
    }
    file_ = *folders_ / "noise.wav";
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(file_);
  }

  // Scan File of the noise, stopped by STOP stopMs after it starts (0: not).
  void ScanFile(std::uint32_t stopMs) {
    std::uint32_t started = 0;
    devices_.SetTickHook([this, stopMs, &started](std::uint32_t now) {
      if (!App().frame.scanFileRunning) return;
      if (started == 0) started = now;
      if (stopMs > 0 && now - started >= stopMs) app::PostCommand(App(), app::IDC_STOP);
    });
    prompts_.QueueFile({file_.string()});
    SendCommand(app::IDM_SCAN_FILE);
    devices_.SetTickHook({});
  }

  void ExpectPlayerReleased() {
    EXPECT_FALSE(App().output.device);
    EXPECT_EQ(App().output.user, app::OutputUser::None);
    EXPECT_TRUE(App().output.loopBuffer.empty());
    EXPECT_FALSE(App().frame.engineLoop);
  }

  std::filesystem::path file_;
};

TEST_F(OutputFailureTest, AnOutputFailingMidScanFileEndsItAsStopDoes) {
  ScanFile(1500);
  EXPECT_TRUE(TakeBoxes().empty());
  const Controls afterStop = ControlsNow();
  ASSERT_TRUE(App().analysis.valid);

  devices_.ClearPlayed();
  devices_.FailOutputAfterFrames(72000);
  ScanFile(0);
  // The sound stopped with the device: 1.5 s of it.
  EXPECT_EQ(devices_.PlayedBytes().size(), 72000U * 2);
  ExpectOneErrorBox(kOutputFailed);
  ExpectPlayerReleased();
  EXPECT_FALSE(App().frame.scanFileRunning);
  EXPECT_EQ(ControlsNow(), afterStop);
  // The picture of what was shown stays, as after STOP.
  EXPECT_TRUE(App().analysis.valid);
}

TEST_F(OutputFailureTest, AnOutputFailingMidPlayEndsItAsStopDoes) {
  // 2 s across the window: the 6-s picture is wider, and PLAY stays offered.
  App().params.displayWidthS = 2.0F;
  prompts_.QueueFile({file_.string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  ASSERT_TRUE(App().analysis.valid);
  // PLAY stopped by STOP after a second.
  std::uint32_t started = 0;
  devices_.SetTickHook([this, &started](std::uint32_t now) {
    if (started == 0) started = now;
    if (now - started >= 1000 && App().frame.playbackActive) app::PostCommand(App(), app::IDC_STOP);
  });
  SendKey(Qt::Key_P);
  devices_.SetTickHook({});
  ASSERT_GT(devices_.PlayedBytes().size(), 0U);
  EXPECT_TRUE(TakeBoxes().empty());
  const Controls afterStop = ControlsNow();
  ASSERT_TRUE(ButtonEnabled(app::IDC_PLAY));

  devices_.ClearPlayed();
  devices_.FailOutputAfterFrames(48000);
  SendKey(Qt::Key_P);
  EXPECT_EQ(devices_.PlayedBytes().size(), 48000U * 2);
  ExpectOneErrorBox(kOutputFailed);
  ExpectPlayerReleased();
  EXPECT_FALSE(App().frame.playbackActive);
  EXPECT_EQ(ControlsNow(), afterStop);
}

}  // namespace
}  // namespace sonavue::engines
