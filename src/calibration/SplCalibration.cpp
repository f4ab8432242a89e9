#include "calibration/SplCalibration.h"

#include <cmath>
#include <memory>

#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Menu.h"
#include "audio/StopAllAudio.h"
#include "calibration/CalibrationSound.h"
#include "dialogs/SplCalibrationDialog.h"
#include "dsp/Rounding.h"
#include "engines/CalibrationScan.h"
#include "engines/ScanInput.h"

namespace sonavue::calibration {
namespace {

using app::App;
using app::CalibrationState;

constexpr int kControlMiddle = 60;
constexpr int kControlMax = 120;

// The menu's check marks and the gain bar follow the parameters.
void ShowCalibrationChoices(App& app) {
  if (app.window == nullptr) return;
  app::SetMenuCheckMarks(app);
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, app.params.gainDb + 30);
  app.window->Invalidate();
}

void ControlChanged(App& app, int control) { app.params.splControl = control; }

void MethodChanged(App& app, int methodId) {
  app.params.splMethodId = methodId;
  const bool playing = CalibrationSoundPlaying(app);
  if (methodId == app::ID_SPL_METHOD_SOURCE && playing) StopCalibrationSound(app);
  if (methodId == app::ID_SPL_METHOD_METER && !playing) StartCalibrationSound(app);
}

}  // namespace

void SplCalibrateCommand(App& app) {
  if (app.frame.calibration != CalibrationState::None || app.frame.running || app.frame.engineLoop) return;
  app::CurrentParameters& p = app.params;
  app::CalibrationRun& run = app.calibrationRun;

  dialogs::SplDialogCallbacks callbacks;
  callbacks.controlChanged = [&app](int control) { ControlChanged(app, control); };
  callbacks.methodChanged = [&app](int methodId) { MethodChanged(app, methodId); };
  callbacks.closed = [&app](bool ok, bool gainLockOn) { FinishSplCalibration(app, ok, gainLockOn); };
  auto dialog = std::make_unique<dialogs::SplCalibrationDialog>(p.splControl, p.splMethodId, callbacks);
  dialogs::SplCalibrationDialog* opened = dialog.get();

  // While the dialog is open the live levels include the SPL factor.
  app.frame.calibration = CalibrationState::Spl;
  run.rememberedEnabled = p.splCalibrated;
  run.rememberedControl = p.splControl;
  run.rememberedLockedGain = p.lockedGainDb;
  p.splCalibrated = true;
  if (app.window != nullptr) app::SetMenuCheckMarks(app);

  run.splDialog = std::move(dialog);
  run.panel = opened;
  app.prompts.OpenModeless(*opened);
  if (opened->Model().MethodId() == app::ID_SPL_METHOD_METER) StartCalibrationSound(app);
  // The dialog may have been closed while a message was shown.
  if (app.frame.calibration != CalibrationState::Spl) return;
  engines::ScanInputRequest(app, engines::kScanSplCalibration, nullptr);
}

void FinishSplCalibration(App& app, bool ok, bool gainLockOn) {
  if (app.frame.calibration != CalibrationState::Spl) return;
  app::CalibrationRun& run = app.calibrationRun;
  app::CurrentParameters& p = app.params;
  if (ok) {
    AcceptSplCalibration(app, gainLockOn);
  } else {
    p.splCalibrated = run.rememberedEnabled;
    p.splControl = run.rememberedControl;
    p.lockedGainDb = run.rememberedLockedGain;
    ShowCalibrationChoices(app);
  }
  StopCalibrationSound(app);
  app.frame.calibration = CalibrationState::None;
  audio::StopAllAudio(app, false);
  if (run.splDialog) app.prompts.CloseModeless(*static_cast<dialogs::SplCalibrationDialog*>(run.splDialog.get()));
  run.panel = nullptr;
}

void AcceptSplCalibration(App& app, bool gainLockOn) {
  app::CurrentParameters& p = app.params;
  p.splDate = engines::CalibrationDateText(app.clock.Today());
  p.lockedGainDb = p.gainDb;
  p.gainLock = gainLockOn ? app::IDM_GAIN_LOCK_ON : app::IDM_GAIN_LOCK_OFF;
  p.splCalibrated = true;
  p.defaultSonogramMin = 30;
  p.defaultSonogramMax = 120;
  p.sonogramLevelMin = 30;
  p.sonogramLevelMax = 120;
  p.scopeLevelMin = -60;
  p.scopeLevelMax = 120;
  ShowCalibrationChoices(app);
}

std::optional<int> ControlForLevel(double measuredDb, double knownDb) {
  if (!std::isfinite(measuredDb) || !std::isfinite(knownDb)) return std::nullopt;
  const double exact = kControlMiddle + knownDb - measuredDb;
  if (exact <= -0.5 || exact >= kControlMax + 0.5) return std::nullopt;
  return static_cast<int>(dsp::RoundHalfAway(exact));
}

double CalibratedLevel(double measuredDb, int control) { return measuredDb + (control - kControlMiddle); }

}  // namespace sonavue::calibration
