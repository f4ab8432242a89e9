#include "dialogs/ParameterDialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "context/CommandIds.h"
#include "plans/ColorRecord.h"
#include "render/Palette.h"
#include "support/AppFixture.h"

namespace sonavue::dialogs {
namespace {

using A = ScrollAction;

class ParameterDialogTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  // Queues an answer that works the model and presses OK (true) or Cancel.
  void Answer(std::function<bool(ParameterDialogModel&)> work) {
    prompts_.QueueDialog([work](platform::ModalDialog& d) {
      return work(static_cast<ParameterDialog&>(d).Model());
    });
  }
  FileDialogInput File(std::int32_t rateHz = 44100, int channels = 1) const {
    FileDialogInput input;
    input.rateHz = rateHz;
    input.channels = channels;
    input.beginS = 0.0F;
    input.endS = 20.0F;
    return input;
  }
};

TEST_F(ParameterDialogTest, TheAnalysisControlsChooseTheAnalyzeDialog) {
  for (int controls : {app::IDM_CONTROLS_ULTRASOUND, app::IDM_CONTROLS_AUTOMATIC,
                       app::IDM_CONTROLS_MANUAL}) {
    App().params.analysisControls = controls;
    Answer([](ParameterDialogModel&) { return false; });
    EXPECT_FALSE(RunAnalyzeDialog(App(), File()));
  }
  EXPECT_EQ(prompts_.Dialogs(), (std::vector<int>{171, 172, 102}));
}

TEST_F(ParameterDialogTest, TheScanDialogsKnowOnlyManualAndAutomatic) {
  std::int32_t trigger = 90;
  for (int controls : {app::IDM_CONTROLS_MANUAL, app::IDM_CONTROLS_AUTOMATIC,
                       app::IDM_CONTROLS_ULTRASOUND}) {
    App().params.analysisControls = controls;
    Answer([](ParameterDialogModel&) { return false; });
    RunScanInputDialog(App(), trigger);
    Answer([](ParameterDialogModel&) { return false; });
    RunScanFileDialog(App(), File());
  }
  EXPECT_EQ(prompts_.Dialogs(), (std::vector<int>{103, 173, 167, 170, 167, 170}));
}

TEST_F(ParameterDialogTest, OkWritesTheParametersAndRebuildsThePalette) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  Answer([](ParameterDialogModel& m) {
    m.Click(app::ID_PALETTE_BW);
    m.Click(app::ID_DISPLAY_SCROLL1);
    m.Scroll(IDC_SCROLL_LEVEL_MAX, A::LineDown);
    m.SetText(IDC_EDIT_BEGIN, "1");
    m.SetText(IDC_EDIT_END, "2.5");
    return true;
  });
  EXPECT_TRUE(RunAnalyzeDialog(App(), File()));
  const app::CurrentParameters& p = App().params;
  EXPECT_EQ(p.paletteId, app::ID_PALETTE_BW);
  EXPECT_EQ(p.displayId, app::ID_DISPLAY_SCROLL1);
  EXPECT_EQ(p.sonogramLevelMax, 80);
  EXPECT_FLOAT_EQ(p.beginS, 1.0F);
  EXPECT_FLOAT_EQ(p.endS, 2.5F);
  EXPECT_EQ(App().render.current, render::kBwColors);
  // The text colour of the grey palette is black.
  EXPECT_EQ(App().colors[render::kTextIndex], (platform::Rgb{0, 0, 0}));
}

TEST_F(ParameterDialogTest, CancelLeavesEveryParameterAsItWas) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  const app::CurrentParameters before = App().params;
  Answer([before](ParameterDialogModel& m) {
    m.Scroll(IDC_SCROLL_LEVEL_MAX, A::Thumb, 40);
    m.Scroll(IDC_SCROLL_LEVEL_MIN, A::Thumb, 170);
    m.Click(app::ID_DISPLAY_SCOPE1);
    m.Scroll(IDC_SCROLL_LEVEL_MIN, A::LineUp);
    m.Click(app::ID_PALETTE_BW);
    m.Scroll(IDC_SCROLL_HIGH_BAND, A::PageUp);
    // The controls hold other values than the stored ones, so OK would
    // change every parameter checked below.
    const DialogValues& v = m.Values();
    EXPECT_NE(v.sonogramMax, before.sonogramLevelMax);
    EXPECT_NE(v.sonogramMin, before.sonogramLevelMin);
    EXPECT_NE(v.levelMin, before.scopeLevelMin);
    EXPECT_NE(v.paletteId, before.paletteId);
    EXPECT_NE(v.displayId, before.displayId);
    EXPECT_NE(v.highHz, before.highBandHz);
    return false;
  });
  std::int32_t trigger = 90;
  EXPECT_FALSE(RunScanInputDialog(App(), trigger));
  const app::CurrentParameters& p = App().params;
  EXPECT_EQ(p.sonogramLevelMax, before.sonogramLevelMax);
  EXPECT_EQ(p.sonogramLevelMin, before.sonogramLevelMin);
  EXPECT_EQ(p.scopeLevelMax, before.scopeLevelMax);
  EXPECT_EQ(p.scopeLevelMin, before.scopeLevelMin);
  EXPECT_EQ(p.paletteId, before.paletteId);
  EXPECT_EQ(p.displayId, before.displayId);
  EXPECT_EQ(p.highBandHz, before.highBandHz);
  EXPECT_EQ(App().render.current, render::kCbColors);
}

