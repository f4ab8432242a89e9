#include "engines/SegmentZoom.h"

#include <gtest/gtest.h>

#include <qnamespace.h>

#include <algorithm>
#include <cmath>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "engines/AnalysisPlan.h"
#include "engines/PointSpectrum.h"
#include "engines/StaticAnalysis.h"
#include "render/Panels.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using platform::MouseAction;
using sonavue::testing::WavBuilder;

// The picture of the worked example: t0 = 0, Δt = 10 ms, no scroll, a margin
// of 60 in a window 860 wide (plot 800), 48000 Hz mono 16-bit: B = 96000.
ZoomInput Worked() {
  ZoomInput in;
  in.startMs = 0.0;
  in.columnMs = 10.0;
  in.leftMargin = 60;
  in.rateHz = 48000;
  in.channels = 1;
  in.bytesPerSample = 2;
  in.dataEndByte = 10 * 96000;
  in.displayWidth = 860;
  in.resolutionHz = 20.0F;
  return in;
}

TEST(SegmentZoomPlanTest, ADragFromLeftToRightRunsFromMiddleToMiddleOfTheColumns) {
  ZoomInput in = Worked();
  in.pressX = 160;
  in.releaseX = 260;
  const ZoomPlan z = PlanZoom(in);
  ASSERT_TRUE(z.ok);
  // Columns 100.5 and 200.5 after the margin: 1005 ms and 2005 ms.
  EXPECT_EQ(z.startByte, 96480);
  EXPECT_EQ(z.endByte, 96480 + 96000);
  EXPECT_DOUBLE_EQ(z.spanS, 1.0);
  EXPECT_DOUBLE_EQ(z.beginS, 1.005);
  // 1 s over 800 columns; a frame at most 12 columns: 1000 ÷ 15 Hz.
  EXPECT_FLOAT_EQ(z.columnMs, 1.25F);
  EXPECT_NEAR(z.minResolutionHz, 66.667F, 0.001F);
  EXPECT_FLOAT_EQ(z.resolutionHz, z.minResolutionHz);
  in.resolutionHz = 100.0F;  // a coarser resolution stays
  EXPECT_FLOAT_EQ(PlanZoom(in).resolutionHz, 100.0F);
}

TEST(SegmentZoomPlanTest, ADragFromRightToLeftTakesTheColumnsWithoutTheHalfColumn) {
  ZoomInput in = Worked();
  in.pressX = 260;
  in.releaseX = 160;
  const ZoomPlan z = PlanZoom(in);
  ASSERT_TRUE(z.ok);
  EXPECT_EQ(z.startByte, 96000);
  EXPECT_EQ(z.endByte, 192000);
  EXPECT_DOUBLE_EQ(z.beginS, 1.0);
}

TEST(SegmentZoomPlanTest, TheSpanIsWholeTenthsBetweenATenthAndAMinute) {
  ZoomInput in = Worked();
  // Three columns of 10 ms: 30 ms, limited to 0.1 s.
  in.pressX = 160;
  in.releaseX = 163;
  ZoomPlan z = PlanZoom(in);
  EXPECT_DOUBLE_EQ(z.spanS, 0.1);
  EXPECT_EQ(z.endByte - z.startByte, 9600);
  // 155 columns: 1.55 s cut to 1.5 s.
  in.releaseX = 315;
  EXPECT_DOUBLE_EQ(PlanZoom(in).spanS, 1.5);
  // 70 s of audio: 60 s from its start.
  in.columnMs = 100.0;
  in.dataEndByte = 100 * 96000;
  in.pressX = 60;
  in.releaseX = 760;
  z = PlanZoom(in);
  EXPECT_DOUBLE_EQ(z.spanS, 60.0);
  EXPECT_EQ(z.endByte - z.startByte, 60 * 96000);
}

