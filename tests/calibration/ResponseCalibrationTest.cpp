// The frequency response calibration: two live passes against white noise,
// their factors, the refusals, and where the correction applies.

#include "calibration/ResponseCalibration.h"

#include <gtest/gtest.h>

#include <Qt>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dsp/Fft.h"
#include "dsp/ResponseCorrection.h"
#include "support/LiveScanFixture.h"

namespace sonavue::calibration {
namespace {

// Entries of the correction table for a band of frequencies (Hz), inside it
// by a margin of two entries so that window leakage at the edges is left out.
std::vector<float> Entries(const std::array<float, app::kResponseBins>& table, double lowHz, double highHz) {
  std::vector<float> out;
  for (int i = 0; i < app::kResponseBins; ++i) {
    const double f = i * 11.71875;
    if (f >= lowHz + 2 * 11.71875 && f <= highHz - 2 * 11.71875) out.push_back(table[static_cast<std::size_t>(i)]);
  }
  return out;
}

float Median(std::vector<float> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Mono 16-bit white noise of 2^19 samples (longer than a pass) with two
// notches: 3 … 4 kHz lowered by 6.02 dB and 8 … 9 kHz by 20 dB.
std::vector<std::int16_t> NotchedNoise() {
  constexpr int kN = 1 << 19;
  std::vector<float> data(2 * kN, 0.0F);
  std::uint32_t state = 12345;
  for (int k = 1; k < kN / 2; ++k) {
    state = state * 1664525U + 1013904223U;
    const double phase = 2.0 * std::numbers::pi * (state >> 8) / 16777216.0;
    const double f = k * 48000.0 / kN;
    double gain = 1.0;
    if (f >= 3000.0 && f <= 4000.0) gain = 0.5;
    if (f >= 8000.0 && f <= 9000.0) gain = 0.1;
    data[2 * k] = static_cast<float>(gain * std::cos(phase));
    data[2 * k + 1] = static_cast<float>(gain * std::sin(phase));
    data[2 * (kN - k)] = data[2 * k];
    data[2 * (kN - k) + 1] = -data[2 * k + 1];
  }
  dsp::ComplexFft(data, kN, +1);
  double squares = 0.0;
  for (int j = 0; j < kN; ++j) squares += static_cast<double>(data[2 * j]) * data[2 * j];
  const double scale = 4000.0 / std::sqrt(squares / kN);
  std::vector<std::int16_t> samples(kN);
  for (int j = 0; j < kN; ++j) samples[j] = static_cast<std::int16_t>(std::lround(data[2 * j] * scale));
  return samples;
}

class ResponseCalibrationTest : public sonavue::testing::LiveScanFixture {
 protected:
  void SetUp() override {
    LiveScanFixture::SetUp();
    App().params.averagingId = app::ID_AVERAGING_MSEC;
    App().params.averagingScopeMs = 300;
  }

  // Confirms the noise source and lets both passes run; STOP is pressed
  // once the plain scan that follows has run for a second. hook sees every
  // clock tick meanwhile.
  void Calibrate(std::function<void(std::uint32_t)> hook = {}) {
    auto finishedAt = std::make_shared<std::uint32_t>(0);
    devices_.SetTickHook([this, hook, finishedAt](std::uint32_t now) {
      if (hook) hook(now);
      if (App().frame.calibration == app::CalibrationState::None && App().frame.inputOpen) {
        if (*finishedAt == 0) *finishedAt = now;
        if (now - *finishedAt >= 1000) app::PostCommand(App(), app::IDC_STOP);
      }
    });
    prompts_.QueueBoxAnswer(platform::BoxResult::Ok);
    SendCommand(app::IDM_FR_CALIBRATE);
    devices_.SetTickHook({});
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "Connect broadband white noise source. Then click OK.");
    EXPECT_EQ(boxes[0].caption, "Sonavue");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
    EXPECT_EQ(boxes[0].buttons, platform::BoxButtons::OkCancel);
  }
};

TEST_F(ResponseCalibrationTest, WhiteNoiseGivesFactorsNearOneAndTheDate) {
  devices_.SetSource({platform::SignalSource::Kind::Noise, 0.0, 8000.0, -1.0, {}});
  clock_.SetToday({2026, 11, 23});
  int stereoFrames = 0;
  int monoFrames = 0;
  bool keysIgnored = false;
  Calibrate([&](std::uint32_t) {
    if (App().frame.calibration != app::CalibrationState::Response || !App().frame.inputOpen) return;
    const app::CurrentParameters& p = App().params;
    if (App().calibrationRun.responsePass == 0) {
      ++stereoFrames;
      EXPECT_EQ(p.typeId, app::ID_TYPE_STEREO);
      EXPECT_EQ(p.channelsId, app::ID_CHANNELS_LEFT);
      if (!keysIgnored && stereoFrames == 100) {
        app::SendCommand(App(), app::IDC_STOP);
        Window().SendKey(Qt::Key_Escape);
        keysIgnored = App().frame.inputOpen;
      }
    } else {
      ++monoFrames;
      EXPECT_EQ(p.typeId, app::ID_TYPE_MONO);
    }
    EXPECT_EQ(p.fftSize, 16384);
    EXPECT_EQ(p.averagingScopeMs, 10000);
    EXPECT_EQ(p.sampleRateHz, 48000);
  });
  EXPECT_TRUE(keysIgnored);
  EXPECT_GT(stereoFrames, 100);
  EXPECT_GT(monoFrames, 100);
  const app::CurrentParameters& p = App().params;
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_EQ(p.responseDate, "11/23/2026");
  // The user's averaging is back.
  EXPECT_EQ(p.averagingId, app::ID_AVERAGING_MSEC);
  EXPECT_EQ(p.averagingScopeMs, 300);
  for (const auto* table : {&p.responseStereo, &p.responseMono}) {
    // The strongest entry keeps 1; the others are lifted a little to it.
    const std::vector<float> factors = Entries(*table, 50.0, 23000.0);
    EXPECT_FLOAT_EQ(*std::min_element(factors.begin(), factors.end()), 1.0F);
    EXPECT_LT(*std::max_element(factors.begin(), factors.end()), 1.6F);
    EXPECT_LT(Median(factors), 1.3F);
  }
}

TEST_F(ResponseCalibrationTest, ANotchInTheNoiseGetsTheMatchingCorrectionUpToFour) {
  devices_.SetSource({platform::SignalSource::Kind::Samples, 0.0, 32767.0, -1.0, NotchedNoise()});
  Calibrate();
  const auto& mono = App().params.responseMono;
  const float flat = Median(Entries(mono, 500.0, 2500.0));
  const float sixDb = Median(Entries(mono, 3000.0, 4000.0));
  EXPECT_NEAR(sixDb / flat, 2.0F, 0.2F);
  // 20 dB down would need a factor of 10; it is limited to 4.
  for (float f : Entries(mono, 8000.0, 9000.0)) EXPECT_FLOAT_EQ(f, 4.0F);
  // The stereo pass measured the same noise on its left channel.
  const auto& stereo = App().params.responseStereo;
  EXPECT_NEAR(Median(Entries(stereo, 3000.0, 4000.0)) / Median(Entries(stereo, 500.0, 2500.0)), 2.0F, 0.2F);
}

TEST_F(ResponseCalibrationTest, CancelAtTheQuestionChangesNothing) {
  App().params.responseMono.fill(1.5F);
  App().params.responseDate = "1/1/2026";
  prompts_.QueueBoxAnswer(platform::BoxResult::Cancel);
  SendCommand(app::IDM_FR_CALIBRATE);
  TakeBoxes();
  EXPECT_EQ(App().params.responseMono[10], 1.5F);
  EXPECT_EQ(App().params.responseDate, "1/1/2026");
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_FALSE(App().frame.inputOpen);
}

TEST_F(ResponseCalibrationTest, WithoutAnInputThePreviousCalibrationStays) {
  devices_.RefuseFormats(true);
  App().params.responseMono.fill(1.5F);
  App().params.responseStereo.fill(2.5F);
  App().params.responseDate = "1/1/2026";
  prompts_.QueueBoxAnswer(platform::BoxResult::Ok);
  SendCommand(app::IDM_FR_CALIBRATE);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 2U);
  EXPECT_EQ(boxes[1].text, "Cannot Open Audio Device");
  EXPECT_EQ(App().frame.calibration, app::CalibrationState::None);
  EXPECT_EQ(App().params.responseMono[10], 1.5F);
  EXPECT_EQ(App().params.responseStereo[10], 2.5F);
  EXPECT_EQ(App().params.responseDate, "1/1/2026");
  EXPECT_EQ(App().params.averagingScopeMs, 300);
  // The program can be closed again.
  Close();
  EXPECT_TRUE(Window().IsDestroyed());
}

// A tone's scope level with a correction of 2 (+6.02 dB) everywhere.
class ResponseCorrectionInScanTest : public sonavue::testing::LiveScanFixture {
 protected:
  std::int16_t ToneCode(int rateHz) {
    app::CurrentParameters& p = App().params;
    p.displayId = app::ID_DISPLAY_SCOPE1;
    p.sampleRateHz = rateHz;
    p.sampleRateId = rateHz == 48000 ? app::ID_RATE_48K : app::ID_RATE_44K;
    p.highBandHz = 8000;
    p.fftSize = 4096;
    p.resolutionHz = static_cast<float>(rateHz) / 4096.0F;
    app::StoreScanParameters(p);
    RunScan(clock_.NowMs() + 1000);
    const auto& codes = App().render.scope.left;
    return *std::max_element(codes.begin(), codes.end());
  }
};

TEST_F(ResponseCorrectionInScanTest, TheCorrectionAppliesAtFortyEightKilohertzOnly) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  const std::int16_t plain48 = ToneCode(48000);
  const std::int16_t plain44 = ToneCode(44100);
  App().params.responseMono.fill(2.0F);
  App().params.responseDate = "3/7/2026";
  EXPECT_NEAR(ToneCode(48000) - plain48, 24, 1);  // 6.02 dB in quarter decibels
  EXPECT_EQ(ToneCode(44100), plain44);
}

TEST_F(ResponseCorrectionInScanTest, AfterClearTheNextScanHasNoCorrection) {
  App().params.responseMono.fill(2.0F);
  App().params.responseDate = "3/7/2026";
  SendCommand(app::IDM_FR_CLEAR);
  EXPECT_TRUE(App().params.responseDate.empty());
  EXPECT_EQ(App().params.responseMono[0], 0.0F);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  ToneCode(48000);
  // The engine's start made the cleared tables "no correction".
  for (float f : App().params.responseMono) ASSERT_EQ(f, 1.0F);
  for (float f : App().params.responseStereo) ASSERT_EQ(f, 1.0F);
}

}  // namespace
}  // namespace sonavue::calibration
