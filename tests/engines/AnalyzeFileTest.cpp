#include "engines/AnalyzeFile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "engines/AnalysisPlan.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

std::vector<std::int16_t> Tone(double freqHz, double amplitude, int rate, int frames, int channels) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double a = c == 0 ? amplitude : amplitude / 4;
      samples.push_back(static_cast<std::int16_t>(std::lround(a * std::sin(2 * M_PI * freqHz * i / rate))));
    }
  }
  return samples;
}

class AnalyzeFileTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
  }
  std::filesystem::path Make(const std::string& name, int rate, int channels, double seconds,
                             double freqHz = 3000.0) {
    const auto path = *folders_ / name;
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate), 16)
        .Data(WavBuilder::Pcm16(Tone(freqHz, 12000.0, rate, static_cast<int>(rate * seconds), channels)))
        .Write(path);
    return path;
  }
  void Analyze(const std::filesystem::path& path) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  }
  int PlotWidth() { return App().layout.displayWidth - App().layout.leftMargin; }
  // The window's pixels below the display area and its scroll bar: the
  // readout panel, row by row.
  std::vector<platform::Rgb> PanelPixels() {
    const platform::DisplayBitmap& image = WindowImage();
    const app::LayoutValues& v = App().layout;
    std::vector<platform::Rgb> pixels;
    for (int y = v.displayHeight + v.scrollThickness; y < v.clientHeight; ++y) {
      for (int x = 0; x < v.clientWidth; ++x) pixels.push_back(image.Pixel(x, y));
    }
    return pixels;
  }
};

TEST_F(AnalyzeFileTest, AMonoFileBecomesAPictureWithItsToneInTheRightRow) {
  const auto path = Make("tone.wav", 48000, 1, 3.0, 3000.0);
  Analyze(path);
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_TRUE(a.valid);
  EXPECT_FALSE(App().frame.analysisPending);
  // Δt = 2000 ms over the plot width; columns as the plan says.
  const float stepMs = 2000.0F / static_cast<float>(PlotWidth());
  EXPECT_FLOAT_EQ(a.columnMs, stepMs);
  const FramePlan plan = PlanFrames(1, stepMs, 48000, 144000, a.fftSize);
  EXPECT_EQ(a.plannedColumns, plan.columns);
  EXPECT_EQ(a.columns, plan.columns);
  EXPECT_EQ(a.dataLength, 288000U);
  EXPECT_EQ(a.signal.size(), 288068U);
  EXPECT_EQ(a.totalLevels[0].size(), static_cast<std::size_t>(a.columns));
  // RMS of a 12000 sine: 20 log10(8485) ≈ 78.57 dB.
  EXPECT_NEAR(a.totalLevels[0][10], 78.57F, 0.05F);
  // The image holds every column after the margin, in whole groups of four.
  EXPECT_EQ(App().display.Width() % 4, 0);
  EXPECT_GE(App().display.Width(), a.leftMargin + static_cast<int>(a.columns));
  EXPECT_EQ(App().display.Height(), App().layout.displayHeight);

  // Band 0 … 24000 Hz over the rows: 3000 Hz is row rows/8 from the bottom.
  const int x = a.leftMargin + 20;
  const int toneRow = static_cast<int>(std::lround(3000.0 / 24000.0 * a.rows));
  const int yTone = App().display.Height() - a.bottomStrip - toneRow - 1;
  const int yQuiet = App().display.Height() - a.bottomStrip - 3 * a.rows / 4 - 1;
  EXPECT_NE(App().display.Pixel(x, yTone), App().colors[render::kBackgroundIndex]);
  EXPECT_EQ(App().display.Pixel(x, yQuiet), App().colors[render::kBackgroundIndex]);

  EXPECT_TRUE(MenuEnabled(app::IDM_CHANGE_PARAMETERS));
  EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
  EXPECT_FALSE(ButtonEnabled(app::IDC_STOP));
  EXPECT_EQ(Window().Caption(), "tone.wav");
  EXPECT_EQ(App().params.highBandHz, 24000);
}

TEST_F(AnalyzeFileTest, AStereoFileHoldsBothChannelsAndDualDoublesTheStep) {
  App().params.channelsId = app::ID_CHANNELS_DUAL;
  Analyze(Make("st.wav", 44100, 2, 2.0));
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_TRUE(a.valid);
  EXPECT_TRUE(a.dual);
  const int dualWidth = App().layout.displayWidth - 2 * App().layout.leftMargin;
  EXPECT_FLOAT_EQ(a.columnMs, 4000.0F / static_cast<float>(dualWidth));
  EXPECT_EQ(App().display.Height(), 2 * App().layout.displayHeight);
  ASSERT_EQ(a.totalLevels[1].size(), static_cast<std::size_t>(a.columns));
  // The right channel is a quarter of the left: 12 dB lower.
  EXPECT_NEAR(a.totalLevels[0][5] - a.totalLevels[1][5], 20 * std::log10(4.0), 0.05);
}

