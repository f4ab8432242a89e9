#include "dialogs/DialogControls.h"

#include <algorithm>
#include <array>

namespace sonavue::dialogs {
namespace {

using app::ID_AVERAGING_MSEC;
using app::ID_AVERAGING_OFF;
using app::ID_AVERAGING_SEC;

constexpr ControlKind kRadio = ControlKind::Radio;
constexpr ControlKind kScroll = ControlKind::ScrollBar;
constexpr ControlKind kEdit = ControlKind::Edit;
constexpr ControlKind kButton = ControlKind::Button;

// The whole family, in layout order.
constexpr std::array kControls{
    ControlInfo{app::ID_RATE_22K, kRadio, "22k"},
    ControlInfo{app::ID_RATE_44K, kRadio, "44k"},
    ControlInfo{app::ID_RATE_48K, kRadio, "48k"},
    ControlInfo{app::ID_RATE_96K, kRadio, "96k"},
    ControlInfo{app::ID_TYPE_MONO, kRadio, "Mono"},
    ControlInfo{app::ID_TYPE_STEREO, kRadio, "Stereo"},
    ControlInfo{app::ID_BITS_16, kRadio, "16 bits"},
    ControlInfo{app::ID_BITS_24, kRadio, "24 bits"},
    ControlInfo{app::ID_CHANNELS_DUAL, kRadio, "Dual"},
    ControlInfo{app::ID_CHANNELS_LEFT, kRadio, "Left"},
    ControlInfo{app::ID_CHANNELS_RIGHT, kRadio, "Right"},
    ControlInfo{app::ID_DISPLAY_SCROLL1, kRadio, "Scroll 1"},
    ControlInfo{app::ID_DISPLAY_SCROLL2, kRadio, "Scroll 2"},
    ControlInfo{app::ID_DISPLAY_SCOPE1, kRadio, "Scope 1"},
    ControlInfo{app::ID_DISPLAY_SCOPE2, kRadio, "Scope 2"},
    ControlInfo{app::ID_PLOT_SIGNAL, kRadio, "Signal"},
    ControlInfo{app::ID_PLOT_DELTA, kRadio, "L-R Signal Delta"},
    ControlInfo{app::ID_PALETTE_CB, kRadio, "CB"},
    ControlInfo{app::ID_PALETTE_BW, kRadio, "BW"},
    ControlInfo{app::ID_PALETTE_USER, kRadio, "User"},
    ControlInfo{app::ID_PALETTE_PERCEPTUAL, kRadio, "Perceptual"},
    ControlInfo{app::ID_SCALE_LINEAR, kRadio, "Linear"},
    ControlInfo{app::ID_SCALE_LOG, kRadio, "Log"},
    ControlInfo{app::ID_SCALE_OCT3, kRadio, "Oct/3"},
    ControlInfo{IDC_FFT_512, kRadio, "512"},
    ControlInfo{IDC_FFT_1024, kRadio, "1024"},
    ControlInfo{IDC_FFT_2048, kRadio, "2048"},
    ControlInfo{IDC_FFT_4096, kRadio, "4096"},
    ControlInfo{IDC_FFT_8192, kRadio, "8192"},
    ControlInfo{IDC_FFT_16384, kRadio, "16384"},
    ControlInfo{IDC_SCROLL_RESOLUTION, kScroll, "Freq Resolution (Hz)"},
    ControlInfo{IDC_EDIT_RESOLUTION, kEdit, "Freq Resolution (Hz)"},
    ControlInfo{IDC_EDIT_AUTO_RESOLUTION, kEdit, "Frequency Resolution (Hz)"},
    ControlInfo{IDC_SCROLL_HIGH_BAND, kScroll, "High Band Limit (Hz)"},
    ControlInfo{IDC_EDIT_HIGH_BAND, kEdit, "High Band Limit (Hz)"},
    ControlInfo{IDC_SCROLL_LOW_BAND, kScroll, "Low Band Limit (Hz)"},
    ControlInfo{IDC_EDIT_LOW_BAND, kEdit, "Low Band Limit (Hz)"},
    ControlInfo{IDC_EDIT_CURSOR_OFFSET, kEdit, "Cursor Frequency Offset (Hz)"},
    ControlInfo{IDC_SCROLL_LEVEL_MAX, kScroll, "Max"},
    ControlInfo{IDC_EDIT_LEVEL_MAX, kEdit, "Max"},
    ControlInfo{IDC_SCROLL_LEVEL_MIN, kScroll, "Min"},
    ControlInfo{IDC_EDIT_LEVEL_MIN, kEdit, "Min"},
    ControlInfo{ID_AVERAGING_OFF, kRadio, "Off"},
    ControlInfo{ID_AVERAGING_MSEC, kRadio, "msec"},
    ControlInfo{ID_AVERAGING_SEC, kRadio, "sec"},
    ControlInfo{IDC_EDIT_AVERAGING, kEdit, "Averaging"},
    ControlInfo{app::ID_WIDTH_SEC, kRadio, "sec"},
    ControlInfo{app::ID_WIDTH_MIN, kRadio, "min"},
    ControlInfo{IDC_SCROLL_WIDTH, kScroll, "Display Width (sec)"},
    ControlInfo{IDC_EDIT_WIDTH, kEdit, "Scroll Display Width"},
    ControlInfo{IDC_EDIT_BEGIN, kEdit, "Begin - End  (sec)"},
    ControlInfo{IDC_EDIT_END, kEdit, "Begin - End  (sec)"},
    ControlInfo{app::ID_RECORDING_OFF, kRadio, "Off"},
    ControlInfo{app::ID_RECORDING_ON, kRadio, "On"},
    ControlInfo{app::ID_RECORDING_TRIGGER, kRadio, "Trigger"},
    ControlInfo{IDC_SCROLL_TRIGGER, kScroll, "Trigger Level (dB)"},
    ControlInfo{IDC_EDIT_TRIGGER, kEdit, "Trigger Level (dB)"},
    ControlInfo{IDC_EDIT_PRE_TRIGGER, kEdit, "Pre-trigger (s)"},
    ControlInfo{app::ID_ULTRASOUND_OFF, kRadio, "Off"},
    ControlInfo{app::ID_ULTRASOUND_FREQ_DIV, kRadio, "Freq Div"},
    ControlInfo{app::ID_ULTRASOUND_TIME_EXP, kRadio, "Time Exp"},
    ControlInfo{IDC_SCROLL_MULTIPLIER, kScroll, "Freq Scale Multiplier (1 to 20)"},
    ControlInfo{IDC_EDIT_MULTIPLIER, kEdit, "Freq Scale Multiplier (1 to 20)"},
    ControlInfo{IDC_OK, kButton, "OK"},
    ControlInfo{IDC_RESET, kButton, "Reset"},
    ControlInfo{IDC_CANCEL, kButton, "Cancel"},
};

}  // namespace

const ControlInfo* FindControl(int id) {
  const auto* found = std::find_if(kControls.begin(), kControls.end(),
                                   [id](const ControlInfo& c) { return c.id == id; });
  return found == kControls.end() ? nullptr : found;
}

std::span<const ControlInfo> AllControls() { return kControls; }

const char* MemberTitle(DialogMember member) {
  switch (member) {
    case DialogMember::ScanInputManual:
    case DialogMember::ScanInputAutomatic: return "Scan Input";
    case DialogMember::ScanFileManual:
    case DialogMember::ScanFileAutomatic: return "Scan File";
    case DialogMember::AnalyzeManual:
    case DialogMember::AnalyzeAutomatic:
    case DialogMember::AnalyzeUltrasound: break;
  }
  return "Analyze";
}

}  // namespace sonavue::dialogs
