#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "context/CurrentParameters.h"
#include "dialogs/DialogControls.h"
#include "dialogs/DialogRules.h"

namespace sonavue::dialogs {

// The sizes of the main window that the dialog rules read, in pixels.
struct DialogGeometry {
  int displayWidth = 0;  // DW: width of the display area
  int leftMargin = 0;    // frequency-label margin at the left of the plot
  int sonogramRows = 1;  // display-area height − 2 × character height
  int scopePoints = 1;   // points of the scope curve
};

// Everything a dialog opens with.
struct DialogSetup {
  app::CurrentParameters params;  // copied; the dialog edits the copy
  DialogGeometry geometry;
  // The file's values (Scan File and Analyze members): analysis rate in Hz,
  // channel count, the segment in analysis seconds, and for the Analyze
  // members the frequency multiplier to show (1 … 20).
  std::int32_t fileRateHz = 0;
  int fileChannels = 1;
  float beginS = 0.0F;
  float endS = 0.0F;
  int multiplier = 1;
  // The multiplier the file's own rate implies (an ultrasound file analysed
  // at a reduced rate; 1 otherwise): kept for display when conversion is Off.
  int fileMultiplier = 1;
  // Trigger level of the recording (Scan Input members), internal dB, 30 … 120.
  std::int32_t triggerLevel = 90;
};

// The consistency test run before a dialog opens: when the stored FFT size
// and resolution are not valid together at rateHz (one to ten bin widths),
// both are worked out anew by the automatic rule for the stored band, scale
// and display, with the time per column of the stored width (dual: a stereo
// "Dual" display). Valid values are left alone.
void SettleResolution(app::CurrentParameters& params, std::int32_t rateHz,
                      const DialogGeometry& geometry, bool dual);

// The values a dialog holds while open, in analysis units (Hz as analysed,
// seconds of the analysed signal). Identifiers are the stored values.
struct DialogValues {
  std::int32_t rateHz = 48000;
  int rateId = app::ID_RATE_48K;
  int bitsId = app::ID_BITS_16;
  int typeId = app::ID_TYPE_MONO;
  int channelsId = app::ID_CHANNELS_DUAL;  // kept while Mono clears the radios
  int displayId = app::ID_DISPLAY_SCROLL2;
  int plotTypeId = app::ID_PLOT_SIGNAL;
  int paletteId = app::ID_PALETTE_CB;
  int scaleId = app::ID_SCALE_LINEAR;
  int averagingId = app::ID_AVERAGING_OFF;
  int widthUnitId = app::ID_WIDTH_SEC;
  int recordingId = app::ID_RECORDING_OFF;
  int ultrasoundId = app::ID_ULTRASOUND_OFF;
  int multiplier = 1;
  std::int32_t lowHz = 0;
  std::int32_t highHz = 6000;
  float widthS = 10.0F;
  float timePerColumnMs = 10.0F;
  float resolutionHz = 12.0F;
  int fftSize = 1024;
  int resolutionPosition = 10;  // p, tenths of a bin width
  // Level limits shown: those of the display type chosen.
  std::int32_t levelMax = 90;
  std::int32_t levelMin = 0;
  // Limits and averaging times of both display types as last stored; the
  // shown type's entries are refreshed from the controls when it changes
  // and on OK.
  std::int32_t sonogramMax = 90;
  std::int32_t sonogramMin = 0;
  std::int32_t scopeMax = 90;
  std::int32_t scopeMin = -30;
  std::int32_t averagingMs = 0;  // of the display type chosen
  std::int32_t averagingScrollMs = 0;
  std::int32_t averagingScopeMs = 200;
  std::int32_t triggerLevel = 90;
  float preTriggerS = 0.0F;  // 0 … 10
  std::int32_t cursorOffsetHz = 0;
  float beginS = 0.0F;
  float endS = 0.0F;
};

// What one control shows.
struct ControlState {
  bool present = false;
  bool enabled = true;
  bool checked = false;  // radio buttons
  int value = 0;         // scroll bars: the position
  int minimum = 0;
  int maximum = 0;
  std::string text;  // edits
  bool readOnly = false;
};

// One parameter dialog of the family without its window: a private copy of
// the parameters and every rule of the controls. A view (or a test) reads
// each control's state by identifier and reports clicks, scroll actions and
// typed text; OK and Cancel write the result into a CurrentParameters.
class ParameterDialogModel {
 public:
  // Opens the dialog on a copy of setup.params, in the order of the dialog's
  // opening (levels, rate, resolution, band, channels, averaging).
  ParameterDialogModel(DialogMember member, const DialogSetup& setup);

  DialogMember Member() const { return member_; }
  int ResourceId() const { return static_cast<int>(member_); }
  const char* Title() const { return MemberTitle(member_); }

  // Whether this member has the control, and what it shows (present is
  // false for a control it lacks).
  bool Has(int id) const;
  ControlState State(int id) const;

  // A click on a radio button or the Reset button; other identifiers, and
  // controls the member lacks or has disabled, are ignored.
  void Click(int id);
  // A scroll-bar action; thumbPosition is used by ScrollAction::Thumb only.
  void Scroll(int id, ScrollAction action, int thumbPosition = 0);
  // The text the user typed into an editable edit (averaging, width, cursor
  // offset, Begin, End); read when the rules need it and on OK.
  void SetText(int id, std::string text);

  // Reset: the member's defaults, then the resolution worked out again.
  void Reset();

  // OK: reads the edits, works out what OK works out and writes every value
  // the member owns into target. The caller rebuilds the palette.
  void Commit(app::CurrentParameters& target);
  // Cancel: puts back the four level limits the dialog opened with.
  void Cancel(app::CurrentParameters& target) const;

  const DialogValues& Values() const { return v_; }
  // 1, or the multiplier while an Analyze member converts with "Time Exp":
  // times are shown divided by it.
  int TimeFactor() const;

 private:
  void CopyParameters(const DialogSetup& setup);

  bool IsManual() const;
  bool IsAutomatic() const;
  bool IsAnalyze() const;
  bool IsScanInput() const;
  bool HasFile() const;
  bool IsStereo() const;
  bool IsDual() const;
  bool IsScope() const;
  bool IsLinear() const;
  bool DeltaPlotEnabled() const;

  void UpdateTimePerColumn();
  void WorkOutResolution();
  void AfterBandOrWidthChange();
  void ApplyPlotTypeRule();
  void ShowLevelsOfDisplay();
  void StoreLevelsOfDisplay();
  void ShowAveraging();
  void ReadAveragingEdit();
  void ReadWidthEdit();
  void ShowWidth();
  // The pre-trigger edit from the value, one decimal.
  void ShowPreTrigger();
  void ReadSegmentEdits();
  void ShowSegment();
  void SetBandForScale();
  void ApplyBandRanges();
  std::string TextOf(int id) const;
  std::string LevelText(std::int32_t level) const;

  void ClickRate(int id);
  void ClickType(int id);
  void ClickChannels(int id);
  void ClickDisplay(int id);
  void ClickScale(int id);
  void ClickFftSize(int id);
  void ClickAveraging(int id);
  void ClickWidthUnit(int id);
  void ClickRecording(int id);
  void ClickUltrasound(int id);

  DialogMember member_;
  app::CurrentParameters opening_;  // the parameters as the dialog opened
  int fileMultiplier_ = 1;
  DialogGeometry geometry_;
  DialogValues v_;
  std::map<int, std::string> texts_;  // the editable edits
};

}  // namespace sonavue::dialogs
