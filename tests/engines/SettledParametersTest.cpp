// How the ways of working settle their parameters: the scale's own
// automatic resolution in a live scan, the scan parameter set kept apart
// from the file analysis, and the Analyze dialog's channel choice.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dialogs/ParameterDialog.h"
#include "dsp/ParameterRules.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

class SettledParametersTest : public sonavue::testing::LiveScanFixture {
 protected:
  std::filesystem::path Silence(const std::string& name, int channels, double seconds) {
    const auto path = *folders_ / name;
    const auto bytes = static_cast<std::size_t>(48000 * seconds) * 2U * static_cast<std::size_t>(channels);
    WavBuilder().Format(1, static_cast<std::uint16_t>(channels), 48000, 16).Data(std::vector<std::uint8_t>(bytes, 0)).Write(path);
    return path;
  }
};

TEST_F(SettledParametersTest, ALiveLogScanFromTheCommandLineGetsTheLogResolution) {
  App().params.frequencyScaleId = app::ID_SCALE_LOG;
  App().commandLine = {true, 100, 8000, 5.0F};
  StopAt(400);
  SendCommand(app::IDM_SCAN_INPUT, app::kReasonUser);
  // The logarithmic scales analyse at 20 Hz whatever the band and step.
  EXPECT_FLOAT_EQ(App().params.resolutionHz, 20.0F);
  EXPECT_EQ(App().params.fftSize, dsp::FftSizeForResolution(48000.0F, 20.0F));
}

TEST_F(SettledParametersTest, ScanInputKeepsItsOwnBandApartFromTheFileAnalysis) {
  app::CurrentParameters& p = App().params;
  p.sampleRateHz = 48000;
  p.scan = {300, 9000, 2048, 40.0F, 4.0F};
  prompts_.QueueFile({Silence("quiet.wav", 1, 2.0).string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_EQ(p.highBandHz, 24000);  // the file's band

  float liveWidthS = 0.0F;
  devices_.SetTickHook([this, &liveWidthS](std::uint32_t now) {
    if (App().frame.inputOpen) liveWidthS = App().params.displayWidthS;
    if (now >= 400 && App().frame.inputOpen) app::PostCommand(App(), app::IDC_STOP);
  });
  SendCommand(app::IDM_SCAN_INPUT, app::kReasonUser);
  devices_.SetTickHook({});
  // The live run used the scan set, not the band the analysis left.
  EXPECT_EQ(p.lowBandHz, 300);
  EXPECT_EQ(p.highBandHz, 9000);
  EXPECT_EQ(p.fftSize, 2048);
  EXPECT_FLOAT_EQ(p.resolutionHz, 40.0F);
  EXPECT_FLOAT_EQ(liveWidthS, 4.0F);
  TakeBoxes();
}

TEST_F(SettledParametersTest, WhatALiveScanSettlesIsStoredInTheScanSet) {
  app::CurrentParameters& p = App().params;
  p.scan = {0, 30000, 0, 0.0F, 3.0F};  // band past the rate, no valid resolution
  p.sampleRateHz = 22050;
  StopAt(400);
  SendCommand(app::IDM_SCAN_INPUT, app::kReasonUser);
  TakeBoxes();
  EXPECT_EQ(p.scan.highBandHz, 11025);
  EXPECT_EQ(p.scan.fftSize, p.fftSize);
  EXPECT_GT(p.scan.fftSize, 0);
  EXPECT_FLOAT_EQ(p.scan.resolutionHz, p.resolutionHz);
  EXPECT_TRUE(dsp::ResolutionIsValid(22050.0F, p.scan.fftSize, p.scan.resolutionHz));
  EXPECT_FLOAT_EQ(p.scan.displayWidthS, 3.0F);
}

TEST_F(SettledParametersTest, DualChosenInTheAnalyzeDialogLaysTheStereoFileOutInHalves) {
  App().params.variables = app::IDM_VARIABLES_ADJUST;
  App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
  App().params.channelsId = app::ID_CHANNELS_LEFT;
  App().params.displayWidthS = 2.0F;
  prompts_.QueueFile({Silence("stereo.wav", 2, 3.0).string()});
  prompts_.QueueDialog([](platform::ModalDialog& d) {
    static_cast<dialogs::ParameterDialog&>(d).Model().Click(app::ID_CHANNELS_DUAL);
    return true;
  });
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(App().params.channelsId, app::ID_CHANNELS_DUAL);
  EXPECT_TRUE(a.dual);
  const int halves = App().layout.displayWidth - 2 * App().layout.leftMargin;
  EXPECT_FLOAT_EQ(a.columnMs, App().params.displayWidthS * 2000.0F / static_cast<float>(halves));
}

TEST_F(SettledParametersTest, ARefusedAnalysisLeavesThePreviousPictureWithItsSignalAndLevels) {
  App().params.displayWidthS = 2.0F;
  prompts_.QueueFile({Silence("good.wav", 1, 2.0).string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_TRUE(a.valid);
  const std::size_t signalBytes = a.signal.size();
  const std::size_t levels = a.totalLevels[0].size();
  const int width = App().display.Width();
  ASSERT_GT(levels, 0U);

  // A file shorter than one frame is refused after it was opened and read.
  prompts_.QueueFile({Silence("short.wav", 1, 0.005).string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Time Scale Too Small");
  EXPECT_TRUE(a.valid);
  EXPECT_EQ(a.signal.size(), signalBytes);
  EXPECT_EQ(a.totalLevels[0].size(), levels);
  EXPECT_EQ(App().display.Width(), width);
  EXPECT_EQ(App().frame.fileName, (*folders_ / "good.wav").string());
}

}  // namespace
}  // namespace sonavue::engines
