#pragma once

#include <array>
#include <string>

#include "dialogs/DialogRules.h"
#include "plans/ColorRecord.h"

namespace sonavue::dialogs {

// Dialog 154 "Sonavue Colors": control identifiers.
inline constexpr int kColorsDialogId = 154;
inline constexpr const char* kColorsDialogTitle = "Sonavue Colors";
// Colour buttons: scale points 0 … 12 ("-120 dB" … "0 dB"), then Background,
// Signal 1, Signal 2, Freq Mark and Text (colours 13 … 17).
inline constexpr std::array<int, 18> kColorButtonIds{1010, 1011, 1015, 1016, 1017, 1018,
                                                     1019, 1020, 1021, 1037, 1038, 1039,
                                                     1040, 1041, 1042, 1043, 1044, 1045};
inline constexpr int IDC_SCALE_SWATCH = 1009;
inline constexpr std::array<int, 5> kOtherSwatchIds{1035, 1034, 1032, 1031, 1033};
inline constexpr int IDC_COPY_TO = 1084;
inline constexpr int IDC_SPREAD_TO = 1080;
inline constexpr int IDC_CANCEL_OPERATION = 1176;
inline constexpr int IDC_COLORS_RESET = 1143;
inline constexpr int IDC_COLORS_RESTORE = 1165;
inline constexpr int IDC_COLORS_OK = 1;
inline constexpr int IDC_COLORS_CANCEL = 2;
inline constexpr std::array<int, 3> kRgbBarIds{1014, 1013, 1012};     // red, green, blue
inline constexpr std::array<int, 3> kRgbNumberIds{1004, 1006, 1008};
inline constexpr int IDC_MAX_BAR = 1235;
inline constexpr int IDC_MAX_NUMBER = 1005;
inline constexpr int IDC_MIN_BAR = 1237;
inline constexpr int IDC_MIN_NUMBER = 1007;
inline constexpr int IDC_CHOICE_CB = 1046;
inline constexpr int IDC_CHOICE_BW = 1047;
inline constexpr int IDC_CHOICE_USER = 1048;

inline constexpr int kColorCount = 18;
// The level bars run 0 … 180 for levels −60 … 120.
inline constexpr int kLevelBarOffset = 60;
inline constexpr int kLevelBarMax = 180;

enum class ColorOperation { None, CopyTo, SpreadTo };

// What the dialog opens with.
struct ColorsDialogSetup {
  render::ColorRecord current = render::kCbColors;  // the palette on show
  render::ColorRecord user = render::kCbColors;     // the User palette
  render::ColorRecord cb = render::kCbColors;
  render::ColorRecord bw = render::kBwColors;
  int choice = IDC_CHOICE_CB;  // 1046 CB, 1047 BW, 1048 User
  int minDb = 0;               // the level pair of the display type, internal scale
  int maxDb = 90;
  bool scope = false;          // a scope display (else a sonogram)
  bool splCalibrated = false;  // levels shown as they are, not less 90
};

// What a user action changed, for the window to follow.
struct ColorsChange {
  bool colors = false;  // the current palette changed
  bool levels = false;  // Min or Max changed
  bool any() const { return colors || levels; }
};

// The colours dialog's rules, no window: the current palette as edited, the
// User palette, the choice, the selected colour, Copy To / Spread To, Min
// and Max, and what OK, Cancel and Restore leave. Every action edits the
// model's own records; the program mirrors them into its palette.
class ColorsDialogModel {
 public:
  explicit ColorsDialogModel(const ColorsDialogSetup& setup);

  // A colour button (colour 0 … 17). With no operation armed it selects the
  // colour; with Copy To armed the source colour is copied into it; with
  // Spread To armed the colours between the source and it are made a
  // straight ramp (the higher one keeps its own value). An operation leaves
  // the choice at "User" and marks the colours changed.
  ColorsChange SelectColor(int color);
  // Copy To, Spread To: arm the operation on the selected colour.
  void Arm(ColorOperation operation);
  void CancelOperation();

  // The red, green or blue bar (0, 1, 2): lines ±1, pages ±10, the thumb
  // sets the value; bytes wrap modulo 256. Switches the choice to "User".
  ColorsChange ScrollColor(int channel, ScrollAction action, int thumb);
  // The Max and Min bars (positions level + 60). Max: steps of 10 within
  // −30 … 120, the thumb cut toward zero to a multiple of 10; Min is pushed
  // down to Max − 30. Min: steps of 10 within −60 … 90, the thumb likewise;
  // Max is pushed up to Min + 30.
  ColorsChange ScrollMax(ScrollAction action, int thumb);
  ColorsChange ScrollMin(ScrollAction action, int thumb);

  // "CB", "BW" (saving an edited "User" first), "User".
  ColorsChange Choose(int choiceId);
  // "Reset": as "CB", with the default levels of the display.
  ColorsChange Reset();
  // "Restore" (and Cancel): everything as at opening; both changed flags
  // cleared.
  ColorsChange Restore();

  // OK: what the program keeps. When the colours were changed the current
  // palette becomes the User palette. changed is true when the palette
  // differs from the opening one or the levels were changed.
  struct Outcome {
    int choice = IDC_CHOICE_CB;
    render::ColorRecord current{};
    render::ColorRecord user{};
    int minDb = 0;
    int maxDb = 0;
    bool changed = false;
    bool levelsChanged = false;
  };
  Outcome Ok() const;

  const render::ColorRecord& Current() const { return current_; }
  const render::ColorRecord& User() const { return user_; }
  int Choice() const { return choice_; }
  int Selected() const { return selected_; }
  ColorOperation Operation() const { return operation_; }
  int MinDb() const { return minDb_; }
  int MaxDb() const { return maxDb_; }
  bool ColorsChanged() const { return colorsChanged_; }
  bool LevelsChanged() const { return levelsChanged_; }
  bool Scope() const { return scope_; }

  // What the controls show.
  platform::Rgb ShownColor() const { return current_[static_cast<std::size_t>(selected_)]; }
  int LevelBarPosition(int levelDb) const { return levelDb + kLevelBarOffset; }
  // The number beside a level bar: the level less 90 without SPL
  // calibration, the level itself with it.
  std::string LevelNumber(int levelDb) const;
  // Label of scale button `point`: its level between Min and Max (ScalePointLabel).
  std::string ScaleLabel(int point) const;
  // Whether a control may be used: while an operation is armed only the
  // colour buttons, "Cancel Operation" and the armed button; "Cancel
  // Operation" only then.
  bool Enabled(int controlId) const;

 private:
  void FinishOperation();
  void DefaultLevels();

  ColorsDialogSetup opening_;
  render::ColorRecord current_;
  render::ColorRecord user_;
  int choice_;
  int selected_ = 0;
  ColorOperation operation_ = ColorOperation::None;
  int source_ = 0;
  int minDb_;
  int maxDb_;
  bool scope_;
  bool spl_;
  bool colorsChanged_ = false;
  bool levelsChanged_ = false;
};

}  // namespace sonavue::dialogs
