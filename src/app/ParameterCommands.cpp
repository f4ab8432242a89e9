#include "app/ParameterCommands.h"

#include "context/Boxes.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Menu.h"

namespace sonavue::app {
namespace {


void SetGainScrollBar(App& app) {
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, app.params.gainDb + 30);
}

}  // namespace

void ClearSplCalibration(App& app) {
  CurrentParameters& p = app.params;
  p.splDate.clear();
  p.gainLock = IDM_GAIN_LOCK_OFF;
  p.splCalibrated = false;
  p.defaultSonogramMin = 0;
  p.defaultSonogramMax = 90;
  p.lockedGainDb = 0;
  p.splControl = 60;
  p.sonogramLevelMin = 0;
  p.sonogramLevelMax = 90;
  p.scopeLevelMin = -60;
  p.scopeLevelMax = 120;
  SetMenuCheckMarks(app);
  app.window->Invalidate();
}

bool ConfirmGainMove(App& app) {
  CurrentParameters& p = app.params;
  if (p.gainLock != IDM_GAIN_LOCK_ON) return true;
  SetGainScrollBar(app);
  if (app.prompts.MessageBox("Preferences - SPL Cal Gain Lock is \"On\".\n  Do you wish to unlock gain control?",
                             kCaption, platform::BoxIcon::Warning,
                             platform::BoxButtons::YesNo) != platform::BoxResult::Yes) {
    return false;
  }
  p.gainLock = IDM_GAIN_LOCK_OFF;
  SetMenuCheckMarks(app);
  return true;
}

bool RunParameterCommand(App& app, int id) {
  CurrentParameters& p = app.params;
  switch (id) {
    case IDM_VARIABLES_ADJUST:
      if (p.variables == IDM_VARIABLES_FREEZE) {
        p.variables = IDM_VARIABLES_ADJUST;
        SetVariablesCheckMarks(app);
      }
      return true;
    case IDM_VARIABLES_FREEZE:
      if (p.variables == IDM_VARIABLES_ADJUST &&
          app.prompts.MessageBox(
              "This action will freeze processing parameters at current settings\n"
              "             and bypass the control panel for entry of settings.",
              kCaption, platform::BoxIcon::Warning,
              platform::BoxButtons::OkCancel) == platform::BoxResult::Ok) {
        p.variables = IDM_VARIABLES_FREEZE;
        SetVariablesCheckMarks(app);
      }
      return true;
    case IDM_CONTROLS_AUTOMATIC:
    case IDM_CONTROLS_MANUAL:
      p.analysisControls = id;
      SetMenuCheckMarks(app);
      return true;
    case IDM_CONTROLS_ULTRASOUND:
      p.analysisControls = id;
      SetMenuCheckMarks(app);
      if (p.splCalibrated) {
        Warn(app, "SPL Calibration turned off for Ultrasound.");
        ClearSplCalibration(app);
      }
      return true;
    case IDM_GAIN_LOCK_ON:
      p.gainLock = IDM_GAIN_LOCK_ON;
      p.splCalibrated = true;
      p.gainDb = p.lockedGainDb;
      SetGainScrollBar(app);
      SetMenuCheckMarks(app);
      return true;
    case IDM_GAIN_LOCK_OFF:
      p.gainLock = IDM_GAIN_LOCK_OFF;
      SetMenuCheckMarks(app);
      return true;
    case IDM_SPL_CLEAR:
      ClearSplCalibration(app);
      return true;
    case IDM_FR_CLEAR:
      p.responseMono.fill(0.0F);
      p.responseStereo.fill(0.0F);
      p.responseDate.clear();
      return true;
    case IDM_POINTER_TARGET_BOX:
    case IDM_POINTER_WHITE_CROSS:
    case IDM_POINTER_BLACK_CROSS:
      p.pointerShape = id - IDM_POINTER_TARGET_BOX + 1;
      SetMenuCheckMarks(app);
      app.window->SetPointerShape(p.pointerShape);
      return true;
    case IDM_FREQ_MARK_OFF:
      p.frequencyMarker1Hz = 0;
      p.frequencyMarker2Hz = 0;
      SetMenuCheckMarks(app);
      app.window->Invalidate();
      return true;
    default:
      return false;
  }
}

}  // namespace sonavue::app