TEST_F(AnalyzeFileTest, StopEndsTheLoopAndCutsTheSignalToWhatWasAnalysed) {
  const auto path = Make("long.wav", 48000, 1, 6.0);
  App().params.displayWidthS = 1.0F;  // many columns
  // STOP is pressed while the analysis runs: the loop sees it at its first
  // look at the window.
  PostCommand(App(), app::IDC_STOP);
  prompts_.QueueFile({path.string()});
  app::SendCommand(App(), app::IDM_ANALYZE_FILE, app::kReasonUser);
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_GT(a.plannedColumns, 500);
  EXPECT_GT(a.columns, 0);
  EXPECT_LT(a.columns, a.plannedColumns);
  EXPECT_EQ(a.dataLength, static_cast<std::uint32_t>(576000ULL * static_cast<std::uint64_t>(a.columns) /
                                                     static_cast<std::uint64_t>(a.plannedColumns)));
  EXPECT_EQ(a.totalLevels[0].size(), static_cast<std::size_t>(a.columns));
  EXPECT_TRUE(MenuEnabled(app::IDM_ANALYZE_FILE));
}

TEST_F(AnalyzeFileTest, ASegmentShorterThanAFrameIsTooSmall) {
  const auto path = *folders_ / "short.wav";
  WavBuilder().Format(1, 1, 48000, 16).Data(std::vector<std::uint8_t>(1000, 0)).Write(path);
  const int displayBefore = App().params.displayId;
  Analyze(path);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Time Scale Too Small");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_FALSE(App().analysis.valid);
  EXPECT_TRUE(App().display.IsNull());
  EXPECT_EQ(App().params.displayId, displayBefore);
  EXPECT_FALSE(App().frame.analysisPending);
}

TEST_F(AnalyzeFileTest, ACancelledChooserAndAnUnreadableFileChangeNothing) {
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_ANALYZE_FILE);
  EXPECT_FALSE(App().analysis.valid);
  Analyze(*folders_ / "missing.wav");
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_FALSE(App().frame.analysisPending);
}

TEST_F(AnalyzeFileTest, TheCommandLineChecksItsLimitsAndSpan) {
  const auto path = Make("cl.wav", 22050, 1, 2.0);
  App().frame.fileName = path.string();
  App().commandLine = {true, 100, 105, 10.0F};
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonCommandLine);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Frequency Limits");
  EXPECT_FALSE(App().analysis.valid);

  App().commandLine = {true, 0, 8000, 0.0F};
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonCommandLine);
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Time Span");

  // Above half the rate: limited with a warning, and the run goes on.
  App().commandLine = {true, 0, 20000, 2.0F};
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonCommandLine);
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Highest Frequency Limited to 1/2 Sampling Rate");
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_EQ(App().analysis.highHz, 11025);
  EXPECT_FLOAT_EQ(App().params.displayWidthS, 2.0F);
  EXPECT_FALSE(App().commandLine.started);
}

TEST_F(AnalyzeFileTest, AResizeAnalysesTheSameFileAgain) {
  Analyze(Make("again.wav", 48000, 1, 2.0));
  const std::int64_t before = App().analysis.columns;
  Resize(1100, 650);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_NE(App().analysis.columns, before);  // a wider plot, a finer step
  EXPECT_EQ(App().analysis.columns, App().analysis.plannedColumns);
}

TEST_F(AnalyzeFileTest, AScrolledStereoPictureGetsItsAxesOnlyInsideTheDisplayArea) {
  // A file three times as long as the window shows scrolls, and the window
  // gets the axes of what it shows. Below the display the window shows the
  // same readout panel as for a file that fits the window.
  const auto fits = Make("fits.wav", 48000, 2, 1.5);
  const auto scrolls = Make("scrolls.wav", 48000, 2, 6.0);
  for (int channels : {app::ID_CHANNELS_LEFT, app::ID_CHANNELS_DUAL}) {
    SCOPED_TRACE(channels);
    App().params.channelsId = channels;
    Analyze(fits);
    ASSERT_TRUE(App().analysis.valid);
    ASSERT_TRUE(App().render.view.stackedChannels);
    ASSERT_EQ(App().analysis.horizontalScroll, 0);
    const std::vector<platform::Rgb> unscrolled = PanelPixels();

    Analyze(scrolls);
    ASSERT_TRUE(App().analysis.valid);
    ASSERT_GT(App().analysis.horizontalScroll, 0);
    const std::vector<platform::Rgb> scrolled = PanelPixels();
    ASSERT_EQ(scrolled.size(), unscrolled.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < scrolled.size(); ++i) differing += scrolled[i] != unscrolled[i] ? 1 : 0;
    EXPECT_EQ(differing, 0U);
    // No margin of a second channel over the panel's lower left corner.
    const app::LayoutValues& v = App().layout;
    EXPECT_NE(WindowImage().Pixel(2, v.clientHeight - 2), App().colors[render::kBackgroundIndex]);
  }
}