// The dialog's part only: the Scan Input command itself still runs with
// recording off, as recording is not built yet.
TEST_F(ParameterDialogTest, TheScanInputDialogStoresTriggerAndHandsBackItsLevel) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  App().params.triggerLevel = 75;
  Answer([](ParameterDialogModel& m) {
    EXPECT_EQ(m.Values().triggerLevel, 75);
    m.Click(app::ID_RECORDING_TRIGGER);
    // 75 + 10 rounded down to a multiple of 10, shown as 80 − 90 dB.
    m.Scroll(IDC_SCROLL_TRIGGER, A::PageUp);
    EXPECT_EQ(m.State(IDC_EDIT_TRIGGER).text, "-10");
    return true;
  });
  EXPECT_TRUE(RunScanInputDialog(App(), App().params.triggerLevel));
  EXPECT_EQ(App().params.triggerLevel, 80);
  EXPECT_EQ(App().params.recordingId, 1124);  // the stored identifier of "Trigger"

  // Cancel hands back neither the mode nor the level.
  App().params.recordingId = app::ID_RECORDING_OFF;
  Answer([](ParameterDialogModel& m) {
    m.Click(app::ID_RECORDING_TRIGGER);
    m.Scroll(IDC_SCROLL_TRIGGER, A::PageUp);
    EXPECT_EQ(m.Values().triggerLevel, 90);
    return false;
  });
  EXPECT_FALSE(RunScanInputDialog(App(), App().params.triggerLevel));
  EXPECT_EQ(App().params.triggerLevel, 80);
  EXPECT_EQ(App().params.recordingId, app::ID_RECORDING_OFF);
}

TEST_F(ParameterDialogTest, ScanFileWritesTheSegmentAndKeepsTheRate) {
  App().params.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
  App().params.sampleRateHz = 48000;
  App().params.cursorFrequencyOffsetHz = 250;
  Answer([](ParameterDialogModel& m) {
    EXPECT_EQ(m.State(IDC_EDIT_END).text, "20.000");
    m.SetText(IDC_EDIT_BEGIN, "3");
    return true;
  });
  EXPECT_TRUE(RunScanFileDialog(App(), File(22050, 2)));
  EXPECT_FLOAT_EQ(App().params.beginS, 3.0F);
  EXPECT_FLOAT_EQ(App().params.endS, 20.0F);
  EXPECT_EQ(App().params.sampleRateHz, 48000);
  // The automatic dialog has no offset control and opens with no cursor
  // offset: the stored 250 Hz is gone.
  EXPECT_EQ(App().params.cursorFrequencyOffsetHz, 0);
}

TEST_F(ParameterDialogTest, TheDialogOpensOnAConsistentResolutionAndCancelKeepsTheStoredOne) {
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  App().params.fftSize = 0;
  App().params.resolutionHz = 0.0F;
  Answer([](ParameterDialogModel& m) {
    const DialogValues& v = m.Values();
    // One to ten bins of the size it opens with.
    const float binHz = 44100.0F / static_cast<float>(v.fftSize);
    EXPECT_GE(v.resolutionHz, binHz);
    EXPECT_LE(v.resolutionHz, 10.0F * binHz);
    // Worked out for the 6000 Hz band over the window's rows, not merely
    // raised to one bin of the smallest size.
    EXPECT_GT(v.fftSize, 512);
    return false;
  });
  EXPECT_FALSE(RunAnalyzeDialog(App(), File()));
  EXPECT_EQ(App().params.fftSize, 0);
  EXPECT_FLOAT_EQ(App().params.resolutionHz, 0.0F);
}

TEST_F(ParameterDialogTest, TheGeometryComesFromTheWindowLayout) {
  // At two window sizes: rows are the display height less two text lines,
  // scope points half of what the client width leaves after 22 average
  // character widths.
  std::vector<int> points;
  for (const auto& [width, height] : {std::pair{900, 600}, std::pair{1300, 700}}) {
    Resize(width, height);
    const app::LayoutValues& v = App().layout;
    const DialogGeometry g = GeometryOf(App());
    EXPECT_EQ(g.displayWidth, v.displayWidth);
    EXPECT_EQ(g.leftMargin, v.leftMargin);
    EXPECT_EQ(g.sonogramRows, v.displayHeight - 2 * v.charHeight);
    const int spare = v.clientWidth - 22 * v.charWidth;
    ASSERT_GT(spare, 2);
    EXPECT_EQ(g.scopePoints, spare / 2);
    points.push_back(g.scopePoints);
  }
  EXPECT_GT(points[1], points[0]);
}

}  // namespace
}  // namespace sonavue::dialogs