TEST(SegmentZoomPlanTest, TheEndStopsAtTheDataAndTheStartAtZero) {
  ZoomInput in = Worked();
  in.dataEndByte = 150000;
  in.pressX = 160;
  in.releaseX = 400;
  ZoomPlan z = PlanZoom(in);
  EXPECT_DOUBLE_EQ(z.spanS, 0.5);  // (150000 − 96480) ÷ 96000 = 0.557 s, cut to 0.5
  EXPECT_EQ(z.endByte, 96480 + 48000);
  // Limited to 0.1 s, past the data: the end stays at the data's end.
  in.dataEndByte = 100000;
  z = PlanZoom(in);
  EXPECT_DOUBLE_EQ(z.spanS, 0.1);
  EXPECT_EQ(z.endByte, 100000);
  // A press over the margin of an unscrolled picture starts at 0.
  in = Worked();
  in.pressX = 10;
  in.releaseX = 160;
  z = PlanZoom(in);
  EXPECT_EQ(z.startByte, 0);
}

TEST(SegmentZoomPlanTest, DualSpreadsTheSpanOverBothHalves) {
  ZoomInput in = Worked();
  in.dual = true;
  in.channels = 2;
  in.pressX = 160;
  in.releaseX = 260;
  const ZoomPlan z = PlanZoom(in);
  // B = 192000; 1 s over (860 − 120) ÷ 2 columns per half.
  EXPECT_EQ(z.startByte % 4, 0);
  EXPECT_FLOAT_EQ(z.columnMs, static_cast<float>(2000.0 / 740.0));
}

TEST(PointSpectrumPlanTest, AveragingOffRunsTheSecondBeforeTheClick) {
  PointSpectrumInput in;
  in.column = 150;
  in.columnMs = 10.0;
  in.rateHz = 48000;
  in.fftSize = 1024;
  in.dataLength = 10 * 96000;
  const PointSpectrumPlan plan = PlanPointSpectrum(in);
  ASSERT_TRUE(plan.ok);
  EXPECT_EQ(plan.endByte, 144000);
  EXPECT_EQ(plan.startByte, 144000 - 96000);
  EXPECT_EQ(plan.frames, 100);
}

TEST(PointSpectrumPlanTest, AveragingRunsItsTimeAndEveryPositionIsAMultipleOfTwelve) {
  PointSpectrumInput in;
  in.column = 37;
  in.columnMs = 7.3;
  in.rateHz = 44100;
  in.channels = 2;
  in.bytesPerSample = 3;
  in.averagingMs = 200.0;
  in.fftSize = 2048;
  in.dataLength = 10 * 44100 * 6;
  const PointSpectrumPlan plan = PlanPointSpectrum(in);
  ASSERT_TRUE(plan.ok);
  EXPECT_EQ(plan.endByte % 12, 0);
  EXPECT_EQ(plan.startByte % 12, 0);
  // 37 × 7.3 ms × 264600 B/s = 71468.46 → 71468 → 71460; 200 ms = 52920 bytes;
  // 52920 bytes are 27.4 columns of 7.3 ms.
  EXPECT_EQ(plan.endByte, 71460);
  EXPECT_EQ(plan.startByte, 71460 - 52920);
  EXPECT_EQ(plan.frames, 27);
}

TEST(PointSpectrumPlanTest, AClickNearTheEndOrLeftOfThePictureShowsNothing) {
  PointSpectrumInput in;
  in.columnMs = 10.0;
  in.fftSize = 1024;
  in.dataLength = 96000;
  // Two frames of 2048 bytes must follow the click.
  in.column = static_cast<int>((96000 - 4096) / 960);  // 95 → e = 91200, 91200 + 4096 < 96000
  EXPECT_TRUE(PlanPointSpectrum(in).ok);
  in.column = 96;  // e = 92160: 96256 is not below 96000
  EXPECT_FALSE(PlanPointSpectrum(in).ok);
  in.column = -1;  // over the frequency labels
  EXPECT_FALSE(PlanPointSpectrum(in).ok);
  // The first column: no second before it, one frame from the start.
  in.column = 0;
  const PointSpectrumPlan first = PlanPointSpectrum(in);
  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.startByte, 0);
  EXPECT_EQ(first.frames, 1);
}

