#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/MainWindow.h"
#include "context/App.h"
#include "platform/KeyCodes.h"
#include "render/Panels.h"
#include "support/RecordingFixture.h"

namespace sonavue::audio {
namespace {

using sonavue::testing::RecordingFixture;

TEST(StreamByteTest, APressLiesAtTheDeliveredFramesPlusTheTimeSinceTheAnchor) {
  app::LiveInput live;
  live.format = {48000, 1, 16};
  live.anchorMs = 1000;
  live.anchorFrames = 48000;  // one second delivered at the anchor
  // 250 ms later: 12000 frames more, 24000 bytes past the anchor's 96000.
  EXPECT_EQ(StreamByteAt(live, 1250), 120000U);
  // 1 ms = 48 frames = 96 bytes, a whole number of 12-byte groups.
  EXPECT_EQ(StreamByteAt(live, 1001), 96096U);
  // A clock reading before the anchor counts as the anchor itself.
  EXPECT_EQ(StreamByteAt(live, 990), 96000U);
  // 44100 Hz stereo 24 bits: 6-byte frames; 10 ms = 441 frames = 2646
  // bytes, moved down to 2640, a whole group of 12.
  live.format = {44100, 2, 24};
  live.anchorFrames = 0;
  EXPECT_EQ(StreamByteAt(live, 1010), 2640U);
  // The clock wraps around 2^32 ms; only the difference counts.
  live.format = {48000, 1, 16};
  live.anchorMs = 0xFFFFFF00U;
  EXPECT_EQ(StreamByteAt(live, 0x00000010U), (0x100U + 0x10U) * 96U);
}

class RecordingTest : public RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    UseRamp();
    path_ = *folders_ / "take.wav";
  }
  // The scan's dialog chooses recording "On" and the chooser the file.
  void RecordOn() {
    AnswerScanDialog(app::ID_RECORDING_ON);
    prompts_.QueueFile({path_.string()});
  }
  std::filesystem::path path_;
};

