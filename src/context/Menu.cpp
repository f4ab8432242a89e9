#include "context/Menu.h"

#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Layout.h"

namespace sonavue::app {

using platform::MenuItemSpec;

platform::MenuBarSpec BuildMainMenu() {
  const MenuItemSpec separator{};
  MenuItemSpec function{0, "&Function", {
      {IDM_SCAN_INPUT, "F1 - Scan Input", {}},
      {IDM_SCAN_FILE, "F2 - Scan File", {}},
      {IDM_ANALYZE_FILE, "F3 - Analyze File", {}},
      {IDM_ANALYZE_BATCH, "F4 - Analyze File Batch", {}},
      separator,
      {IDM_CHANGE_PARAMETERS, "F5 - Change Parameters", {}},
      {IDM_RESTORE_PARAMETERS, "F6 - Restore Parameters", {}},
      {IDM_COLOR_SCALE, "F7 - Spectrum Color Scale", {}},
      separator,
      {IDM_LOG_SPECTRUM, "Log Spectrum", {}},
      {IDM_LOG_POINTS, "Log Points", {}},
      separator,
      {IDM_SAVE_WAVE, "Save Wave", {}},
      {0, "Save Screen Image", {
          {IDM_SAVE_IMAGE_WINDOW, "Current Window", {}},
          {IDM_SAVE_IMAGE_ENTIRE, "Entire Sonavue", {}},
      }},
      {IDM_PRINT_WINDOW, "Print Window", {}},
      separator,
      {0, "Sound Pressure Level Cal", {
          {IDM_SPL_CALIBRATE, "Calibrate", {}},
          {IDM_SPL_CLEAR, "Clear", {}},
      }},
      {0, "Frequency Response Cal", {
          {IDM_FR_CALIBRATE, "Calibrate", {}},
          {IDM_FR_CLEAR, "Clear", {}},
      }},
      {IDM_CAL_STATUS, "Calibration Status", {}},
      separator,
      {IDM_EXIT, "Exit", {}},
  }};
  MenuItemSpec preferences{0, "&Preferences", {
      {0, "Analysis Controls", {
          {IDM_CONTROLS_AUTOMATIC, "Automatic Controls", {}},
          {IDM_CONTROLS_MANUAL, "Manual Controls", {}},
          {IDM_CONTROLS_ULTRASOUND, "Ultrasound Controls", {}},
      }},
      {0, "Display Pointers", {
          {IDM_POINTER_TARGET_BOX, "Target Box", {}},
          {IDM_POINTER_WHITE_CROSS, "White Cross", {}},
          {IDM_POINTER_BLACK_CROSS, "Black Cross", {}},
      }},
      {0, "Display Freq Mark", {
          {IDM_FREQ_MARK_ON, "On", {}},
          {IDM_FREQ_MARK_OFF, "Off", {}},
      }},
      {0, "SPL Cal Gain Lock", {
          {IDM_GAIN_LOCK_ON, "On", {}},
          {IDM_GAIN_LOCK_OFF, "Off", {}},
      }},
      separator,
      {0, "Variables", {
          {IDM_VARIABLES_ADJUST, "Adjust", {}},
          {IDM_VARIABLES_FREEZE, "Freeze", {}},
      }},
  }};
  MenuItemSpec help{0, "&Help", {
      {0, "Quick Start", {
          {IDM_QUICK_START_DISPLAY, "Sonavue && Scope", {}},
          {IDM_QUICK_START_SOUNDCARD, "Sound Card && Volume", {}},
      }},
      {IDM_HELP_TOPICS, "Help Topics", {}},
      separator,
      {IDM_ABOUT, "About Sonavue", {}},
  }};
  return {function, preferences, help};
}

namespace {

// Mono, or one channel of a stereo signal: the cases the logs support.
bool IsSingleChannel(const CurrentParameters& params) {
  return params.typeId == ID_TYPE_MONO || params.channelsId != ID_CHANNELS_DUAL;
}

bool IsStereoDual(const CurrentParameters& params) { return !IsSingleChannel(params); }

// The items shared by both idle states.
void EnterIdleCommon(App& app) {
  platform::NativeWindow& w = *app.window;
  for (int id : {IDM_SCAN_INPUT, IDM_SCAN_FILE, IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH,
                 IDM_CAL_STATUS, IDM_HELP_TOPICS, IDM_ABOUT, IDM_EXIT}) {
    w.EnableMenuItem(id, true);
  }
  w.EnableMenuItemAt(kPopupFunction, kFunctionSplCalPos, true);
  w.EnableMenuItemAt(kPopupFunction, kFunctionResponseCalPos, true);
  for (int pos : {kPreferencesControlsPos, kPreferencesPointersPos, kPreferencesFreqMarkPos,
                  kPreferencesVariablesPos}) {
    w.EnableMenuItemAt(kPopupPreferences, pos, true);
  }
  w.EnableMenuItemAt(kPopupPreferences, kPreferencesGainLockPos, app.params.splCalibrated);
  w.EnableMenuItemAt(kPopupHelp, kHelpQuickStartPos, true);

  app.frame.running = false;
  app.frame.functionKeysEnabled = true;
  w.EnableButton(IDC_STOP, false);
  w.EnableButton(IDC_PEAK_HOLD, false);
  w.SetButtonChecked(IDC_PEAK_HOLD, false);
  app.frame.peakHold = false;
}

void FinishIdle(App& app) {
  RunLayout(app, true);
  SetVariablesCheckMarks(app);
  app.window->SetFocus();
}

}  // namespace

void EnterRunningMenuState(App& app) {
  platform::NativeWindow& w = *app.window;
  for (int id : {IDM_SCAN_INPUT, IDM_SCAN_FILE, IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH,
                 IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS, IDM_LOG_SPECTRUM, IDM_LOG_POINTS,
                 IDM_SAVE_WAVE, IDM_SAVE_IMAGE_WINDOW, IDM_SAVE_IMAGE_ENTIRE, IDM_PRINT_WINDOW,
                 IDM_CAL_STATUS, IDM_HELP_TOPICS, IDM_ABOUT, IDM_EXIT}) {
    w.EnableMenuItem(id, false);
  }
  for (int pos : {kFunctionSaveImagePos, kFunctionSplCalPos, kFunctionResponseCalPos}) {
    w.EnableMenuItemAt(kPopupFunction, pos, false);
  }
  for (int pos : {kPreferencesControlsPos, kPreferencesPointersPos, kPreferencesFreqMarkPos,
                  kPreferencesGainLockPos, kPreferencesVariablesPos}) {
    w.EnableMenuItemAt(kPopupPreferences, pos, false);
  }
  w.EnableMenuItemAt(kPopupHelp, kHelpQuickStartPos, false);
  app.frame.running = true;
  app.frame.functionKeysEnabled = false;
}

void EnterScanIdleMenuState(App& app) {
  platform::NativeWindow& w = *app.window;
  const CurrentParameters& p = app.params;
  const bool hasImage = !app.display.IsNull();
  const bool imageExportable = hasImage && p.plotTypeId != ID_PLOT_DELTA;

  EnterIdleCommon(app);
  w.EnableMenuItem(IDM_CHANGE_PARAMETERS, false);
  w.EnableMenuItem(IDM_RESTORE_PARAMETERS, app.frame.segmentSpectrumShown);
  w.EnableMenuItem(IDM_LOG_SPECTRUM,
                   (p.IsScopeDisplay() || app.frame.segmentSpectrumShown) && hasImage &&
                       IsSingleChannel(p));
  w.EnableMenuItem(IDM_LOG_POINTS, false);
  // Save Wave keeps the capture of the last scan.
  w.EnableMenuItem(IDM_SAVE_WAVE, app.frame.capturedSignal || app.capture.exists);
  w.EnableMenuItemAt(kPopupFunction, kFunctionSaveImagePos, imageExportable);
  w.EnableMenuItem(IDM_SAVE_IMAGE_WINDOW, imageExportable);
  w.EnableMenuItem(IDM_SAVE_IMAGE_ENTIRE, false);
  w.EnableMenuItem(IDM_PRINT_WINDOW, imageExportable);
  w.EnableButton(IDC_PLAY, false);
  w.EnableButton(IDC_PLAY_WINDOW, false);
  FinishIdle(app);
}

void EnterAnalysisIdleMenuState(App& app) {
  platform::NativeWindow& w = *app.window;
  const CurrentParameters& p = app.params;

  EnterIdleCommon(app);
  if (p.IsScrollDisplay()) {
    w.EnableMenuItem(IDM_CHANGE_PARAMETERS, true);
    w.EnableMenuItem(IDM_RESTORE_PARAMETERS, app.frame.snapshotPushed);
  }
  if (IsSingleChannel(p)) {
    w.EnableMenuItem(IDM_LOG_SPECTRUM, true);
    w.EnableMenuItem(IDM_LOG_POINTS, !app.frame.segmentSpectrumShown);
  }
  w.EnableMenuItem(IDM_SAVE_WAVE, true);
  w.EnableMenuItemAt(kPopupFunction, kFunctionSaveImagePos, true);
  w.EnableMenuItem(IDM_SAVE_IMAGE_WINDOW, true);

  // The whole sonogram is worth saving apart only when the window does not
  // show all of it.
  bool entire = false;
  if (!app.display.IsNull() && !IsStereoDual(p)) {
    const bool wider = app.display.Width() > app.layout.displayWidth;
    const int heightLimit = p.typeId == ID_TYPE_MONO ? app.layout.displayHeight
                                                     : 2 * app.layout.displayHeight;
    entire = wider || app.display.Height() > heightLimit;
  }
  w.EnableMenuItem(IDM_SAVE_IMAGE_ENTIRE, entire);
  w.EnableMenuItem(IDM_PRINT_WINDOW, true);
  FinishIdle(app);
}

void SetVariablesCheckMarks(App& app) {
  app.window->CheckMenuItem(IDM_VARIABLES_ADJUST, app.params.variables == IDM_VARIABLES_ADJUST);
  app.window->CheckMenuItem(IDM_VARIABLES_FREEZE, app.params.variables == IDM_VARIABLES_FREEZE);
}

void SetMenuCheckMarks(App& app) {
  platform::NativeWindow& w = *app.window;
  const CurrentParameters& p = app.params;
  w.CheckMenuItem(IDM_GAIN_LOCK_ON, p.gainLock == IDM_GAIN_LOCK_ON);
  w.CheckMenuItem(IDM_GAIN_LOCK_OFF, p.gainLock != IDM_GAIN_LOCK_ON);
  w.EnableMenuItemAt(kPopupPreferences, kPreferencesGainLockPos, p.splCalibrated);
  SetVariablesCheckMarks(app);
  for (int id : {IDM_CONTROLS_AUTOMATIC, IDM_CONTROLS_MANUAL, IDM_CONTROLS_ULTRASOUND}) {
    w.CheckMenuItem(id, p.analysisControls == id);
  }
  const bool marks = p.frequencyMarker1Hz > 0 || p.frequencyMarker2Hz > 0;
  w.CheckMenuItem(IDM_FREQ_MARK_ON, marks);
  w.CheckMenuItem(IDM_FREQ_MARK_OFF, !marks);
  w.CheckMenuItem(IDM_POINTER_TARGET_BOX, p.pointerShape == 1);
  w.CheckMenuItem(IDM_POINTER_WHITE_CROSS, p.pointerShape == 2);
  w.CheckMenuItem(IDM_POINTER_BLACK_CROSS, p.pointerShape == 3);
}

}  // namespace sonavue::app
