#include "calibration/ResponseCalibration.h"

#include "context/App.h"
#include "context/Boxes.h"
#include "dialogs/CalibrationStatusDialog.h"
#include "engines/CalibrationScan.h"
#include "engines/ScanInput.h"

namespace sonavue::calibration {

void ResponseCalibrateCommand(app::App& app) {
  if (app.frame.calibration != app::CalibrationState::None || app.frame.running || app.frame.engineLoop) return;
  if (app.prompts.MessageBox("Connect broadband white noise source. Then click OK.", app::kCaption,
                             platform::BoxIcon::Warning,
                             platform::BoxButtons::OkCancel) != platform::BoxResult::Ok) {
    return;
  }
  app::CurrentParameters& p = app.params;
  app::CalibrationRun& run = app.calibrationRun;
  const auto previousMono = p.responseMono;
  const auto previousStereo = p.responseStereo;
  p.responseMono.fill(0.0F);
  p.responseStereo.fill(0.0F);
  app.frame.calibration = app::CalibrationState::Response;
  run.responsePass = 0;
  run.secondPassDue = false;
  run.userAveragingId = p.averagingId;
  run.userAveragingScopeMs = p.averagingScopeMs;
  engines::ScanInputRequest(app, engines::kScanResponseCalibration, nullptr);

  // The passes did not complete: a calibration left running would keep the
  // program from closing, and half-measured tables would distort every
  // 48 kHz spectrum; the previous calibration stays.
  if (app.frame.calibration == app::CalibrationState::Response) {
    app.frame.calibration = app::CalibrationState::None;
    p.responseMono = previousMono;
    p.responseStereo = previousStereo;
    p.averagingId = run.userAveragingId;
    p.averagingScopeMs = run.userAveragingScopeMs;
    run.responsePass = 0;
    run.secondPassDue = false;
  }
}

void CalibrationStatusCommand(app::App& app) {
  dialogs::CalibrationStatusDialog dialog(app.params.splDate, app.params.responseDate);
  app.prompts.RunDialog(dialog);
}

}  // namespace sonavue::calibration
