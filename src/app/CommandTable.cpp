#include "app/CommandTable.h"

#include "context/Boxes.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "app/LogCommands.h"
#include "app/MainWindow.h"
#include "app/ParameterCommands.h"
#include "app/PointerInput.h"
#include "app/WayCommands.h"
#include "audio/Recording.h"
#include "audio/SaveWave.h"
#include "audio/StopAllAudio.h"
#include "context/ModelessDialogs.h"
#include "dialogs/ColorsDialog.h"
#include "engines/PlayFollow.h"
#include "calibration/ResponseCalibration.h"
#include "calibration/SplCalibration.h"
#include "output/PrintWindow.h"
#include "render/Scope.h"

namespace sonavue::app {
namespace {

constexpr const char* kHelpCaption = "TARN";

void OpenHelp(App& app, const char* file, const char* failure) {
  if (!app.prompts.OpenDocument(app.environment.executableFolder / file)) {
    app.prompts.MessageBox(failure, kHelpCaption, platform::BoxIcon::Warning,
                           platform::BoxButtons::Ok);
  }
}

void ShowAbout(App& app) {
  app.prompts.MessageBox(
      "Sonavue 16\n\nAudio spectrum analyser: sonograms and live spectra of the sound card's "
      "input and of WAV files.\n\nF1 Scan Input, F2 Scan File, F3 Analyze File, F4 Analyze File "
      "Batch.",
      kCaption, platform::BoxIcon::Information, platform::BoxButtons::Ok);
}

// Buttons, and the keys standing for them, act only while the button is
// enabled; PLAY and PLAY WDW also while recording waits for its trigger.
bool ButtonHonoured(App& app, int id) {
  if (app.window->IsButtonEnabled(id)) return true;
  return (id == IDC_PLAY || id == IDC_PLAY_WINDOW) && app.params.recordingId == ID_RECORDING_TRIGGER;
}

// PLAY and PLAY WDW while no scan runs: the signal of the static picture.
void PlayPicture(App& app, int id) {
  if (id == IDC_PLAY && app.frame.scanFilePicture) {
    // The picture a Scan File left behind is played by scanning its file
    // again, as the command line starts it (Scan File's own command).
    SendCommand(app, IDM_SCAN_FILE, kReasonCommandLine);
    return;
  }
  engines::PlayCommand(app, id == IDC_PLAY ? audio::PlayKind::Whole : audio::PlayKind::Window);
}

void ToggleGrid(App& app) {
  app.frame.grid = !app.frame.grid;
  app.window->SetButtonChecked(IDC_GRID, app.frame.grid);
  if (!app.frame.grid && app.params.IsScopeDisplay() && !app.render.scope.reference.exists) {
    render::ClearScopePlot(app);
  }
  app.window->Invalidate();
}

void TogglePeakHold(App& app) {
  app.frame.peakHold = !app.frame.peakHold;
  app.window->SetButtonChecked(IDC_PEAK_HOLD, app.frame.peakHold);
  if (app.frame.peakHold) app.peakHold.assign(app.peakHold.size(), -10000);
  if (app.params.IsScopeDisplay()) render::ClearScopePlot(app);
  app.window->Invalidate();
}

}  // namespace

bool SendCommand(App& app, int id, int reason) {
  if (app.window == nullptr || app.window->IsDestroyed()) return false;
  if (CommandClosesColorsDialog(id)) CloseColorsDialog(app);
  switch (id) {
    case IDM_SCAN_INPUT:
      if (reason == kReasonUser) app.frame.spaceLatch = false;
      ScanInputCommand(app, reason);
      return true;
    case IDM_ANALYZE_FILE:
      AnalyzeFileCommand(app, reason);
      return true;
    case IDM_ANALYZE_BATCH:
      AnalyzeBatchCommand(app);
      return true;
    case IDM_SAVE_IMAGE_WINDOW:
    case IDM_SAVE_IMAGE_ENTIRE:
      SaveScreenImageCommand(app, id == IDM_SAVE_IMAGE_WINDOW ? output::ImageCommand::CurrentWindow
                                                               : output::ImageCommand::EntireSonogram);
      return true;
    case IDM_CHANGE_PARAMETERS:
      ChangeParametersCommand(app, reason);
      return true;
    case IDM_RESTORE_PARAMETERS:
      RestoreParametersCommand(app);
      return true;
    case IDM_LOG_SPECTRUM:
      LogSpectrumCommand(app);
      return true;
    case IDM_LOG_POINTS:
      LogPointsCommand(app);
      return true;
    case IDM_SCAN_FILE:
      ScanFileCommand(app, reason);
      return true;
    case IDM_COLOR_SCALE:
      dialogs::OpenColorsDialog(app);
      return true;
    case IDM_FREQ_MARK_ON:
      FrequencyMarkersCommand(app);
      return true;
    case IDM_SPL_CLEAR:
    case IDM_FR_CLEAR:
    case IDM_CONTROLS_AUTOMATIC:
    case IDM_CONTROLS_MANUAL:
    case IDM_CONTROLS_ULTRASOUND:
    case IDM_POINTER_TARGET_BOX:
    case IDM_POINTER_WHITE_CROSS:
    case IDM_POINTER_BLACK_CROSS:
    case IDM_FREQ_MARK_OFF:
    case IDM_GAIN_LOCK_ON:
    case IDM_GAIN_LOCK_OFF:
    case IDM_VARIABLES_ADJUST:
    case IDM_VARIABLES_FREEZE:
      return RunParameterCommand(app, id);
    case IDM_PRINT_WINDOW:
      output::PrintWindow(app);
      return true;
    case IDM_SPL_CALIBRATE:
      calibration::SplCalibrateCommand(app);
      return true;
    case IDM_FR_CALIBRATE:
      calibration::ResponseCalibrateCommand(app);
      return true;
    case IDM_CAL_STATUS:
      calibration::CalibrationStatusCommand(app);
      return true;
    case IDM_SAVE_WAVE:
      if (!app.frame.running) audio::SaveWave(app);
      return true;
    case IDM_EXIT:
      HandleClose(app);
      return true;
    case IDM_QUICK_START_DISPLAY:
      OpenHelp(app, kQuickStartDisplayFile, "Adobe Reader must be installed to read Quick Start.");
      return true;
    case IDM_QUICK_START_SOUNDCARD:
      OpenHelp(app, kQuickStartSoundCardFile, "Adobe Reader must be installed to read Help.");
      return true;
    case IDM_HELP_TOPICS:
      OpenHelp(app, kHelpTopicsFile, "Adobe Reader must be installed to read Help.");
      return true;
    case IDM_ABOUT:
      ShowAbout(app);
      return true;
    case IDC_PLAY:
    case IDC_PLAY_WINDOW:
      // While Scan Input records ("On" or "Trigger"), the pair is SAVE and
      // STOP SAVE.
      if (app.frame.inputOpen && audio::RecordingEnabled(app)) {
        if (ButtonHonoured(app, id)) {
          if (id == IDC_PLAY) {
            audio::PressSave(app);
          } else {
            audio::PressStopSave(app);
          }
        }
        return true;
      }
      // While no scan runs the pair plays the picture's signal; while a
      // scope scans, it captures and clears the reference spectrum.
      if (ButtonHonoured(app, id) && !app.frame.IsScanning()) {
        PlayPicture(app, id);
      } else if (ButtonHonoured(app, id) && app.frame.IsScanning() && app.params.IsScopeDisplay() &&
                 app.params.recordingId == ID_RECORDING_OFF) {
        if (id == IDC_PLAY) {
          render::RequestReferenceCapture(app);
        } else {
          render::ClearReference(app);
        }
      }
      return true;
    case IDC_STOP:
      if (ButtonHonoured(app, id) && app.frame.calibration == CalibrationState::None) {
        if (app.batch.running) app.batch.StopAfterCurrent();
        audio::StopAllAudio(app, false);
      }
      return true;
    case IDC_GRID:
      if (ButtonHonoured(app, id)) ToggleGrid(app);
      return true;
    case IDC_PEAK_HOLD:
      if (ButtonHonoured(app, id)) TogglePeakHold(app);
      return true;
    default:
      return false;
  }
}

void PostCommand(App& app, int id, int reason) {
  app.pump.Post({platform::MessageKind::Command, id, reason});
}

}  // namespace sonavue::app
