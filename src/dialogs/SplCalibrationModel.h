#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace sonavue::dialogs {

// The "SPL Calibration" dialog (resource 174) and its controls.
inline constexpr int kSplCalibrationResource = 174;
inline constexpr int IDC_SPL_PANEL = 1243;         // white panel: measured level, instructions
inline constexpr int IDC_SPL_CONTROL = 1242;       // "SPL Calibration Control", 0 … 120
inline constexpr int IDC_SPL_SOUND_METER = 1197;   // "SPL Calibration Method"
inline constexpr int IDC_SPL_ACOUSTIC_SOURCE = 1196;
inline constexpr int IDC_SPL_LOCK_ON = 1198;       // "SPL Cal Gain Lock"
inline constexpr int IDC_SPL_LOCK_OFF = 1199;
inline constexpr int kSplControlMax = 120;

// What a horizontal scroll bar reports.
enum class SplScrollAction { LineLeft, LineRight, PageLeft, PageRight, ThumbPosition, ThumbTrack };

// One line of the panel, centred horizontally, its top at halfLines × h / 2
// for a font of text height h.
struct PanelLine {
  std::string text;
  int halfLines = 0;
};

// The dialog's rules without a window: the control and its scroll steps,
// the method, the gain-lock choice and the panel's text.
class SplCalibrationModel {
 public:
  // control 0 … 120 (limited), method 1196 or 1197 (another value counts as
  // "Sound Meter"); the gain lock starts "On".
  SplCalibrationModel(int control, int methodId);

  int Control() const { return control_; }
  int MethodId() const { return methodId_; }
  bool GainLockOn() const { return gainLockOn_; }

  // Line steps move the control by 1, page steps by 10; the thumb sets it.
  // It stays within 0 … 120. Returns whether it changed.
  bool Scroll(SplScrollAction action, int position = 0);
  // Returns whether the method changed.
  bool ChooseMethod(int methodId);
  void ChooseGainLock(bool on) { gainLockOn_ = on; }

  // The level the scan measured (dB, SPL factor included), shown rounded
  // half away from zero. Returns whether the shown number changed.
  bool SetMeasured(double levelDb);
  std::optional<int> Measured() const { return measured_; }

  // "Measured SPL:  %-3i" of a level.
  static std::string MeasuredText(int level);
  // The panel's lines: the measured level (once there is one) and the
  // instructions of the method.
  std::vector<PanelLine> PanelLines() const;

 private:
  int control_ = 60;
  int methodId_ = IDC_SPL_SOUND_METER;
  bool gainLockOn_ = true;
  std::optional<int> measured_;
};

// Where the dialog opens: centred horizontally (0 if negative) and 30
// pixels above the vertical centre, at the top when the half difference is
// below 30.
platform::Point SplDialogPosition(platform::Size screen, platform::Size dialog);

// The panel's font height: the dialog's height ÷ 28.
inline int SplPanelFontHeight(int dialogHeight) { return dialogHeight / 28; }

}  // namespace sonavue::dialogs