TEST_F(RecordingTest, AStretchBeginsAndEndsOnTheSampleFramesOfItsPresses) {
  RecordOn();
  // SAVE 1 s into buffer A (0 … 4 s), STOP SAVE 1.5 s into buffer B.
  std::vector<Step> steps{{1000, Press(app::IDC_PLAY)},
                          {5500, Press(app::IDC_PLAY_WINDOW)},
                          {9000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  ASSERT_TRUE(steps[2].done);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  // The first stretch starts at byte 96000 of buffer A: the frame heard
  // when SAVE was pressed.
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  const std::uint64_t last = StreamByte(steps[1].doneMs);
  EXPECT_EQ(steps[0].doneMs - startMs_, 1000U);
  EXPECT_EQ(first, 96000U);
  EXPECT_EQ(wav.data.size(), last - first);
  EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
  // The recording file's header: the working header of the scan's format,
  // valid bits 0.
  EXPECT_EQ(wav.headerBytes, 68U);
  EXPECT_EQ(wav.formatTag, 0xFFFE);
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.sampleRate, 48000U);
  EXPECT_EQ(wav.byteRate, 96000U);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_EQ(wav.validBits, 0);
  EXPECT_FALSE(App().recording.file.IsOpen());
  EXPECT_FALSE(App().render.view.recording);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(RecordingTest, SaveAndStopSaveInOneBufferMakeOneStretch) {
  RecordOn();
  std::vector<Step> steps{{1230, Press(app::IDC_PLAY)},
                          {2770, Press(app::IDC_PLAY_WINDOW)},
                          {6000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  EXPECT_EQ(wav.data.size(), StreamByte(steps[1].doneMs) - first);
  EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
}

TEST_F(RecordingTest, StretchesFollowEachOtherInTheFileAndTheStopEndsTheLastOne) {
  RecordOn();
  // Three stretches; the second crosses from buffer A into B, the third is
  // still open when STOP ends the scan 1.4 s into buffer C.
  std::vector<Step> steps{{500, Press(app::IDC_PLAY)},
                          {1500, Press(app::IDC_PLAY_WINDOW)},
                          {4300, Press(app::IDC_PLAY)},  // SAVE comes back after the completion at 4 s
                          {7000, Press(app::IDC_PLAY_WINDOW)},
                          {8600, Press(app::IDC_PLAY)},
                          {9400, Press(app::IDC_STOP)}};
  RunSteps(steps);
  for (const Step& step : steps) ASSERT_TRUE(step.done);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  std::vector<std::uint8_t> expected;
  std::size_t at = 0;
  std::uint64_t total = 0;
  for (std::size_t s = 0; s + 1 < steps.size(); s += 2) {
    const std::uint64_t from = StreamByte(steps[s].doneMs);
    const std::uint64_t to = StreamByte(steps[s + 1].doneMs);
    ASSERT_LE(at + (to - from), wav.data.size());
    const std::vector<std::uint8_t> part(wav.data.begin() + static_cast<std::ptrdiff_t>(at),
                                         wav.data.begin() + static_cast<std::ptrdiff_t>(at + (to - from)));
    EXPECT_TRUE(IsRampFrom(part, from / 2)) << "stretch " << s / 2;
    at += to - from;
    total += to - from;
  }
  EXPECT_EQ(wav.data.size(), total);
}

TEST_F(RecordingTest, SaveAndStopSaveTurnTheButtonsAndTheRedLabelAndComeBackAfterTheBuffer) {
  RecordOn();
  struct Seen {
    bool save = false;
    bool stopSave = false;
    bool label = false;
    bool redInPanel = false;
  };
  Seen atStart, whileSaving, afterStop, afterCompletion;
  const auto look = [this](Seen& seen) {
    seen.save = ButtonEnabled(app::IDC_PLAY);
    seen.stopSave = ButtonEnabled(app::IDC_PLAY_WINDOW);
    seen.label = App().render.view.recording;
    const platform::DisplayBitmap& surface = Window().Surface();
    const app::LayoutValues& v = App().layout;
    for (int y = v.displayHeight + v.scrollThickness; y < v.clientHeight && !seen.redInPanel; ++y) {
      for (int x = 0; x < v.clientWidth; ++x) {
        if (surface.Pixel(x, y) == render::kRecordingRed) {
          seen.redInPanel = true;
          break;
        }
      }
    }
  };
  std::vector<Step> steps{{300, [&] { look(atStart); }},
                          {400, [this] { app::HandleKeyDown(App(), 'A'); }},  // A stands for SAVE
                          {600, [&] { look(whileSaving); }},
                          {700, [this] { app::HandleKeyDown(App(), 'T'); }},  // T for STOP SAVE
                          {900, [&] { look(afterStop); }},
                          {4300, [&] { look(afterCompletion); }},
                          {4400, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_EQ(ButtonCaption(app::IDC_PLAY), "S&AVE");
  EXPECT_EQ(ButtonCaption(app::IDC_PLAY_WINDOW), "S&TOP SAVE");
  EXPECT_TRUE(atStart.save);
  EXPECT_FALSE(atStart.stopSave);
  EXPECT_FALSE(atStart.redInPanel);
  EXPECT_FALSE(whileSaving.save);
  EXPECT_TRUE(whileSaving.stopSave);
  EXPECT_TRUE(whileSaving.label);
  EXPECT_TRUE(whileSaving.redInPanel);
  EXPECT_FALSE(afterStop.save);
  EXPECT_FALSE(afterStop.stopSave);
  EXPECT_FALSE(afterStop.label);
  EXPECT_FALSE(afterStop.redInPanel);
  // The completion of the buffer that held the stretch offers SAVE again.
  EXPECT_TRUE(afterCompletion.save);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.data.size(), StreamByte(steps[3].doneMs) - StreamByte(steps[1].doneMs));
}

// What a process killed at any moment would leave behind: on every clock
// tick the file is a complete WAV of the ramp from the SAVE on, and it
// holds the input that arrived up to a third of a second before, though the
// input buffers take 4 s to fill. Its lengths are rewritten a few times a
// second, not on every pass of the loop.
TEST_F(RecordingTest, TheFileKeepsUpWithTheInputWithinAFractionOfASecond) {
  RecordOn();
  struct Seen {
    std::uint32_t atMs = 0;
    std::uint64_t fileBytes = 0;
    std::uint32_t riffLength = 0;
    std::uint32_t dataLength = 0;
  };
  std::vector<Seen> seen;
  seen.reserve(4000);
  std::uint32_t savedAt = 0;
  startMs_ = clock_.NowMs();
  bool pressed = false;
  bool stopped = false;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (!pressed && now - startMs_ >= 200) {
      pressed = true;
      savedAt = now;
      app::SendCommand(App(), app::IDC_PLAY);
    }
    if (!stopped && now - startMs_ >= 9000) {
      stopped = true;
      app::PostCommand(App(), app::IDC_STOP);
    }
    if (!pressed || stopped || !std::filesystem::exists(path_)) return;
    Seen s;
    s.atMs = now;
    s.fileBytes = std::filesystem::file_size(path_);
    std::ifstream in(path_, std::ios::binary);
    std::array<std::uint8_t, 68> head{};
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    const std::vector<std::uint8_t> bytes(head.begin(), head.end());
    s.riffLength = U32(bytes, 4);
    s.dataLength = U32(bytes, 64);
    seen.push_back(s);
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(stopped);
  const std::uint64_t first = StreamByte(savedAt);
  ASSERT_GT(seen.size(), 100U);
  int rewrites = 0;  // between 1 s and 3 s, inside buffer A
  std::uint32_t lastLength = 0;
  for (const Seen& s : seen) {
    // A valid file at every moment: the lengths describe all of it.
    ASSERT_EQ(s.fileBytes, 68U + s.dataLength) << "at " << s.atMs - startMs_ << " ms";
    ASSERT_EQ(s.riffLength, s.fileBytes - 8);
    // Never audio that has not arrived; never more than a third of a
    // second behind what has.
    ASSERT_LE(s.dataLength, StreamByte(s.atMs) - first);
    if (s.atMs - savedAt >= 350) {
      ASSERT_GE(s.dataLength, StreamByte(s.atMs - 350) - first) << "at " << s.atMs - startMs_ << " ms";
    }
    const std::uint32_t since = s.atMs - startMs_;
    if (since >= 1000 && since < 3000 && s.dataLength != lastLength) ++rewrites;
    lastLength = s.dataLength;
  }
  EXPECT_GE(rewrites, 6);
  EXPECT_LE(rewrites, 10);
  // At the end, the file is exactly what it always was: the ramp from the
  // SAVE to the STOP.
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.data.size(), StreamByte(App().recording.stopTimeMs) - first);
  EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
}

// 1.5 s into a 4-s buffer the file already holds that audio, sample for
// sample; the stretches of the whole take come out as without the early
// writing: each ends with a STOP SAVE inside a buffer already partly
// written.
TEST_F(RecordingTest, AudioReachesTheFileBeforeItsBufferComesBackAndTheTakeIsUnchanged) {
  RecordOn();
  Wav early;
  std::vector<Step> steps{{1000, Press(app::IDC_PLAY)},
                          {2500, [&] { early = ReadWav(path_); }},
                          {5800, Press(app::IDC_PLAY_WINDOW)},
                          {8300, Press(app::IDC_PLAY)},  // SAVE is back after the completion at 8 s
                          {10100, Press(app::IDC_PLAY_WINDOW)},
                          {11000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  for (const Step& step : steps) ASSERT_TRUE(step.done);
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  ASSERT_TRUE(IsComplete(early));
  EXPECT_GE(early.data.size(), StreamByte(steps[1].doneMs - 350) - first);
  EXPECT_LE(early.data.size(), StreamByte(steps[1].doneMs) - first);
  EXPECT_TRUE(IsRampFrom(early.data, first / 2));

  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t one = StreamByte(steps[2].doneMs) - first;
  const std::uint64_t secondFrom = StreamByte(steps[3].doneMs);
  const std::uint64_t two = StreamByte(steps[4].doneMs) - secondFrom;
  ASSERT_EQ(wav.data.size(), one + two);
  EXPECT_TRUE(IsRampFrom({wav.data.begin(), wav.data.begin() + static_cast<std::ptrdiff_t>(one)}, first / 2));
  EXPECT_TRUE(IsRampFrom({wav.data.begin() + static_cast<std::ptrdiff_t>(one), wav.data.end()}, secondFrom / 2));
}

// A disk that fills while the buffer being filled is written ahead of its
// completion: the same file, the same message, the scan stopped, as when a
// whole buffer's write fails; only sooner.
TEST_F(RecordingTest, AFullDiskDuringAnEarlyWriteEndsTheRecordingAsAtACompletion) {
  App().recordingWriteFailureBytes = 68 + 150001;
  RecordOn();
  std::vector<Step> steps{{100, Press(app::IDC_PLAY)}, {20000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  // Whole sample frames of what fitted.
  EXPECT_EQ(wav.data.size(), 150000U);
  EXPECT_TRUE(IsRampFrom(wav.data, StreamByte(steps[0].doneMs) / 2));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot write the recording file: disk full\n" + path_.string());
  EXPECT_FALSE(App().frame.inputOpen);
  // The disk filled 1.6 s into the recording, long before buffer A came back.
  EXPECT_LT(App().scanStats.lastMs, 2500U);
}

TEST_F(RecordingTest, WithoutASaveNoFileIsMadeAndAnOldOneStays) {
  std::ofstream(path_) << "an older take";
  RecordOn();
  std::vector<Step> steps{{5000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_EQ(std::filesystem::file_size(path_), 13U);
  EXPECT_FALSE(App().recording.finished.has_value());
}

TEST_F(RecordingTest, ACancelledChooserRunsTheScanWithRecordingOff) {
  AnswerScanDialog(app::ID_RECORDING_ON);
  prompts_.QueueFileCancel();
  bool saveOffered = true;
  std::vector<Step> steps{{300, [&] { saveOffered = ButtonEnabled(app::IDC_PLAY); }},
                          {400, Press(app::IDC_PLAY)},
                          {2500, Press(app::IDC_STOP)}};
  RunSteps(steps);
  ASSERT_EQ(prompts_.Choosers().size(), 1U);
  EXPECT_EQ(prompts_.Choosers()[0].title, "Record Wave File");
  EXPECT_EQ(prompts_.Choosers()[0].defaultExtension, "wav");
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_OFF);
  EXPECT_FALSE(saveOffered);
  EXPECT_EQ(ButtonCaption(app::IDC_PLAY), "&PLAY");
  EXPECT_FALSE(App().recording.finished.has_value());
  EXPECT_GT(App().scanStats.frames, 100);
  // The scan went on and its capture became the static picture.
  EXPECT_TRUE(App().analysis.valid);
}

TEST_F(RecordingTest, AFileThatCannotBeCreatedIsReportedAndTheScanRunsWithoutRecording) {
  AnswerScanDialog(app::ID_RECORDING_ON);
  const auto nowhere = *folders_ / "missing" / "take.wav";
  prompts_.QueueFile({nowhere.string()});
  std::vector<Step> steps{{400, Press(app::IDC_PLAY)}, {2500, Press(app::IDC_STOP)}};
  RunSteps(steps);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot create the recording file: no such folder\n" + nowhere.string() +
                               "\nThe scan runs without recording.");
  EXPECT_EQ(boxes[0].caption, "Sonavue");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_OFF);
  EXPECT_FALSE(std::filesystem::exists(nowhere));
  EXPECT_GT(App().scanStats.frames, 100);
}

TEST_F(RecordingTest, TheManualDialogTurnsRecordingOnToo) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  RecordOn();
  std::vector<Step> steps{{1000, Press(app::IDC_PLAY)}, {2000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  ASSERT_EQ(prompts_.Dialogs().size(), 1U);
  EXPECT_EQ(prompts_.Dialogs()[0], 103);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.data.size(), StreamByte(steps[1].doneMs) - StreamByte(steps[0].doneMs));
}

TEST_F(RecordingTest, WithoutTheDialogRecordingIsOff) {
  // Variables "Freeze": the scan runs with the last parameters, recording
  // among them, but only the dialog or a resume turns recording on.
  App().params.recordingId = app::ID_RECORDING_ON;
  std::vector<Step> steps{{1000, Press(app::IDC_PLAY)}, {2000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_TRUE(prompts_.Choosers().empty());
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_OFF);
  EXPECT_FALSE(App().recording.finished.has_value());
}

// Every way a recording ends leaves a complete file holding what was
// recorded up to that moment.
class RecordingEndTest : public RecordingTest {
 protected:
  // Records from 500 ms; `end` ends it at 5300 ms (in buffer B).
  void RecordUntil(std::function<void()> end, bool stopsAtTheEnd = true) {
    RecordOn();
    steps_ = {{500, Press(app::IDC_PLAY)}, {5300, std::move(end)}, {9000, Press(app::IDC_STOP)}};
    RunSteps(steps_);
    const Wav wav = ReadWav(path_);
    ASSERT_TRUE(IsComplete(wav));
    const std::uint64_t first = StreamByte(steps_[0].doneMs);
    if (stopsAtTheEnd) {
      EXPECT_EQ(wav.data.size(), StreamByte(steps_[1].doneMs) - first);
    }
    EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
    data_ = wav.data.size();
  }
  std::vector<Step> steps_;
  std::size_t data_ = 0;
};

TEST_F(RecordingEndTest, Stop) { RecordUntil(Press(app::IDC_STOP)); }

TEST_F(RecordingEndTest, Escape) {
  RecordUntil([this] { app::HandleKeyDown(App(), platform::VK_ESCAPE_KEY); });
}

TEST_F(RecordingEndTest, TheSKey) {
  RecordUntil([this] { app::HandleKeyDown(App(), 'S'); });
}

// A resize restarts the scan in the new size; the recording goes on in the
// same file without asking for it again: the stretch open at the resize
// ends where the old input stopped and a new one begins with the new
// input's first sample, up to the STOP.
TEST_F(RecordingTest, AResizeKeepsTheRecordingGoingInTheSameFile) {
  RecordOn();
  std::vector<Step> steps{{500, Press(app::IDC_PLAY)},
                          {5300, [this] {
                             const platform::Rect r = Window().WindowRect();
                             Window().SetWindowRect({r.x, r.y, r.w + 60, r.h + 40});
                           }},
                          {9000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_EQ(prompts_.Choosers().size(), 1U);
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_ON);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  const std::size_t before = StreamByte(steps[1].doneMs) - first;
  ASSERT_GT(wav.data.size(), before);
  const std::vector<std::uint8_t> old(wav.data.begin(), wav.data.begin() + static_cast<std::ptrdiff_t>(before));
  const std::vector<std::uint8_t> resumed(wav.data.begin() + static_cast<std::ptrdiff_t>(before), wav.data.end());
  EXPECT_TRUE(IsRampFrom(old, first / 2));
  // The new input's stream starts again at frame 0.
  EXPECT_TRUE(IsRampFrom(resumed, 0));
  // The restart costs the time to close and reopen the input, no more.
  const std::size_t after = static_cast<std::size_t>(steps[2].doneMs - steps[1].doneMs) * 96;
  EXPECT_LE(resumed.size(), after);
  EXPECT_GE(resumed.size(), after - 200 * 96);
}

// The live length limit restarts the scan as a resize does: a triggered
// recording stays armed across it, and a stretch open at the limit goes
// on in the next run until the trigger ends it.
TEST_F(RecordingTest, TheLiveLengthLimitKeepsATriggeredRecordingArmed) {
  App().frame.scanTimeLimitMs = 3000;
  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 30);  // the ramp is far above −60 dB
  prompts_.QueueFile({path_.string()});
  std::vector<Step> steps{{8000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_EQ(prompts_.Choosers().size(), 1U);
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_TRIGGER);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  // Three runs: the first recorded from its trigger on, the two after each
  // restart from their input's first sample (the ramp starts again at 0).
  std::vector<std::size_t> runStarts{0};
  for (std::size_t i = 2; i + 1 < wav.data.size(); i += 2) {
    const auto value = static_cast<std::int16_t>(wav.data[i] | (wav.data[i + 1] << 8));
    const auto previous = static_cast<std::int16_t>(wav.data[i - 2] | (wav.data[i - 1] << 8));
    if (value != (previous + 1) % kRampPeriod) {
      EXPECT_EQ(value, 0) << "at byte " << i;
      runStarts.push_back(i);
    }
  }
  ASSERT_EQ(runStarts.size(), 3U);
  // Each run is about 3 s long, less the first run's wait for its trigger.
  EXPECT_GT(runStarts[2] - runStarts[1], 2900U * 96U);
  EXPECT_LE(runStarts[2] - runStarts[1], 3100U * 96U);
  EXPECT_GT(runStarts[1], 2000U * 96U);
}

// Restarts by the live length limit in the middle of buffers already
// partly written, with a triggered stretch carried over each: the file is
// byte for byte the one that writing whole buffers at their completion
// makes.
TEST_F(RecordingTest, ARestartCarriesOverTheSameBytesAsWithWholeBufferWrites) {
  const auto run = [this](bool asItFills) {
    std::filesystem::remove(path_);
    App().recordingWritesAsItFills = asItFills;
    App().frame.scanTimeLimitMs = 5500;
    AnswerScanDialog(app::ID_RECORDING_TRIGGER, 30);
    prompts_.QueueFile({path_.string()});
    startMs_ = clock_.NowMs();
    bool stopped = false;
    devices_.SetTickHook([&](std::uint32_t now) {
      if (!stopped && now - startMs_ >= 14000) {
        stopped = true;
        app::PostCommand(App(), app::IDC_STOP);
      }
    });
    SendCommand(app::IDM_SCAN_INPUT);
    devices_.SetTickHook({});
    EXPECT_TRUE(stopped);
    return sonavue::testing::ReadFileBytes(path_);
  };
  const std::vector<std::uint8_t> whole = run(false);
  const std::vector<std::uint8_t> early = run(true);
  EXPECT_GT(whole.size(), 68U + 10000U * 96U);
  EXPECT_TRUE(whole == early) << "sizes " << whole.size() << " and " << early.size();
}

TEST_F(RecordingEndTest, ClosingTheWindow) {
  RecordUntil([this] { app::HandleClose(App()); });
}

TEST_F(RecordingEndTest, TheDeviceGoingAway) {
  // The device closes by itself: what it handed back is kept, and of the
  // buffer it was filling, which it does not hand back, what was written
  // as it arrived; the scan ends.
  RecordUntil([this] { App().live.device->Close(); }, false);
  EXPECT_GE(data_, StreamByte(steps_[1].doneMs - 350) - StreamByte(steps_[0].doneMs));
  EXPECT_LE(data_, StreamByte(steps_[1].doneMs) - StreamByte(steps_[0].doneMs));
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_LT(App().scanStats.lastMs, 6000U);
}

TEST_F(RecordingTest, TheSizeLimitEndsTheRecordingWithTheBufferThatReachedIt) {
  // A limit of 1 MB: the recording stops once it holds more than 1 MB less
  // one buffer (384000 bytes).
  App().recordingLimitBytes = 1000000;
  RecordOn();
  std::vector<Step> steps{{100, Press(app::IDC_PLAY)}, {20000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done) << "the limit did not stop the scan";
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  const std::uint64_t first = StreamByte(steps[0].doneMs);
  // Buffer A from the press (374400 bytes) is not over 616000; with B
  // (758400) it is, and the file ends with B.
  EXPECT_EQ(wav.data.size(), 2 * 384000U - first);
  EXPECT_TRUE(IsRampFrom(wav.data, first / 2));
  EXPECT_TRUE(App().recording.limitReached);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(RecordingTest, AFailedWriteKeepsWhatWasWrittenAndSaysWhy) {
  // The disk holds the header and 200000 bytes more.
  App().recordingWriteFailureBytes = 68 + 200000;
  RecordOn();
  std::vector<Step> steps{{100, Press(app::IDC_PLAY)}, {20000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done) << "the failure did not stop the scan";
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.data.size(), 200000U);
  EXPECT_TRUE(IsRampFrom(wav.data, StreamByte(steps[0].doneMs) / 2));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot write the recording file: disk full\n" + path_.string());
  EXPECT_EQ(boxes[0].caption, "Sonavue");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().render.view.recording);
}

TEST_F(RecordingTest, AFileThatCannotTakeItsHeaderStopsTheScanAtTheSave) {
  App().recordingWriteFailureBytes = 10;
  RecordOn();
  std::vector<Step> steps{{700, Press(app::IDC_PLAY)}, {6000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done);
  EXPECT_FALSE(std::filesystem::exists(path_));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot create the recording file: disk full\n" + path_.string());
}

// A real full disk: a small memory file system mounted for the test.
class FullDiskTest : public RecordingTest {
 protected:
  void SetUp() override {
    RecordingTest::SetUp();
    mountPoint_ = *folders_ / "small";
    std::filesystem::create_directories(mountPoint_);
    if (::mount("sonavue-test", mountPoint_.c_str(), "tmpfs", 0, "size=256k") != 0) {
      const std::string reason = std::strerror(errno);
      std::filesystem::remove(mountPoint_);
      GTEST_SKIP() << "cannot mount a 256 KB tmpfs here (" << reason
                   << "); the injected write failure covers the same path";
    }
    mounted_ = true;
    path_ = mountPoint_ / "take.wav";
  }
  void TearDown() override {
    if (mounted_) ::umount2(mountPoint_.c_str(), MNT_DETACH);
    RecordingTest::TearDown();
  }
  std::filesystem::path mountPoint_;
  bool mounted_ = false;
};

TEST_F(FullDiskTest, ARecordingStoppedByAFullDiskIsACompleteFile) {
  RecordOn();
  std::vector<Step> steps{{100, Press(app::IDC_PLAY)}, {20000, Press(app::IDC_STOP)}};
  RunSteps(steps);
  EXPECT_FALSE(steps[1].done);
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_GT(wav.data.size(), 100000U);
  EXPECT_LT(wav.data.size(), 262144U);
  EXPECT_TRUE(IsRampFrom(wav.data, StreamByte(steps[0].doneMs) / 2));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot write the recording file: disk full\n" + path_.string());
}

}  // namespace
}  // namespace sonavue::audio