std::vector<std::int16_t> Tone(double freqHz, double amplitude, int rate, int frames) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < frames; ++i) {
    samples.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * freqHz * i / rate))));
  }
  return samples;
}

TEST(PointSpectrumRunTest, TheResponseCorrectionOfA48kHzSignalIsAppliedAndAClearedTableIsNone) {
  app::CurrentParameters p;
  p.lowBandHz = 0;
  p.highBandHz = 24000;
  p.fftSize = 1024;
  p.resolutionHz = 93.75F;
  const std::vector<std::uint8_t> data = WavBuilder::Pcm16(Tone(3000.0, 10000.0, 48000, 48000));
  const auto peak = [&] {
    const ColumnRun run = PointSpectrumRun(p, 48000, 1, 2, p.fftSize, 10.0F, 96, 0.0, 20);
    std::array<std::vector<std::int16_t>, 2> codes;
    EXPECT_TRUE(AnalysePointSpectrum(run, data, codes, {}));
    EXPECT_TRUE(codes[1].empty());
    return *std::max_element(codes[0].begin(), codes[0].end());
  };
  p.responseMono.fill(0.0F);  // never measured
  const int plain = peak();
  p.responseMono.fill(2.0F);  // twice the magnitude: 6.02 dB, 24 quarter-dB codes
  EXPECT_NEAR(peak() - plain, 24, 1);
  p.responseMono.fill(1.0F);
  EXPECT_EQ(peak(), plain);
}

class SegmentZoomTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow(10.0F);
  }
  void AnalyzeTone(double seconds = 10.0) {
    const auto path = *folders_ / "tone.wav";
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Tone(3000.0, 12000.0, 48000, static_cast<int>(48000 * seconds)))).Write(path);
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }
  void Drag(int fromX, int toX, int y = 100) {
    SendMouse(MouseAction::LeftDown, {fromX, y});
    SendMouse(MouseAction::Move, {(fromX + toX) / 2, y});
    SendMouse(MouseAction::Move, {toX, y});
    SendMouse(MouseAction::LeftUp, {toX, y});
  }
  int Margin() { return App().layout.leftMargin; }
  int PlotWidth() { return App().layout.displayWidth - App().layout.leftMargin; }
};

TEST_F(SegmentZoomTest, ADragZoomsTheSegmentToFillThePlot) {
  AnalyzeTone();
  const app::AnalysisRecord before = App().analysis;
  const double dt = before.columnMs;
  const int press = Margin() + 100;
  const int release = Margin() + 300;
  Drag(press, release);

  const app::AnalysisRecord& a = App().analysis;
  ASSERT_TRUE(a.valid);
  // From the middle of column 100 to the middle of column 300.
  const double b = 96000.0;
  const auto start = static_cast<std::int64_t>(std::floor(dt * 100.5 * b / 1000.0));
  const std::int64_t startByte = start - start % 2;
  const double span = std::floor(dt * 200.0 / 100.0 + 1e-9) / 10.0;  // 200 columns, whole tenths
  EXPECT_NEAR(a.beginS, startByte / b, 1e-6);
  EXPECT_FLOAT_EQ(a.columnMs, static_cast<float>(span * 1000.0 / PlotWidth()));
  EXPECT_FLOAT_EQ(App().params.displayWidthS, static_cast<float>(span));
  // The extra frame at the end makes the columns fill the plot exactly.
  EXPECT_EQ(a.columns, PlotWidth());
  // Finer than before: the frame spans at most twelve of the new columns.
  EXPECT_GE(App().params.resolutionHz, 1000.0F / (12.0F * a.columnMs) - 0.001F);
  EXPECT_TRUE(App().frame.snapshotPushed);
  EXPECT_EQ(Window().Caption(), app::kSnapshotCaption);
  EXPECT_TRUE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));

  // The time axis of the zoomed picture: column x shows t0′ + Δt′ × (x − Mx).
  const render::ReadoutTexts r = render::ComputeReadouts(App(), {Margin() + 400, 100}, true);
  EXPECT_NEAR(r.timeMs, a.beginS * 1000.0 + 400.0 * a.columnMs, 1e-3);
  EXPECT_DOUBLE_EQ(App().render.view.segmentStartMs, static_cast<double>(App().params.beginS) * 1000.0);
}

