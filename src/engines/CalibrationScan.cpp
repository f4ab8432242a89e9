#include "engines/CalibrationScan.h"

#include <algorithm>
#include <cstdio>

#include "context/App.h"
#include "context/CommandIds.h"
#include "audio/StopAllAudio.h"
#include "dsp/ResponseCorrection.h"
#include "plans/ScopeCurves.h"
#include "plans/ScopeScales.h"
#include "plans/PaletteIndex.h"
#include "render/Panels.h"
#include "render/Scope.h"

namespace sonavue::engines {
namespace {

using app::App;
using app::CalibrationState;

// The SPL run: a quick scope that follows the level while the control moves.
constexpr std::int32_t kSplAveragingMs = 200;
constexpr float kSplResolutionHz = 20.0F;
constexpr std::int32_t kSplFftSize = 4096;
// The response run: 10 s of averaging at the finest resolution.
constexpr std::int32_t kResponseAveragingMs = 10000;
constexpr std::int32_t kResponseFftSize = 16384;
constexpr std::int32_t kCalibrationRateHz = 48000;

void PresetCommon(App& app) {
  app::CurrentParameters& p = app.params;
  p.lowBandHz = 20;
  p.highBandHz = 24000;
  p.scopeLevelMin = -60;
  p.scopeLevelMax = 120;
  p.resolutionId = app::ID_BITS_16;
  p.sampleRateHz = kCalibrationRateHz;
  p.sampleRateId = app::ID_RATE_48K;
  p.displayId = app::ID_DISPLAY_SCOPE1;
  p.wayOfWorking = 9;
  p.plotTypeId = app::ID_PLOT_SIGNAL;
  p.frequencyScaleId = app::ID_SCALE_LOG;
  p.averagingId = app::ID_AVERAGING_MSEC;
  p.recordingId = app::ID_RECORDING_OFF;
  app.frame.grid = false;
  if (app.window) app.window->SetButtonChecked(app::IDC_GRID, false);
}

}  // namespace

void PresetCalibrationScan(App& app, int reason) {
  app::CurrentParameters& p = app.params;
  if (reason == kScanSplCalibration) {
    PresetCommon(app);
    p.typeId = app::ID_TYPE_MONO;
    p.averagingScopeMs = kSplAveragingMs;
    p.resolutionHz = kSplResolutionHz;
    p.fftSize = kSplFftSize;
  } else if (reason == kScanResponseCalibration) {
    app::CalibrationRun& run = app.calibrationRun;
    if (run.responsePass == 0) {
      run.userAveragingId = p.averagingId;
      run.userAveragingScopeMs = p.averagingScopeMs;
    }
    PresetCommon(app);
    p.averagingScopeMs = kResponseAveragingMs;
    p.fftSize = kResponseFftSize;
    p.resolutionHz = static_cast<float>(kCalibrationRateHz) / static_cast<float>(kResponseFftSize);
    if (run.responsePass == 0) {
      p.typeId = app::ID_TYPE_STEREO;
      p.channelsId = app::ID_CHANNELS_LEFT;
    } else {
      p.typeId = app::ID_TYPE_MONO;
    }
  }
}

std::string CalibrationDateText(const platform::CalendarDate& date) {
  char text[40];
  std::snprintf(text, sizeof text, "%d/%d/%d", date.month, date.day, date.year);
  return text;
}

void PrepareResponseTables(App& app) {
  if (app.frame.calibration == CalibrationState::Response) return;
  dsp::ReplaceAllZeroTableByOnes(app.params.responseMono);
  dsp::ReplaceAllZeroTableByOnes(app.params.responseStereo);
}

std::span<float> StartResponseMeasurement(App& app) {
  if (app.frame.calibration != CalibrationState::Response) return {};
  // A pass that starts again (after a resize) measures afresh.
  auto& table = app.calibrationRun.responsePass == 0 ? app.params.responseStereo : app.params.responseMono;
  table.fill(0.0F);
  return table;
}

bool ResponsePassDue(const App& app, std::uint32_t sinceStartMs) {
  return app.frame.calibration == CalibrationState::Response &&
         static_cast<std::int64_t>(sinceStartMs) >= static_cast<std::int64_t>(app.params.averagingScopeMs);
}

bool FinishResponsePass(App& app, std::int64_t frames) {
  app::CalibrationRun& run = app.calibrationRun;
  app::CurrentParameters& p = app.params;
  if (run.responsePass == 0) {
    dsp::FinishResponseTable(p.responseStereo, frames);
    run.secondPassDue = true;
    audio::StopAllAudio(app, false);
    return false;
  }
  dsp::FinishResponseTable(p.responseMono, frames);
  p.averagingId = run.userAveragingId;
  p.averagingScopeMs = run.userAveragingScopeMs;
  run.responsePass = 0;
  app.frame.calibration = CalibrationState::None;
  p.responseDate = CalibrationDateText(app.clock.Today());
  render::DrawInfoPanel(app, app.render.view.analysisRateHz);
  return true;
}

void AbandonResponseCalibration(App& app) {
  if (app.frame.calibration != CalibrationState::Response) return;
  app::CalibrationRun& run = app.calibrationRun;
  app::CurrentParameters& p = app.params;
  auto& table = run.responsePass == 0 ? p.responseStereo : p.responseMono;
  table.fill(0.0F);
  p.averagingId = run.userAveragingId;
  p.averagingScopeMs = run.userAveragingScopeMs;
  run.responsePass = 0;
  run.secondPassDue = false;
  app.frame.calibration = CalibrationState::None;
}

bool CalibratingCaption::Prepare(App& app) {
  const render::ScopeGeometry g = render::ComputeScopeGeometry(render::ScopeGeometryInputFor(app, 1.0F));
  const platform::FontSpec& font = app.layout.font;
  const int width = platform::TextWidth(font, kCalibratingCaption);
  origin_ = render::DeltaCaptionOrigin(g, width);
  if (!image_.Allocate(std::max(1, width), std::max(1, g.textHeight))) return false;
  image_.BindColors(&app.colors);
  image_.FillRectIndex({0, 0, image_.Width(), image_.Height()}, render::kBackgroundIndex);
  image_.TextIndex({0, 0}, kCalibratingCaption, font, render::kTextIndex);
  return true;
}

void CalibratingCaption::Draw(App& app) const {
  if (image_.IsNull()) return;
  app.display.Blit(origin_, image_, {0, 0, image_.Width(), image_.Height()});
}

void CalibratingCaption::Erase(App& app) const {
  if (image_.IsNull() || app.display.IsNull()) return;
  app.display.FillRectIndex({origin_.x, origin_.y, image_.Width(), image_.Height()}, render::kBackgroundIndex);
}

}  // namespace sonavue::engines
