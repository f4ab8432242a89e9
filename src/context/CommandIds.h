#pragma once

// Identifiers of menu commands, child buttons and the choices stored as
// identifiers. The numbers are kept as they are: the settings file stores
// several of them.
namespace sonavue::app {

// Function menu.
inline constexpr int IDM_SCAN_INPUT = 40011;
inline constexpr int IDM_SCAN_FILE = 40007;
inline constexpr int IDM_ANALYZE_FILE = 40020;
inline constexpr int IDM_ANALYZE_BATCH = 40064;
inline constexpr int IDM_CHANGE_PARAMETERS = 40005;
inline constexpr int IDM_RESTORE_PARAMETERS = 40023;
inline constexpr int IDM_COLOR_SCALE = 40027;
inline constexpr int IDM_LOG_SPECTRUM = 40028;
inline constexpr int IDM_LOG_POINTS = 40062;
inline constexpr int IDM_SAVE_WAVE = 40030;
inline constexpr int IDM_SAVE_IMAGE_WINDOW = 40071;
inline constexpr int IDM_SAVE_IMAGE_ENTIRE = 40072;
inline constexpr int IDM_PRINT_WINDOW = 40050;
inline constexpr int IDM_SPL_CALIBRATE = 40086;
inline constexpr int IDM_SPL_CLEAR = 40087;
inline constexpr int IDM_FR_CALIBRATE = 40094;
inline constexpr int IDM_FR_CLEAR = 40095;
inline constexpr int IDM_CAL_STATUS = 40096;
inline constexpr int IDM_EXIT = 40003;

// Preferences menu.
inline constexpr int IDM_CONTROLS_AUTOMATIC = 40078;
inline constexpr int IDM_CONTROLS_MANUAL = 40079;
inline constexpr int IDM_CONTROLS_ULTRASOUND = 40080;
inline constexpr int IDM_POINTER_TARGET_BOX = 40046;
inline constexpr int IDM_POINTER_WHITE_CROSS = 40047;
inline constexpr int IDM_POINTER_BLACK_CROSS = 40048;
inline constexpr int IDM_FREQ_MARK_ON = 40049;
inline constexpr int IDM_FREQ_MARK_OFF = 40083;
inline constexpr int IDM_GAIN_LOCK_ON = 40099;
inline constexpr int IDM_GAIN_LOCK_OFF = 40100;
inline constexpr int IDM_VARIABLES_ADJUST = 40055;
inline constexpr int IDM_VARIABLES_FREEZE = 40056;

// Help menu.
inline constexpr int IDM_QUICK_START_DISPLAY = 40106;
inline constexpr int IDM_QUICK_START_SOUNDCARD = 40105;
inline constexpr int IDM_HELP_TOPICS = 40036;
inline constexpr int IDM_ABOUT = 40024;

// Child buttons.
inline constexpr int IDC_PLAY = 101;
inline constexpr int IDC_PLAY_WINDOW = 102;
inline constexpr int IDC_STOP = 103;
inline constexpr int IDC_GRID = 104;
inline constexpr int IDC_PEAK_HOLD = 106;

// Top-level popups of the menu bar, and positions inside them (separators
// counted) that the menu states address.
inline constexpr int kPopupFunction = 0;
inline constexpr int kPopupPreferences = 1;
inline constexpr int kPopupHelp = 2;
inline constexpr int kFunctionSaveImagePos = 13;
inline constexpr int kFunctionSplCalPos = 16;
inline constexpr int kFunctionResponseCalPos = 17;
inline constexpr int kPreferencesControlsPos = 0;
inline constexpr int kPreferencesPointersPos = 1;
inline constexpr int kPreferencesFreqMarkPos = 2;
inline constexpr int kPreferencesGainLockPos = 3;
inline constexpr int kPreferencesVariablesPos = 5;
inline constexpr int kHelpQuickStartPos = 0;

// Reasons a command is sent for (the second message argument).
inline constexpr int kReasonUser = 0;
inline constexpr int kReasonCommandLine = 1;
inline constexpr int kReasonReanalysis = 2;
inline constexpr int kReasonCaptured = 3;
inline constexpr int kReasonSpaceResume = 5;
inline constexpr int kReasonResponseCalibration = 6;
inline constexpr int kReasonSplCalibration = 7;

}  // namespace sonavue::app