TEST_F(SegmentZoomTest, F6ReturnsFromAZoomToThePictureItZoomedInto) {
  AnalyzeTone();
  const app::AnalysisRecord before = App().analysis;
  Drag(Margin() + 100, Margin() + 300);
  ASSERT_NE(App().analysis.columnMs, before.columnMs);
  SendKey(Qt::Key_F6);
  EXPECT_EQ(App().analysis.columnMs, before.columnMs);
  EXPECT_EQ(App().analysis.beginS, before.beginS);
  EXPECT_EQ(App().analysis.columns, before.columns);
  EXPECT_FALSE(App().frame.snapshotPushed);
  EXPECT_EQ(Window().Caption(), "tone.wav");
}

TEST_F(SegmentZoomTest, ADragFromRightToLeftSelectsTheSameColumns) {
  AnalyzeTone();
  const double dt = App().analysis.columnMs;
  Drag(Margin() + 300, Margin() + 100);
  const double b = 96000.0;
  const auto start = static_cast<std::int64_t>(std::floor(dt * 100.0 * b / 1000.0));
  EXPECT_NEAR(App().analysis.beginS, (start - start % 2) / b, 1e-6);
  EXPECT_EQ(App().analysis.columns, PlotWidth());
  EXPECT_FALSE(App().render.view.dragSelect);
}

TEST_F(SegmentZoomTest, AClickOverTheFrequencyLabelsChangesNothing) {
  AnalyzeTone();
  const float beginS = App().analysis.beginS;
  SendMouse(MouseAction::LeftDown, {Margin() / 2, 100});
  SendMouse(MouseAction::LeftUp, {Margin() / 2, 100});
  EXPECT_TRUE(App().params.IsScrollDisplay());
  EXPECT_FALSE(App().frame.segmentSpectrumShown);
  EXPECT_FALSE(App().frame.snapshotPushed);
  EXPECT_EQ(App().analysis.beginS, beginS);
  EXPECT_EQ(Window().Caption(), "tone.wav");
  // A drag inside the labels selects nothing either.
  Drag(5, Margin() - 5);
  EXPECT_FALSE(App().frame.snapshotPushed);
}

