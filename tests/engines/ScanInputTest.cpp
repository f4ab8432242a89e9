#include "engines/ScanInput.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <cmath>
#include <algorithm>
#include <numeric>

#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "render/Palette.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"
#include "audio/WaveSignal.h"

namespace sonavue::engines {
namespace {

TEST(LiveFrameTest, FramesAreLocatedByTheClockBehindTheLatency) {
  // 48 kHz, N = 1024, 4-s buffers: 192000 samples each.
  // 100 ms into the buffer, 120 ms of latency: the frame starts in the
  // previous buffer, 20 ms + 1024 samples before the buffer began.
  FrameLocation f = LocateFrame(100, 120, 48000, 1024, 192000);
  EXPECT_TRUE(f.ready);
  EXPECT_EQ(f.d, -960 - 1024);
  f = LocateFrame(1000, 120, 48000, 1024, 192000);
  EXPECT_EQ(f.d, 42240 - 1024);
  // Past the end of the buffer being filled: not delivered yet.
  EXPECT_FALSE(LocateFrame(4200, 120, 48000, 1024, 192000).ready);
  // More than a whole buffer back: gone.
  EXPECT_FALSE(LocateFrame(-4000, 120, 48000, 1024, 192000).ready);
}

TEST(LiveFrameTest, AStraddlingFrameJoinsBothBuffersWithoutAGap) {
  // Sample k of the stream holds k; buffer "previous" has samples 0 … 9,
  // "filling" 10 … 19 (mono 16-bit, 10 samples per buffer).
  std::vector<std::uint8_t> previous(20);
  std::vector<std::uint8_t> filling(20);
  for (int k = 0; k < 10; ++k) {
    previous[2 * k] = static_cast<std::uint8_t>(k);
    filling[2 * k] = static_cast<std::uint8_t>(10 + k);
  }
  std::vector<std::uint8_t> out(8);
  AssembleFrameBytes(previous.data(), filling.data(), 10, -2, 4, 2, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{8, 0, 9, 0, 10, 0, 11, 0}));
  AssembleFrameBytes(previous.data(), filling.data(), 10, 3, 4, 2, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{13, 0, 14, 0, 15, 0, 16, 0}));
  AssembleFrameBytes(previous.data(), filling.data(), 10, -6, 4, 2, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{4, 0, 5, 0, 6, 0, 7, 0}));
}

class ScanInputTest : public sonavue::testing::LiveScanFixture {};

TEST_F(ScanInputTest, AToneScrollsAndTheStoppedScanBecomesAStaticPicture) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 2000.0, 10000.0, -1.0, {}});
  StopAt(5000);
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});

  const app::App::ScanStats& stats = App().scanStats;
  EXPECT_GT(stats.frames, 100);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().frame.running);
  // The display showed 2 s when it stopped: temp.wav holds that span, and it
  // is analysed as a static picture.
  const auto temp = App().workingFolder / "temp.wav";
  ASSERT_TRUE(std::filesystem::exists(temp));
  const auto bytes = std::filesystem::file_size(temp) - 68;
  EXPECT_NEAR(static_cast<double>(bytes) / 96000.0, 2.0, 0.05);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_EQ(App().frame.fileName, temp.string());
  EXPECT_FLOAT_EQ(App().analysis.columnMs, App().scanColumnMs);
  EXPECT_EQ(App().analysis.highHz, 8000);  // the scan's band is kept
  // 2000 Hz of 0 … 8000 Hz: a quarter of the way up.
  const auto& a = App().analysis;
  const int y = App().display.Height() - a.bottomStrip - a.rows / 4 - 1;
  EXPECT_NE(App().display.Pixel(a.leftMargin + 30, y), App().colors[render::kBackgroundIndex]);
  EXPECT_EQ(App().display.Pixel(a.leftMargin + 30, App().display.Height() - a.bottomStrip - 3 * a.rows / 4),
            App().colors[render::kBackgroundIndex]);
  // Total level of a 10000 sine: 20 log10(7071) ≈ 77 dB.
  ASSERT_FALSE(a.totalLevels[0].empty());
  EXPECT_NEAR(a.totalLevels[0][a.totalLevels[0].size() / 2], 76.99F, 0.2F);
  EXPECT_TRUE(App().pausedScan.has_value());
  // Stopped while buffer B was filling (4 … 8 s): the capture holds buffer A
  // whole and B up to the stop, and the device is closed.
  const double captured = static_cast<double>(App().capture.ring.Total()) / 96000.0;
  EXPECT_GT(captured, 4.5);
  EXPECT_LE(captured, 5.05);
  EXPECT_FALSE(App().live.device);
  EXPECT_TRUE(App().live.block.empty());
}

