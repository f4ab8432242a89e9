// The SPL factor in every engine: a known tone reads its level moved by the
// control's decibels, the same in a static analysis, a live scan and a file
// scan.

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::calibration {
namespace {

using sonavue::testing::WavBuilder;

// A sine of 8000 units: 20·log10(8000/√2) = 75.05 dB.
const double kToneDb = 20.0 * std::log10(8000.0 / std::sqrt(2.0));

class SplFactorTest : public sonavue::testing::LiveScanFixture {
 protected:
  void Calibrate(int control) {
    app::CurrentParameters& p = App().params;
    p.splCalibrated = true;
    p.splDate = "3/7/2026";
    p.splControl = control;
  }
  // The mean frame level of a 3 s 1 kHz tone analysed as a file.
  double FileLevel() {
    const auto path = *folders_ / "tone.wav";
    std::vector<std::int16_t> samples(48000 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2.0 * M_PI * 1000.0 * i / 48000.0)));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    App().params.displayId = app::ID_DISPLAY_SCROLL1;
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    const auto& levels = App().analysis.totalLevels[0];
    EXPECT_FALSE(levels.empty());
    return std::accumulate(levels.begin(), levels.end(), 0.0) / static_cast<double>(levels.size());
  }
  // The level a file scan of the same tone traces for one of its columns.
  double ScanFileLevel() {
    const auto path = *folders_ / "scan.wav";
    std::vector<std::int16_t> samples(48000 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2.0 * M_PI * 1000.0 * i / 48000.0)));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    app::CurrentParameters& p = App().params;
    p.displayId = app::ID_DISPLAY_SCROLL1;
    p.frequencyScaleId = app::ID_SCALE_LINEAR;
    p.scan = {0, 8000, 1024, 100.0F, 2.0F};
    const std::uint32_t start = clock_.NowMs();
    double level = 0.0;
    devices_.SetTickHook([this, start, &level](std::uint32_t now) {
      const auto& trace = App().render.view.levelTraceLeft;
      if (level == 0.0 && now >= start + 1500 && trace.size() > 20) level = trace[20];
    });
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_SCAN_FILE);
    devices_.SetTickHook({});
    return level;
  }
  // The 20-frame mean level of a live scope of the same tone.
  double LiveLevel() {
    App().params.displayId = app::ID_DISPLAY_SCOPE1;
    app::StoreScanParameters(App().params);
    double level = 0.0;
    RunScan(clock_.NowMs() + 1500, [this, &level](std::uint32_t) {
      if (App().frame.inputOpen && App().scanStats.frames > 30) level = App().render.view.frameTotalLevelDb;
    });
    return level;
  }
};

TEST_F(SplFactorTest, TheControlMovesEveryLevelByItsDecibelsInEachEngine) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  EXPECT_NEAR(FileLevel(), kToneDb, 0.05);
  EXPECT_NEAR(LiveLevel(), kToneDb, 0.1);
  EXPECT_NEAR(ScanFileLevel(), kToneDb, 0.1);
  for (const int control : {60, 80, 0}) {
    Calibrate(control);
    const double shift = control - 60;
    EXPECT_NEAR(FileLevel(), kToneDb + shift, 0.05) << control;
    EXPECT_NEAR(LiveLevel(), kToneDb + shift, 0.1) << control;
    EXPECT_NEAR(ScanFileLevel(), kToneDb + shift, 0.1) << control;
  }
}

TEST_F(SplFactorTest, TheGainSettingActsBeforeTheSplFactor) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  Calibrate(90);
  App().params.gainDb = 10;  // the gain factor 10^(−10/20)
  EXPECT_NEAR(FileLevel(), kToneDb - 10.0 + 30.0, 0.05);
  EXPECT_NEAR(LiveLevel(), kToneDb - 10.0 + 30.0, 0.1);
}

}  // namespace
}  // namespace sonavue::calibration
