#pragma once

#include <span>

#include "context/CurrentParameters.h"

// Control identifiers and captions of the parameter dialogs. Radio buttons
// whose identifier is also the stored value (rates, displays, scales …) use
// the app::ID_… constants; the others are named here.
namespace sonavue::dialogs {

// The members of the family, numbered by their resource.
enum class DialogMember {
  ScanInputManual = 103,
  ScanInputAutomatic = 167,
  ScanFileManual = 173,
  ScanFileAutomatic = 170,
  AnalyzeManual = 102,
  AnalyzeAutomatic = 172,
  AnalyzeUltrasound = 171,
};

inline constexpr int IDC_EDIT_BEGIN = 1002;
inline constexpr int IDC_EDIT_END = 1004;
inline constexpr int IDC_EDIT_LEVEL_MAX = 1005;
inline constexpr int IDC_EDIT_LEVEL_MIN = 1007;
inline constexpr int IDC_OK = 1025;
inline constexpr int IDC_CANCEL = 1026;
inline constexpr int IDC_RESET = 1027;
inline constexpr int IDC_EDIT_RESOLUTION = 1029;
inline constexpr int IDC_SCROLL_TRIGGER = 1054;
inline constexpr int IDC_EDIT_TRIGGER = 1055;
// Seconds a triggered recording keeps from before its trigger (Scan Input).
inline constexpr int IDC_EDIT_PRE_TRIGGER = 1300;
inline constexpr int IDC_EDIT_LOW_BAND = 1057;
inline constexpr int IDC_EDIT_HIGH_BAND = 1059;
inline constexpr int IDC_SCROLL_MULTIPLIER = 1060;
inline constexpr int IDC_EDIT_MULTIPLIER = 1061;
inline constexpr int IDC_SCROLL_RESOLUTION = 1066;
inline constexpr int IDC_FFT_512 = 1082;
inline constexpr int IDC_FFT_1024 = 1083;
inline constexpr int IDC_FFT_2048 = 1084;
inline constexpr int IDC_FFT_4096 = 1085;
inline constexpr int IDC_FFT_8192 = 1086;
inline constexpr int IDC_FFT_16384 = 1087;
inline constexpr int IDC_EDIT_WIDTH = 1123;
inline constexpr int IDC_EDIT_CURSOR_OFFSET = 1126;
inline constexpr int IDC_EDIT_AVERAGING = 1127;
inline constexpr int IDC_EDIT_AUTO_RESOLUTION = 1128;
inline constexpr int IDC_SCROLL_HIGH_BAND = 1233;
inline constexpr int IDC_SCROLL_LOW_BAND = 1234;
inline constexpr int IDC_SCROLL_LEVEL_MAX = 1235;
inline constexpr int IDC_SCROLL_WIDTH = 1236;
inline constexpr int IDC_SCROLL_LEVEL_MIN = 1237;

enum class ControlKind { Radio, ScrollBar, Edit, Button };

// What the view needs to build one control: its kind and its caption (the
// radio or button text; for scroll bars and edits the label beside them).
struct ControlInfo {
  int id = 0;
  ControlKind kind = ControlKind::Button;
  const char* caption = "";
};

// The control of an identifier, or nullptr for an identifier of no member.
// Edit 1123 is captioned for the manual members ("Scroll Display Width"); the
// automatic members label it with the caption of scroll bar 1236.
const ControlInfo* FindControl(int id);

// Every control of the family, in the order the view lays them out.
std::span<const ControlInfo> AllControls();

// The window title of a member: "Scan Input", "Scan File" or "Analyze".
const char* MemberTitle(DialogMember member);

}  // namespace sonavue::dialogs