TEST_F(AnalyzeFileTest, AFrameDragAnalysesOnceWhenTheSizeHasBeenStill) {
  Analyze(Make("drag.wav", 48000, 1, 2.0));
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_TRUE(Window().FrameDragHidesMouseButton());
  // Every analysis starts a fresh record: a mark left in it shows whether
  // one ran since.
  const auto mark = [this] { App().analysis.sourcePath = "(not analysed since)"; };
  const auto analysedSinceMark = [this] { return App().analysis.sourcePath != "(not analysed since)"; };

  // The frame is dragged through three sizes in quick succession; the
  // window system keeps the mouse button to itself meanwhile.
  mark();
  const platform::Rect r = Window().WindowRect();
  for (int grow : {40, 90, 150}) Window().SetWindowRect({r.x, r.y, r.w + grow, r.h});
  EXPECT_FALSE(analysedSinceMark());
  EXPECT_TRUE(App().frame.resizePending);
  EXPECT_TRUE(Window().IsTimerActive(app::kResizeSettleTimerId));

  // Once the size has been still for a moment: one analysis, in the last size.
  SettleResize();
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_TRUE(analysedSinceMark());
  EXPECT_FALSE(App().frame.resizePending);
  EXPECT_FLOAT_EQ(App().analysis.columnMs, 2000.0F / static_cast<float>(PlotWidth()));
  EXPECT_EQ(App().analysis.columns, App().analysis.plannedColumns);

  // Nothing else follows: no timer left, and the pointer over the frame
  // finds nothing pending.
  mark();
  EXPECT_FALSE(Window().IsTimerActive(app::kResizeSettleTimerId));
  app::HandleNonClientMouseMove(App());
  ProcessEvents();
  EXPECT_FALSE(analysedSinceMark());

  // A single resize after that is analysed again once the size is still.
  Resize(r.w - 60, r.h);
  EXPECT_TRUE(analysedSinceMark());
  EXPECT_FLOAT_EQ(App().analysis.columnMs, 2000.0F / static_cast<float>(PlotWidth()));
}

TEST_F(AnalyzeFileTest, AfterAMinimizeAndARestoreTheNextResizeAnalysesAgain) {
  Analyze(Make("small.wav", 48000, 1, 2.0));
  const std::int64_t before = App().analysis.columns;
  Window().ShowMinimized();
  ProcessEvents();
  ASSERT_TRUE(Window().IsMinimized());
  Window().ShowNormal();
  ProcessEvents();
  ASSERT_FALSE(Window().IsMinimized());
  // The restore only lays the window out again; the picture stays.
  EXPECT_FALSE(App().frame.wasMinimized);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_EQ(App().analysis.columns, before);

  Resize(1100, 650);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_NE(App().analysis.columns, before);
  EXPECT_EQ(App().analysis.columns, App().analysis.plannedColumns);
}

}  // namespace
}  // namespace sonavue::engines

namespace sonavue::engines {
namespace {

class AnalyzeDialogTest : public sonavue::testing::AppFixture {};

TEST_F(AnalyzeDialogTest, TheMenuShowsTheDialogOfTheAnalysisControlsAndCancelEndsTheCommand) {
  Start();
  const auto path = *folders_ / "d.wav";
  WavBuilder().Format(1, 1, 16000, 16).Data(std::vector<std::uint8_t>(64000, 0)).Write(path);
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  prompts_.QueueFile({path.string()});
  prompts_.QueueDialog([](platform::ModalDialog& dialog) {
    EXPECT_EQ(dialog.ResourceId(), 102);
    return false;  // Cancel
  });
  SendCommand(app::IDM_ANALYZE_FILE);
  EXPECT_FALSE(App().analysis.valid);
  EXPECT_FALSE(App().frame.analysisPending);

  // OK runs the analysis with what the dialog holds.
  prompts_.QueueFile({path.string()});
  prompts_.QueueDialog([](platform::ModalDialog& dialog) {
    EXPECT_EQ(dialog.ResourceId(), 102);
    return true;
  });
  SendCommand(app::IDM_ANALYZE_FILE);
  EXPECT_TRUE(App().analysis.valid);
  EXPECT_EQ(prompts_.Dialogs(), (std::vector<int>{102, 102}));
}

}  // namespace
}  // namespace sonavue::engines