TEST_F(ScanInputTest, TheLiveSonogramKeepsPaceWithTheClock) {
  // 10 ms per column.
  App().params.scan.displayWidthS =
      static_cast<float>(App().layout.displayWidth - App().layout.leftMargin) * 0.01F;
  devices_.SetSource({platform::SignalSource::Kind::Noise, 0.0, 3000.0, -1.0, {}});
  StopAt(6000);
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  const auto& stats = App().scanStats;
  // One column per display step after the first frame's delay.
  const double expected = (stats.lastMs - 130.0) / App().params.timePerColumnMs;
  EXPECT_NEAR(static_cast<double>(stats.frames), expected, expected * 0.02 + 3);
  // The columns of the first frame's delay are drawn as repeats; after that
  // the analysis keeps up.
  EXPECT_LE(stats.repeated, 14 + stats.frames / 100);
  // The measured time per column matches the set one.
  EXPECT_NEAR(stats.measuredColumnMs, App().params.timePerColumnMs, 0.5);
}

TEST_F(ScanInputTest, ADeviceThatRefusesTheFormatSaysSo) {
  devices_.RefuseFormats(true);
  SendCommand(app::IDM_SCAN_INPUT);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open Audio Device");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_INPUT));
}

TEST_F(ScanInputTest, ScopeScanKeepsTheLastTenSeconds) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  StopAt(14000);
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  const auto temp = App().workingFolder / "temp.wav";
  ASSERT_TRUE(std::filesystem::exists(temp));
  EXPECT_NEAR(static_cast<double>(std::filesystem::file_size(temp) - 68) / 96000.0, 10.0, 0.1);
  EXPECT_FALSE(App().analysis.valid);  // a scope keeps its last plot
  EXPECT_GT(App().scanStats.frames, 100);
  // The tone's point: 1000 Hz of 0 … 8000 Hz across the points.
  const auto& left = App().render.scope.left;
  ASSERT_FALSE(left.empty());
  const auto peak = std::max_element(left.begin(), left.end()) - left.begin();
  const double expected = 1000.0 / 8000.0 * static_cast<double>(left.size());
  EXPECT_NEAR(static_cast<double>(peak), expected, 2.0);
}

TEST_F(ScanInputTest, UltrasoundControlsAreTurnedIntoAutomatic) {
  App().params.analysisControls = app::IDM_CONTROLS_ULTRASOUND;
  App().params.frequencyMultiplier = 8;
  devices_.RefuseFormats(true);
  SendCommand(app::IDM_SCAN_INPUT);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 2U);
  EXPECT_EQ(boxes[0].text,
            "Ultrasound Controls only available for 'Analyze File'.\rConverting to Automatic Controls.");
  EXPECT_EQ(App().params.analysisControls, app::IDM_CONTROLS_AUTOMATIC);
  EXPECT_EQ(App().params.frequencyMultiplier, 1);
  EXPECT_TRUE(MenuChecked(app::IDM_CONTROLS_AUTOMATIC));
}

}  // namespace
}  // namespace sonavue::engines