TEST_F(SegmentZoomTest, AClickShowsTheSpectrumThereWithTheToneOnItsRow) {
  AnalyzeTone();
  const app::AnalysisRecord a = App().analysis;
  const int column = 300;
  SendMouse(MouseAction::LeftDown, {Margin() + column, 100});
  SendMouse(MouseAction::LeftUp, {Margin() + column, 100});

  ASSERT_TRUE(App().frame.segmentSpectrumShown);
  EXPECT_EQ(App().params.displayId, app::ID_DISPLAY_SCOPE1);
  EXPECT_EQ(App().params.scopeLevelMax, 120);
  EXPECT_EQ(App().params.scopeLevelMin, -60);
  EXPECT_TRUE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));
  EXPECT_FALSE(MenuEnabled(app::IDM_CHANGE_PARAMETERS));
  EXPECT_FALSE(ButtonEnabled(app::IDC_PLAY));
  EXPECT_FALSE(ButtonEnabled(app::IDC_PEAK_HOLD));
  EXPECT_EQ(Window().Caption(), app::kSnapshotCaption);
  EXPECT_NEAR(App().render.view.scopeTimeMs, column * a.columnMs, 1e-3);
  EXPECT_EQ(App().display.Width(), App().layout.displayWidth);

  // The curve: one code per scope point, the peak on the tone's row.
  const std::vector<std::int16_t>& curve = App().render.scope.left;
  const int points = App().layout.scopePoints;
  ASSERT_EQ(static_cast<int>(curve.size()), points);
  const auto peak = std::max_element(curve.begin(), curve.end()) - curve.begin();
  EXPECT_NEAR(static_cast<double>(peak), 3000.0 / 24000.0 * points, 1.0);

  // The same level as the column analysis of the sonogram gives, with the
  // scope points as rows, for the column before the click (the last frame
  // of a click without averaging).
  app::CurrentParameters p = App().params;
  StaticAnalysisInput input;
  input.rateHz = 48000;
  input.availableBytes = a.dataLength;
  input.columnStepMs = a.columnMs;
  input.rows = points;
  input.sonogramHeight = points;
  p.beginS = 0.0F;
  p.endS = a.endS;
  p.resolutionHz = a.resolutionHz;
  p.fftSize = a.fftSize;
  const StaticAnalysis plan = PlanStaticAnalysis(p, input);
  ASSERT_TRUE(plan.Ok());
  ColumnAnalysis columns;
  ASSERT_TRUE(columns.Start(plan.columns));
  const std::span<const std::uint8_t> data(a.signal.data() + 68, a.dataLength);
  columns.Analyse(data, column - 1);
  const std::span<const std::int16_t> codes = columns.Codes(0);
  const auto sonogramPeak = std::max_element(codes.begin(), codes.end()) - codes.begin();
  EXPECT_EQ(sonogramPeak, peak);
  EXPECT_NEAR(codes[static_cast<std::size_t>(peak)], curve[static_cast<std::size_t>(peak)], 2);
}

TEST_F(SegmentZoomTest, F6ReturnsFromThePointSpectrumToTheSonogram) {
  AnalyzeTone(3.0);
  const app::AnalysisRecord before = App().analysis;
  SendMouse(MouseAction::LeftDown, {Margin() + 100, 100});
  SendMouse(MouseAction::LeftUp, {Margin() + 100, 100});
  ASSERT_TRUE(App().frame.segmentSpectrumShown);
  SendKey(Qt::Key_F6);
  EXPECT_FALSE(App().frame.segmentSpectrumShown);
  EXPECT_EQ(App().params.displayId, app::ID_DISPLAY_SCROLL1);
  EXPECT_EQ(App().params.scopeLevelMin, -30);
  EXPECT_EQ(App().analysis.columns, before.columns);
  EXPECT_TRUE(MenuEnabled(app::IDM_CHANGE_PARAMETERS));
  EXPECT_FALSE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));
  // The sonogram takes clicks again.
  SendMouse(MouseAction::LeftDown, {Margin() + 120, 100});
  SendMouse(MouseAction::LeftUp, {Margin() + 120, 100});
  EXPECT_TRUE(App().frame.segmentSpectrumShown);
}

TEST_F(SegmentZoomTest, AClickTooNearTheEndShowsNothing) {
  AnalyzeTone(2.0);
  const int last = static_cast<int>(App().analysis.columns) - 1;
  SendMouse(MouseAction::LeftDown, {Margin() + last, 100});
  SendMouse(MouseAction::LeftUp, {Margin() + last, 100});
  EXPECT_FALSE(App().frame.segmentSpectrumShown);
  EXPECT_TRUE(App().params.IsScrollDisplay());
}

TEST_F(SegmentZoomTest, AResizeForgetsThePointSpectrumAndShowsTheSonogramAgain) {
  AnalyzeTone(3.0);
  SendMouse(MouseAction::LeftDown, {Margin() + 100, 100});
  SendMouse(MouseAction::LeftUp, {Margin() + 100, 100});
  ASSERT_TRUE(App().frame.segmentSpectrumShown);
  Resize(950, 620);
  EXPECT_FALSE(App().frame.segmentSpectrumShown);
  EXPECT_EQ(App().params.displayId, app::ID_DISPLAY_SCROLL1);
  EXPECT_EQ(App().params.scopeLevelMin, -30);  // the range it replaced
  EXPECT_TRUE(App().analysis.valid);
}

}  // namespace
}  // namespace sonavue::engines