namespace sonavue::engines {
namespace {

class ScanRestartTest : public ScanInputTest {};

TEST_F(ScanRestartTest, AResizeDuringALiveScanRestartsItInTheNewSize) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  // The live image as the running scan holds it.
  struct LiveImage {
    int width = 0;
    int height = 0;
    bool inputOpen = false;
  };
  LiveImage before;
  LiveImage after;
  const app::LayoutValues oldLayout = App().layout;
  // Half a second in, the window is made wider and taller; three seconds
  // later, when the restarted 2-s display has filled, STOP.
  int step = 0;
  devices_.SetTickHook([this, &step, &before, &after](std::uint32_t now) {
    if (step == 0 && now >= 500) {
      step = 1;
      before = {App().display.Width(), App().display.Height(), App().frame.inputOpen};
      const platform::Rect r = Window().WindowRect();
      Window().SetWindowRect({r.x, r.y, r.w + 100, r.h + 80});
    } else if (step == 1 && now >= 3500) {
      step = 2;
      after = {App().display.Width(), App().display.Height(), App().frame.inputOpen};
      app::PostCommand(App(), app::IDC_STOP);
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_EQ(step, 2);
  const app::LayoutValues& newLayout = App().layout;
  ASSERT_NE(newLayout.displayWidth, oldLayout.displayWidth);
  ASSERT_NE(newLayout.displayHeight, oldLayout.displayHeight);

  // Before the resize the live image had the old display's size (its width
  // rounded up to a multiple of 4 pixels); after it, a scan was live again
  // on an image of the new display's size.
  ASSERT_TRUE(before.inputOpen);
  EXPECT_EQ(before.width % 4, 0);
  EXPECT_GE(before.width, oldLayout.displayWidth);
  EXPECT_LT(before.width, oldLayout.displayWidth + 4);
  EXPECT_EQ(before.height, oldLayout.displayHeight);
  ASSERT_TRUE(after.inputOpen);
  EXPECT_EQ(after.width % 4, 0);
  EXPECT_GE(after.width, newLayout.displayWidth);
  EXPECT_LT(after.width, newLayout.displayWidth + 4);
  EXPECT_EQ(after.height, newLayout.displayHeight);
  EXPECT_NE(after.width, before.width);
  EXPECT_NE(after.height, before.height);

  // The run that ended last started again at the resize: its clock and frame
  // count began there (3 s of the 3.5 s), and its filled display spans the
  // new plot's columns, 2 s across them.
  const app::App::ScanStats& stats = App().scanStats;
  EXPECT_LE(stats.lastMs, 3000U);
  EXPECT_GT(stats.lastMs, 2500U);
  const int newColumns = newLayout.displayWidth - newLayout.leftMargin;
  const int oldColumns = oldLayout.displayWidth - oldLayout.leftMargin;
  ASSERT_NE(newColumns, oldColumns);
  EXPECT_GT(stats.frames, newColumns);
  EXPECT_EQ(stats.columnsShown, newColumns);
  // The stopped picture takes the step the columns were measured at, close
  // to the nominal 2 s across the new plot.
  EXPECT_FLOAT_EQ(App().scanColumnMs, stats.measuredColumnMs);
  EXPECT_NEAR(static_cast<double>(App().scanColumnMs) * newColumns, 2000.0, 300.0);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().frame.restartRequest);
}

TEST_F(ScanRestartTest, AResizeDuringAScopeScanLaysTheWindowOutOnceTheScanEnds) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  app::StoreScanParameters(App().params);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  const std::size_t pointsBefore = App().peakHold.size();
  ASSERT_EQ(pointsBefore, static_cast<std::size_t>(App().layout.scopePoints));
  int step = 0;
  devices_.SetTickHook([this, &step](std::uint32_t now) {
    if (step == 0 && now >= 500) {
      step = 1;
      // The resize comes through the window system's queue, which the
      // engine serves between frames.
      QTimer::singleShot(0, [this] {
        const platform::Rect r = Window().WindowRect();
        Window().SetWindowRect({r.x, r.y, r.w + 160, r.h + 40});
      });
    } else if (step == 1 && now >= 1500) {
      step = 2;
      app::PostCommand(App(), app::IDC_STOP);
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_EQ(step, 2);
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().frame.layoutPending);

  // The layout that waited for the engine has run in full: one peak-hold
  // value per scope point of the new size, scroll bars along the new display.
  const app::LayoutValues& v = App().layout;
  EXPECT_EQ(v.clientWidth, Window().ClientSize().w);
  EXPECT_NE(App().peakHold.size(), pointsBefore);
  EXPECT_EQ(App().peakHold.size(), static_cast<std::size_t>(v.scopePoints));
  EXPECT_EQ(Window().ScrollBarRect(platform::ScrollBarId::Horizontal),
            (platform::Rect{0, v.displayHeight, v.displayWidth, v.scrollThickness}));
  EXPECT_EQ(Window().ScrollBarRect(platform::ScrollBarId::Vertical),
            (platform::Rect{v.displayWidth, 0, v.scrollThickness, v.displayHeight}));
}

}  // namespace
}  // namespace sonavue::engines

namespace sonavue::engines {
namespace {

class ScanPauseTest : public ScanInputTest {};

TEST_F(ScanPauseTest, ARightClickPausesAndTheNextResumesWithTheSameParameters) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  bool paused = false;
  devices_.SetTickHook([this, &paused](std::uint32_t now) {
    if (!paused && now >= 1500) {
      paused = true;
      Window().SendMouse(platform::MouseAction::RightDown, {200, 200});
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(paused);
  EXPECT_TRUE(App().frame.spaceLatch);
  ASSERT_TRUE(App().analysis.valid);  // the paused scan is a static picture
  EXPECT_EQ(App().params.wayOfWorking, 1);

  // The picture's parameters may differ; the resume puts the scan's back.
  App().params.highBandHz = 3000;
  std::uint32_t resumedAt = 0;
  devices_.SetTickHook([this, &resumedAt](std::uint32_t now) {
    if (resumedAt == 0) resumedAt = now;
    if (now >= resumedAt + 1000 && App().frame.inputOpen) app::PostCommand(App(), app::IDC_STOP);
  });
  SendMouse(platform::MouseAction::RightDown, {200, 200});
  devices_.SetTickHook({});
  EXPECT_NE(resumedAt, 0U);
  EXPECT_EQ(App().params.highBandHz, 8000);
  EXPECT_GT(App().scanStats.frames, 10);
  EXPECT_FALSE(App().frame.inputOpen);
}

}  // namespace
}  // namespace sonavue::engines

namespace sonavue::engines {
namespace {

class ScanFromFileTest : public ScanInputTest {};

TEST_F(ScanFromFileTest, TheSimulatedInputPlaysAWaveFile) {
  const auto path = *folders_ / "hum.wav";
  std::vector<std::int16_t> samples(48000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 3000.0 * static_cast<double>(i) / 48000.0)));
  }
  sonavue::testing::WavBuilder().Format(1, 1, 48000, 16).Data(sonavue::testing::WavBuilder::Pcm16(samples)).Write(path);
  const auto source = audio::SignalFromWaveFile(path);
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(source->samples.size(), 48000U);
  EXPECT_FALSE(audio::SignalFromWaveFile(*folders_ / "missing.wav").has_value());
  devices_.SetSource(*source);
  StopAt(3000);
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(App().analysis.valid);
  // 3000 Hz of 0 … 8000 Hz.
  const auto& a = App().analysis;
  const int row = static_cast<int>(std::lround(3000.0 / 8000.0 * a.rows));
  EXPECT_NE(App().display.Pixel(a.leftMargin + 10, App().display.Height() - a.bottomStrip - row - 1),
            App().colors[render::kBackgroundIndex]);
}

}  // namespace
}  // namespace sonavue::engines

namespace sonavue::engines {
namespace {

class ScanBehindTest : public ScanInputTest {};

TEST_F(ScanBehindTest, WhenTheClockRunsAheadOfTheAnalysisColumnsRepeatAndKeepPace) {
  App().params.scan.displayWidthS =
      static_cast<float>(App().layout.displayWidth - App().layout.leftMargin) * 0.01F;  // 10 ms
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  // Every wait of the engine costs three times as long as it asked for, as
  // on a machine too slow for the display step.
  bool inHook = false;
  bool stopped = false;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (inHook) return;
    inHook = true;
    clock_.Advance(20);
    inHook = false;
    if (!stopped && now >= 4000) {
      stopped = true;
      app::PostCommand(App(), app::IDC_STOP);
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  const auto& stats = App().scanStats;
  // Behind the clock the display repeats a column, then jumps to where the
  // clock says it should be: it keeps pace instead of falling behind.
  EXPECT_GE(stats.repeated, 1);
  const double expected = stats.lastMs / App().params.timePerColumnMs;
  EXPECT_NEAR(static_cast<double>(stats.drawnColumn), expected, 6.0);
  EXPECT_LT(static_cast<double>(stats.frames), expected);
}

}  // namespace
}  // namespace sonavue::engines
