#include "dialogs/ParameterDialogModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dialogs/DialogText.h"
#include "dsp/LevelCode.h"
#include "dsp/ParameterRules.h"
#include "dsp/Rounding.h"

namespace sonavue::dialogs {
namespace {

using M = DialogMember;

constexpr float kDefaultWidthS = 10.0F;
constexpr std::int32_t kResetHighHz = 6000;
constexpr std::size_t kShortEditChars = 7;     // width and averaging edits
constexpr std::size_t kSegmentEditChars = 11;  // Begin and End

bool Between(int id, int first, int last) { return id >= first && id <= last; }

bool IsDisplayId(int id) { return Between(id, app::ID_DISPLAY_SCROLL1, app::ID_DISPLAY_SCOPE2); }

dsp::FrequencyScale ScaleOf(int scaleId) {
  switch (scaleId) {
    case app::ID_SCALE_LOG: return dsp::FrequencyScale::Log;
    case app::ID_SCALE_OCT3: return dsp::FrequencyScale::Oct3;
    default: return dsp::FrequencyScale::Linear;
  }
}

std::int32_t RoundedMs(double ms) {
  return dsp::RoundHalfAway(ms, std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max());
}

}  // namespace

void SettleResolution(app::CurrentParameters& params, std::int32_t rateHz,
                      const DialogGeometry& geometry, bool dual) {
  const float rate = static_cast<float>(rateHz);
  if (dsp::ResolutionIsValid(rate, params.fftSize, params.resolutionHz)) return;
  const bool scope = params.IsScopeDisplay();
  const float columnMs =
      TimePerColumnMs(params.displayWidthS, geometry.displayWidth, geometry.leftMargin, dual);
  params.resolutionHz = dsp::AutomaticResolution(
      static_cast<float>(params.lowBandHz), static_cast<float>(params.highBandHz), rate, columnMs,
      scope ? dsp::DisplayKind::Scope : dsp::DisplayKind::Sonogram,
      scope ? geometry.scopePoints : geometry.sonogramRows, ScaleOf(params.frequencyScaleId));
  params.fftSize = dsp::FftSizeForResolution(rate, params.resolutionHz);
}

ParameterDialogModel::ParameterDialogModel(DialogMember member, const DialogSetup& setup)
    : member_(member), opening_(setup.params), geometry_(setup.geometry) {
  CopyParameters(setup);
  UpdateTimePerColumn();

  // The opening, in its order: edits, level limits, the band within half
  // the rate, FFT size and resolution, the band of the scale, then channels,
  // plot type, averaging and the segment.
  if (IsManual()) texts_[IDC_EDIT_CURSOR_OFFSET] = FormatInteger(v_.cursorOffsetHz);
  if (IsScanInput()) ShowPreTrigger();
  ShowWidth();
  ShowLevelsOfDisplay();

  const std::int32_t half = v_.rateHz / 2;
  if (v_.highHz > half || v_.lowHz > half) {
    v_.highHz = half;
    v_.lowHz = 0;
  }

  v_.fftSize = std::clamp(v_.fftSize, 512, 16384);
  const float binHz = static_cast<float>(v_.rateHz) / static_cast<float>(v_.fftSize);
  if (v_.resolutionHz < binHz) v_.resolutionHz = binHz;
  v_.resolutionPosition = PositionForResolution(v_.rateHz, v_.fftSize, v_.resolutionHz);

  if (!IsLinear()) {
    v_.lowHz = std::clamp(v_.lowHz, kLogLowestHz, kLogLowHighestHz);
    v_.highHz = half;
  }
  ApplyPlotTypeRule();
  ShowAveraging();
  ShowSegment();
}

// The private copy: the stored choices (unknown identifiers become the
// first-start ones) and values, what the member takes from the file, and
// the choices the member cannot show turned into ones it can.
void ParameterDialogModel::CopyParameters(const DialogSetup& setup) {
  const app::CurrentParameters& p = setup.params;

  if (IsScanInput()) {
    v_.rateHz = ScanInputRate(p.sampleRateHz, p.sampleRateId);
    v_.rateId = RateIdForRate(v_.rateHz);
    v_.typeId = p.typeId == app::ID_TYPE_STEREO ? app::ID_TYPE_STEREO : app::ID_TYPE_MONO;
  } else {
    v_.rateHz = setup.fileRateHz;
    v_.rateId = RateIdForRate(v_.rateHz);
    v_.typeId = setup.fileChannels == 2 ? app::ID_TYPE_STEREO : app::ID_TYPE_MONO;
  }
  v_.bitsId = p.resolutionId == app::ID_BITS_24 ? app::ID_BITS_24 : app::ID_BITS_16;
  v_.channelsId = Between(p.channelsId, app::ID_CHANNELS_DUAL, app::ID_CHANNELS_RIGHT)
                      ? p.channelsId
                      : app::ID_CHANNELS_DUAL;
  v_.displayId = IsDisplayId(p.displayId) ? p.displayId : app::ID_DISPLAY_SCROLL2;
  if (IsAnalyze() && IsScope()) {
    // The Analyze members only draw sonograms: a scope choice opens as the
    // sonogram of the same number.
    v_.displayId = v_.displayId == app::ID_DISPLAY_SCOPE1 ? app::ID_DISPLAY_SCROLL1
                                                          : app::ID_DISPLAY_SCROLL2;
  }
  v_.plotTypeId = p.plotTypeId == app::ID_PLOT_DELTA ? app::ID_PLOT_DELTA : app::ID_PLOT_SIGNAL;
  v_.paletteId =
      Between(p.paletteId, app::ID_PALETTE_CB, app::ID_PALETTE_PERCEPTUAL) ? p.paletteId : app::ID_PALETTE_CB;
  v_.scaleId = Between(p.frequencyScaleId, app::ID_SCALE_LINEAR, app::ID_SCALE_OCT3)
                   ? p.frequencyScaleId
                   : app::ID_SCALE_LINEAR;
  // Sonograms have no one-third-octave scale; the ultrasound member only a
  // linear one.
  if (!IsScope() && v_.scaleId == app::ID_SCALE_OCT3) v_.scaleId = app::ID_SCALE_LOG;
  if (member_ == M::AnalyzeUltrasound) v_.scaleId = app::ID_SCALE_LINEAR;
  v_.averagingId = Between(p.averagingId, app::ID_AVERAGING_OFF, app::ID_AVERAGING_SEC)
                       ? p.averagingId
                       : app::ID_AVERAGING_OFF;
  v_.widthUnitId = p.widthUnitId == app::ID_WIDTH_MIN ? app::ID_WIDTH_MIN : app::ID_WIDTH_SEC;
  v_.recordingId = app::ID_RECORDING_OFF;  // a dialog always opens with recording Off
  if (IsAnalyze()) {
    v_.ultrasoundId = Between(p.ultrasoundId, app::ID_ULTRASOUND_OFF, app::ID_ULTRASOUND_TIME_EXP)
                          ? p.ultrasoundId
                          : app::ID_ULTRASOUND_OFF;
    v_.multiplier = std::clamp(setup.multiplier, kMultiplierLowest, kMultiplierHighest);
    fileMultiplier_ = std::clamp(setup.fileMultiplier, kMultiplierLowest, kMultiplierHighest);
    if (member_ == M::AnalyzeUltrasound && v_.ultrasoundId == app::ID_ULTRASOUND_OFF) v_.multiplier = 1;
  }
  v_.lowHz = p.lowBandHz;
  v_.highHz = p.highBandHz;
  v_.widthS = p.displayWidthS;
  v_.resolutionHz = p.resolutionHz;
  v_.fftSize = p.fftSize;
  v_.sonogramMax = p.sonogramLevelMax;
  v_.sonogramMin = p.sonogramLevelMin;
  v_.scopeMax = p.scopeLevelMax;
  v_.scopeMin = p.scopeLevelMin;
  v_.averagingScrollMs = p.averagingScrollMs;
  v_.averagingScopeMs = p.averagingScopeMs;
  v_.triggerLevel = std::clamp(setup.triggerLevel, kTriggerLowest, kTriggerHighest);
  v_.preTriggerS = std::clamp(p.preTriggerS, 0.0F, app::kMaxPreTriggerS);
  v_.cursorOffsetHz = p.cursorFrequencyOffsetHz;
  v_.beginS = setup.beginS;
  v_.endS = setup.endS;
  if (IsAutomatic()) {
    // No controls for them: the automatic members start them afresh.
    v_.cursorOffsetHz = 0;
    v_.averagingScrollMs = 0;
    if (member_ == M::ScanInputAutomatic) v_.averagingScopeMs = 200;
  }
}

// ---- Which member has what ----

bool ParameterDialogModel::IsManual() const {
  return member_ == M::ScanInputManual || member_ == M::ScanFileManual || member_ == M::AnalyzeManual;
}
bool ParameterDialogModel::IsAutomatic() const { return !IsManual(); }
bool ParameterDialogModel::IsAnalyze() const {
  return member_ == M::AnalyzeManual || member_ == M::AnalyzeAutomatic ||
         member_ == M::AnalyzeUltrasound;
}
bool ParameterDialogModel::IsScanInput() const {
  return member_ == M::ScanInputManual || member_ == M::ScanInputAutomatic;
}
bool ParameterDialogModel::HasFile() const { return !IsScanInput(); }

bool ParameterDialogModel::Has(int id) const {
  const bool ultrasound = member_ == M::AnalyzeUltrasound;
  switch (id) {
    case IDC_OK:
    case IDC_CANCEL:
    case IDC_RESET:
    case IDC_SCROLL_HIGH_BAND:
    case IDC_EDIT_HIGH_BAND:
    case IDC_SCROLL_LOW_BAND:
    case IDC_EDIT_LOW_BAND:
    case IDC_EDIT_WIDTH:
    case app::ID_DISPLAY_SCROLL1:
    case app::ID_DISPLAY_SCROLL2:
      return true;
    case app::ID_DISPLAY_SCOPE1:
    case app::ID_DISPLAY_SCOPE2:
    case app::ID_PLOT_SIGNAL:
    case app::ID_PLOT_DELTA:
    case app::ID_SCALE_OCT3:
      return !IsAnalyze();
    case app::ID_SCALE_LINEAR:
    case app::ID_SCALE_LOG:
      return !ultrasound;
    case IDC_EDIT_BEGIN:
    case IDC_EDIT_END:
      return HasFile();
    case IDC_SCROLL_WIDTH:
    case IDC_EDIT_AUTO_RESOLUTION:
      return IsAutomatic();
    case IDC_SCROLL_MULTIPLIER:
    case IDC_EDIT_MULTIPLIER:
      return ultrasound;
    case IDC_SCROLL_TRIGGER:
    case IDC_EDIT_TRIGGER:
    case IDC_EDIT_PRE_TRIGGER:
      return IsScanInput();
    case IDC_SCROLL_LEVEL_MAX:
    case IDC_EDIT_LEVEL_MAX:
    case IDC_SCROLL_LEVEL_MIN:
    case IDC_EDIT_LEVEL_MIN:
    case IDC_SCROLL_RESOLUTION:
    case IDC_EDIT_RESOLUTION:
    case IDC_EDIT_AVERAGING:
    case IDC_EDIT_CURSOR_OFFSET:
      return IsManual();
    default:
      break;
  }
  if (Between(id, app::ID_RATE_22K, app::ID_RATE_96K) || id == app::ID_TYPE_MONO ||
      id == app::ID_TYPE_STEREO || id == app::ID_BITS_16 || id == app::ID_BITS_24 ||
      id == app::ID_RECORDING_OFF || id == app::ID_RECORDING_ON || id == app::ID_RECORDING_TRIGGER) {
    return IsScanInput();
  }
  if (Between(id, app::ID_CHANNELS_DUAL, app::ID_CHANNELS_RIGHT) ||
      Between(id, app::ID_PALETTE_CB, app::ID_PALETTE_PERCEPTUAL)) {
    return true;
  }
  if (Between(id, app::ID_AVERAGING_OFF, app::ID_AVERAGING_SEC) || Between(id, IDC_FFT_512, IDC_FFT_16384) ||
      id == app::ID_WIDTH_SEC || id == app::ID_WIDTH_MIN) {
    return IsManual();
  }
  if (Between(id, app::ID_ULTRASOUND_OFF, app::ID_ULTRASOUND_TIME_EXP)) return ultrasound;
  return false;
}

// ---- Derived state ----

bool ParameterDialogModel::IsStereo() const { return v_.typeId == app::ID_TYPE_STEREO; }
bool ParameterDialogModel::IsDual() const {
  return IsStereo() && v_.channelsId == app::ID_CHANNELS_DUAL;
}
bool ParameterDialogModel::IsScope() const {
  return v_.displayId == app::ID_DISPLAY_SCOPE1 || v_.displayId == app::ID_DISPLAY_SCOPE2;
}
bool ParameterDialogModel::IsLinear() const { return v_.scaleId == app::ID_SCALE_LINEAR; }
bool ParameterDialogModel::DeltaPlotEnabled() const {
  return IsDual() && v_.displayId == app::ID_DISPLAY_SCOPE1;
}

int ParameterDialogModel::TimeFactor() const {
  return IsAnalyze() && v_.ultrasoundId == app::ID_ULTRASOUND_TIME_EXP ? v_.multiplier : 1;
}

std::string ParameterDialogModel::TextOf(int id) const {
  const auto found = texts_.find(id);
  return found == texts_.end() ? std::string() : found->second;
}

std::string ParameterDialogModel::LevelText(std::int32_t level) const {
  return FormatInteger(dsp::ShownLevelDb(level, opening_.splCalibrated));
}

ControlState ParameterDialogModel::State(int id) const {
  ControlState s;
  const ControlInfo* info = FindControl(id);
  if (info == nullptr || !Has(id)) return s;
  s.present = true;
  const std::int32_t half = v_.rateHz / 2;
  const std::int32_t m = v_.multiplier;
  const auto scroll = [&s](int value, int lowest, int highest, bool enabled = true) {
    s.minimum = lowest;
    s.maximum = highest;
    s.value = std::clamp(value, lowest, highest);
    s.enabled = enabled;
  };
  const auto shown = [&s](std::string text, bool enabled = true) {
    s.text = std::move(text);
    s.readOnly = true;
    s.enabled = enabled;
  };
  switch (id) {
    case IDC_SCROLL_HIGH_BAND: scroll(v_.highHz, 0, half, IsLinear()); return s;
    case IDC_SCROLL_LOW_BAND:
      if (IsLinear()) {
        scroll(v_.lowHz, 0, half);
      } else {
        scroll(v_.lowHz, kLogLowestHz, kLogLowHighestHz);
      }
      return s;
    case IDC_SCROLL_LEVEL_MAX:
      scroll(v_.levelMax + kLevelScrollOffset, 0, kLevelScrollMax);
      return s;
    case IDC_SCROLL_LEVEL_MIN:
      scroll(v_.levelMin + kLevelScrollOffset, 0, kLevelScrollMax);
      return s;
    case IDC_SCROLL_RESOLUTION:
      scroll(v_.resolutionPosition, kResolutionPositionLowest, kResolutionPositionHighest);
      return s;
    case IDC_SCROLL_TRIGGER:
      scroll(v_.triggerLevel, kTriggerLowest, kTriggerHighest,
             v_.recordingId == app::ID_RECORDING_TRIGGER);
      return s;
    case IDC_SCROLL_WIDTH:
      scroll(dsp::RoundHalfAway(v_.widthS * 10.0, kWidthPositionLowest, kWidthPositionHighest),
             kWidthPositionLowest, kWidthPositionHighest);
      return s;
    case IDC_SCROLL_MULTIPLIER:
      scroll(v_.multiplier, kMultiplierLowest, kMultiplierHighest,
             v_.ultrasoundId != app::ID_ULTRASOUND_OFF);
      return s;
    case IDC_EDIT_LEVEL_MAX: shown(LevelText(v_.levelMax)); return s;
    case IDC_EDIT_LEVEL_MIN: shown(LevelText(v_.levelMin)); return s;
    case IDC_EDIT_RESOLUTION:
    case IDC_EDIT_AUTO_RESOLUTION:
      shown(FormatFixed(static_cast<double>(v_.resolutionHz) * m, 1));
      return s;
    case IDC_EDIT_HIGH_BAND: shown(FormatInteger(std::int64_t{v_.highHz} * m)); return s;
    case IDC_EDIT_LOW_BAND: shown(FormatInteger(std::int64_t{v_.lowHz} * m)); return s;
    case IDC_EDIT_TRIGGER: {
      const bool trigger = v_.recordingId == app::ID_RECORDING_TRIGGER;
      shown(trigger ? LevelText(v_.triggerLevel) : std::string(), trigger);
      return s;
    }
    case IDC_EDIT_PRE_TRIGGER:
      s.text = TextOf(id);
      s.enabled = v_.recordingId == app::ID_RECORDING_TRIGGER;
      return s;
    case IDC_EDIT_MULTIPLIER: shown(FormatInteger(v_.multiplier)); return s;
    case IDC_EDIT_WIDTH:
      if (IsAutomatic()) {
        shown(FormatFixed(static_cast<double>(v_.widthS) / TimeFactor(), 3));
        return s;
      }
      s.text = TextOf(id);
      s.enabled = !IsScope();
      return s;
    case IDC_EDIT_AVERAGING:
      s.text = TextOf(id);
      s.enabled = v_.averagingId != app::ID_AVERAGING_OFF;
      return s;
    case IDC_EDIT_CURSOR_OFFSET:
    case IDC_EDIT_BEGIN:
    case IDC_EDIT_END:
      s.text = TextOf(id);
      return s;
    default:
      break;
  }
  if (info->kind != ControlKind::Radio) return s;

  if (Between(id, app::ID_RATE_22K, app::ID_RATE_96K)) {
    s.checked = v_.rateId == id;
  } else if (id == app::ID_TYPE_MONO || id == app::ID_TYPE_STEREO) {
    s.checked = v_.typeId == id;
  } else if (id == app::ID_BITS_16 || id == app::ID_BITS_24) {
    s.checked = v_.bitsId == id;
  } else if (Between(id, app::ID_CHANNELS_DUAL, app::ID_CHANNELS_RIGHT)) {
    s.checked = IsStereo() && v_.channelsId == id;
    s.enabled = IsStereo();
  } else if (IsDisplayId(id)) {
    s.checked = v_.displayId == id;
  } else if (id == app::ID_PLOT_SIGNAL || id == app::ID_PLOT_DELTA) {
    s.checked = v_.plotTypeId == id;
    s.enabled = id == app::ID_PLOT_SIGNAL || DeltaPlotEnabled();
  } else if (Between(id, app::ID_PALETTE_CB, app::ID_PALETTE_PERCEPTUAL)) {
    s.checked = v_.paletteId == id;
  } else if (Between(id, app::ID_SCALE_LINEAR, app::ID_SCALE_OCT3)) {
    s.checked = v_.scaleId == id;
    s.enabled = id != app::ID_SCALE_OCT3 || IsScope();
  } else if (Between(id, IDC_FFT_512, IDC_FFT_16384)) {
    s.checked = FftIdForSize(v_.fftSize) == id;
  } else if (Between(id, app::ID_AVERAGING_OFF, app::ID_AVERAGING_SEC)) {
    s.checked = v_.averagingId == id;
  } else if (id == app::ID_WIDTH_SEC || id == app::ID_WIDTH_MIN) {
    s.checked = v_.widthUnitId == id;
    s.enabled = !IsScope();
  } else if (id == app::ID_RECORDING_OFF || id == app::ID_RECORDING_ON ||
             id == app::ID_RECORDING_TRIGGER) {
    s.checked = v_.recordingId == id;
  } else if (Between(id, app::ID_ULTRASOUND_OFF, app::ID_ULTRASOUND_TIME_EXP)) {
    s.checked = v_.ultrasoundId == id;
  }
  return s;
}

// ---- Shared steps ----

void ParameterDialogModel::UpdateTimePerColumn() {
  v_.timePerColumnMs =
      TimePerColumnMs(v_.widthS, geometry_.displayWidth, geometry_.leftMargin, IsDual());
}

void ParameterDialogModel::WorkOutResolution() {
  const bool scope = IsScope();
  const float rate = static_cast<float>(v_.rateHz);
  v_.resolutionHz = dsp::AutomaticResolution(
      static_cast<float>(v_.lowHz), static_cast<float>(v_.highHz), rate, v_.timePerColumnMs,
      scope ? dsp::DisplayKind::Scope : dsp::DisplayKind::Sonogram,
      scope ? geometry_.scopePoints : geometry_.sonogramRows, ScaleOf(v_.scaleId));
  v_.fftSize = dsp::FftSizeForResolution(rate, v_.resolutionHz);
  v_.resolutionPosition = PositionForResolution(v_.rateHz, v_.fftSize, v_.resolutionHz);
}

void ParameterDialogModel::AfterBandOrWidthChange() {
  if (IsAutomatic()) WorkOutResolution();
}

void ParameterDialogModel::ApplyPlotTypeRule() {
  if (!DeltaPlotEnabled()) v_.plotTypeId = app::ID_PLOT_SIGNAL;
}

void ParameterDialogModel::ShowLevelsOfDisplay() {
  v_.levelMax = IsScope() ? v_.scopeMax : v_.sonogramMax;
  v_.levelMin = IsScope() ? v_.scopeMin : v_.sonogramMin;
}

void ParameterDialogModel::StoreLevelsOfDisplay() {
  (IsScope() ? v_.scopeMax : v_.sonogramMax) = v_.levelMax;
  (IsScope() ? v_.scopeMin : v_.sonogramMin) = v_.levelMin;
}

// The averaging time of the display type chosen into its edit ("Off": the
// time becomes 0 and the edit empty).
void ParameterDialogModel::ShowAveraging() {
  if (!IsManual()) return;
  if (v_.averagingId == app::ID_AVERAGING_OFF) {
    v_.averagingMs = 0;
    texts_[IDC_EDIT_AVERAGING].clear();
    return;
  }
  v_.averagingMs = IsScope() ? v_.averagingScopeMs : v_.averagingScrollMs;
  texts_[IDC_EDIT_AVERAGING] = v_.averagingId == app::ID_AVERAGING_SEC
                                   ? FormatFixed(v_.averagingMs / 1000.0, 3)
                                   : FormatFixed(v_.averagingMs, 0);
}

// The averaging edit read in the unit chosen; "Off" reads as 0.
void ParameterDialogModel::ReadAveragingEdit() {
  if (!IsManual()) return;
  if (v_.averagingId == app::ID_AVERAGING_OFF) {
    v_.averagingMs = 0;
    return;
  }
  const double value = ReadLeadingNumber(texts_[IDC_EDIT_AVERAGING], kShortEditChars);
  v_.averagingMs = RoundedMs(v_.averagingId == app::ID_AVERAGING_SEC ? value * 1000.0 : value);
}

void ParameterDialogModel::ShowPreTrigger() {
  texts_[IDC_EDIT_PRE_TRIGGER] = FormatFixed(v_.preTriggerS, 1);
}

void ParameterDialogModel::ShowWidth() {
  if (!IsManual()) return;
  const double unit = v_.widthUnitId == app::ID_WIDTH_MIN ? 60.0 : 1.0;
  texts_[IDC_EDIT_WIDTH] = FormatFixed(v_.widthS / unit / TimeFactor(), 3);
}

// The width edit read in the unit chosen, unless it still shows the held
// width (reading the rounded text back would move the width a little at
// every change of unit).
void ParameterDialogModel::ReadWidthEdit() {
  if (!IsManual()) return;
  const std::string held = texts_[IDC_EDIT_WIDTH];
  ShowWidth();
  if (texts_[IDC_EDIT_WIDTH] == held) return;
  texts_[IDC_EDIT_WIDTH] = held;
  const double unit = v_.widthUnitId == app::ID_WIDTH_MIN ? 60.0 : 1.0;
  v_.widthS = static_cast<float>(ReadLeadingNumber(held, kShortEditChars) * unit * TimeFactor());
}

void ParameterDialogModel::ShowSegment() {
  if (!HasFile()) return;
  texts_[IDC_EDIT_BEGIN] = FormatFixed(static_cast<double>(v_.beginS) / TimeFactor(), 3);
  texts_[IDC_EDIT_END] = FormatFixed(static_cast<double>(v_.endS) / TimeFactor(), 3);
}

// Begin and End read with the time factor in effect, each only when the user
// changed its text (see ReadWidthEdit).
void ParameterDialogModel::ReadSegmentEdits() {
  if (!HasFile()) return;
  const std::string begin = texts_[IDC_EDIT_BEGIN];
  const std::string end = texts_[IDC_EDIT_END];
  ShowSegment();
  const double factor = TimeFactor();
  if (texts_[IDC_EDIT_BEGIN] != begin) {
    v_.beginS = static_cast<float>(ReadLeadingNumber(begin, kSegmentEditChars) * factor);
  }
  if (texts_[IDC_EDIT_END] != end) {
    v_.endS = static_cast<float>(ReadLeadingNumber(end, kSegmentEditChars) * factor);
  }
  ShowSegment();
}

// The frequency-scale radio's band: Linear 0 … 6000 Hz (at most rate / 2),
// Log and Oct/3 20 Hz … rate / 2; then the resolution worked out.
void ParameterDialogModel::SetBandForScale() {
  const std::int32_t half = v_.rateHz / 2;
  if (IsLinear()) {
    v_.lowHz = 0;
    v_.highHz = std::min(kResetHighHz, half);
  } else {
    v_.lowHz = kLogLowestHz;
    v_.highHz = half;
  }
  WorkOutResolution();
}

// The rate radio's band: Linear keeps high up to rate / 2 and starts at 0;
// Log and Oct/3 as under the scale radio.
void ParameterDialogModel::ApplyBandRanges() {
  const std::int32_t half = v_.rateHz / 2;
  if (IsLinear()) {
    v_.lowHz = 0;
    v_.highHz = std::min(v_.highHz, half);
  } else {
    v_.lowHz = kLogLowestHz;
    v_.highHz = half;
  }
  WorkOutResolution();
}

// ---- User actions ----

void ParameterDialogModel::Click(int id) {
  if (id == IDC_RESET) {
    Reset();
    return;
  }
  const ControlState s = State(id);
  if (!s.present || !s.enabled) return;
  if (FindControl(id)->kind != ControlKind::Radio) return;

  if (Between(id, app::ID_RATE_22K, app::ID_RATE_96K)) {
    ClickRate(id);
  } else if (id == app::ID_TYPE_MONO || id == app::ID_TYPE_STEREO) {
    ClickType(id);
  } else if (id == app::ID_BITS_16 || id == app::ID_BITS_24) {
    v_.bitsId = id;
  } else if (Between(id, app::ID_CHANNELS_DUAL, app::ID_CHANNELS_RIGHT)) {
    ClickChannels(id);
  } else if (IsDisplayId(id)) {
    ClickDisplay(id);
  } else if (id == app::ID_PLOT_SIGNAL || id == app::ID_PLOT_DELTA) {
    v_.plotTypeId = id;
  } else if (Between(id, app::ID_PALETTE_CB, app::ID_PALETTE_PERCEPTUAL)) {
    v_.paletteId = id;
  } else if (Between(id, app::ID_SCALE_LINEAR, app::ID_SCALE_OCT3)) {
    ClickScale(id);
  } else if (Between(id, IDC_FFT_512, IDC_FFT_16384)) {
    ClickFftSize(id);
  } else if (Between(id, app::ID_AVERAGING_OFF, app::ID_AVERAGING_SEC)) {
    ClickAveraging(id);
  } else if (id == app::ID_WIDTH_SEC || id == app::ID_WIDTH_MIN) {
    ClickWidthUnit(id);
  } else if (id == app::ID_RECORDING_OFF || id == app::ID_RECORDING_ON ||
             id == app::ID_RECORDING_TRIGGER) {
    ClickRecording(id);
  } else if (Between(id, app::ID_ULTRASOUND_OFF, app::ID_ULTRASOUND_TIME_EXP)) {
    ClickUltrasound(id);
  }
}

void ParameterDialogModel::ClickRate(int id) {
  v_.rateId = id;
  v_.rateHz = RateForId(id);
  ApplyBandRanges();
}

void ParameterDialogModel::ClickType(int id) {
  v_.typeId = id;
  UpdateTimePerColumn();
  ApplyPlotTypeRule();
}

void ParameterDialogModel::ClickChannels(int id) {
  v_.channelsId = id;
  UpdateTimePerColumn();
  ApplyPlotTypeRule();
}

void ParameterDialogModel::ClickDisplay(int id) {
  // What the old display type showed goes back to its own limits and
  // averaging time.
  if (IsManual()) {
    StoreLevelsOfDisplay();
    ReadAveragingEdit();
    (IsScope() ? v_.averagingScopeMs : v_.averagingScrollMs) = v_.averagingMs;
  }
  v_.displayId = id;
  ShowLevelsOfDisplay();
  if (IsScope()) {
    v_.averagingId = app::ID_AVERAGING_MSEC;
  } else {
    v_.averagingId = app::ID_AVERAGING_OFF;
    if (v_.scaleId == app::ID_SCALE_OCT3) v_.scaleId = app::ID_SCALE_LOG;
  }
  ShowAveraging();
  ApplyPlotTypeRule();
}

void ParameterDialogModel::ClickScale(int id) {
  v_.scaleId = id;
  SetBandForScale();
}

void ParameterDialogModel::ClickFftSize(int id) {
  v_.fftSize = FftSizeForId(id);
  v_.resolutionHz = ResolutionForPosition(v_.rateHz, v_.fftSize, v_.resolutionPosition);
}

void ParameterDialogModel::ClickAveraging(int id) {
  // Between "msec" and "sec" the typed time carries over.
  if (v_.averagingId != app::ID_AVERAGING_OFF) ReadAveragingEdit();
  v_.averagingId = id;
  if (id == app::ID_AVERAGING_OFF) {
    v_.averagingMs = 0;
    texts_[IDC_EDIT_AVERAGING].clear();
  } else {
    texts_[IDC_EDIT_AVERAGING] = id == app::ID_AVERAGING_SEC ? FormatFixed(v_.averagingMs / 1000.0, 3)
                                                             : FormatFixed(v_.averagingMs, 0);
  }
}

void ParameterDialogModel::ClickWidthUnit(int id) {
  ReadWidthEdit();
  v_.widthUnitId = id;
  ShowWidth();
  UpdateTimePerColumn();
}

void ParameterDialogModel::ClickRecording(int id) { v_.recordingId = id; }

void ParameterDialogModel::ClickUltrasound(int id) {
  ReadSegmentEdits();
  v_.ultrasoundId = id;
  if (id == app::ID_ULTRASOUND_OFF) v_.multiplier = 1;
  ShowSegment();
}

void ParameterDialogModel::Scroll(int id, ScrollAction action, int thumbPosition) {
  const ControlState s = State(id);
  if (!s.present || !s.enabled || FindControl(id)->kind != ControlKind::ScrollBar) return;
  switch (id) {
    case IDC_SCROLL_LEVEL_MAX:
    case IDC_SCROLL_LEVEL_MIN: {
      const LevelLimits limits{v_.levelMax, v_.levelMin};
      const LevelLimits next = id == IDC_SCROLL_LEVEL_MAX
                                   ? ScrollLevelMax(limits, action, thumbPosition)
                                   : ScrollLevelMin(limits, action, thumbPosition);
      v_.levelMax = next.max;
      v_.levelMin = next.min;
      return;
    }
    case IDC_SCROLL_LOW_BAND:
    case IDC_SCROLL_HIGH_BAND: {
      const BandLimits band{v_.lowHz, v_.highHz};
      const BandLimits next =
          id == IDC_SCROLL_LOW_BAND
              ? ScrollLowBand(band, action, thumbPosition, v_.rateHz, IsLinear())
              : ScrollHighBand(band, action, thumbPosition, v_.rateHz);
      v_.lowHz = next.lowHz;
      v_.highHz = next.highHz;
      AfterBandOrWidthChange();
      return;
    }
    case IDC_SCROLL_RESOLUTION:
      v_.resolutionPosition = ScrollResolutionPosition(v_.resolutionPosition, action, thumbPosition);
      v_.resolutionHz = ResolutionForPosition(v_.rateHz, v_.fftSize, v_.resolutionPosition);
      return;
    case IDC_SCROLL_TRIGGER:
      v_.triggerLevel = ScrollTriggerLevel(v_.triggerLevel, action, thumbPosition);
      return;
    case IDC_SCROLL_WIDTH:
      v_.widthS = static_cast<float>(ScrollWidthPosition(s.value, action, thumbPosition)) / 10.0F;
      UpdateTimePerColumn();
      AfterBandOrWidthChange();
      return;
    case IDC_SCROLL_MULTIPLIER:
      ReadSegmentEdits();
      v_.multiplier = ScrollMultiplier(v_.multiplier, action, thumbPosition);
      ShowSegment();
      return;
    default:
      return;
  }
}

void ParameterDialogModel::SetText(int id, std::string text) {
  const ControlState s = State(id);
  if (!s.present || s.readOnly || FindControl(id)->kind != ControlKind::Edit) return;
  texts_[id] = std::move(text);
}

void ParameterDialogModel::Reset() {
  const bool automaticAnalyze = member_ == M::AnalyzeAutomatic || member_ == M::AnalyzeUltrasound;
  if (IsScanInput()) {
    v_.rateHz = 48000;
    v_.rateId = app::ID_RATE_48K;
    v_.bitsId = app::ID_BITS_16;
    v_.typeId = app::ID_TYPE_MONO;
  } else if (IsStereo()) {
    v_.channelsId = app::ID_CHANNELS_DUAL;
  }
  v_.paletteId = app::ID_PALETTE_CB;
  v_.displayId = app::ID_DISPLAY_SCROLL2;
  v_.scaleId = app::ID_SCALE_LINEAR;
  v_.plotTypeId = app::ID_PLOT_SIGNAL;
  v_.recordingId = app::ID_RECORDING_OFF;
  if (IsScanInput()) {
    v_.preTriggerS = 0.0F;
    ShowPreTrigger();
  }
  v_.widthUnitId = app::ID_WIDTH_SEC;
  v_.widthS = kDefaultWidthS;
  v_.sonogramMax = opening_.defaultSonogramMax;
  v_.sonogramMin = opening_.defaultSonogramMin;
  v_.scopeMax = 120;
  v_.scopeMin = -60;
  v_.averagingId = app::ID_AVERAGING_OFF;
  v_.averagingScrollMs = 0;
  v_.averagingScopeMs = 200;
  v_.cursorOffsetHz = 0;
  v_.lowHz = 0;
  v_.highHz = std::min(kResetHighHz, v_.rateHz / 2);
  if (automaticAnalyze) {
    v_.highHz = v_.highHz / 1000 * 1000;
    v_.ultrasoundId = app::ID_ULTRASOUND_OFF;
    v_.multiplier = 1;
  }
  if (IsManual()) texts_[IDC_EDIT_CURSOR_OFFSET] = FormatInteger(0);
  UpdateTimePerColumn();
  ShowLevelsOfDisplay();
  ShowAveraging();
  ShowWidth();
  ApplyPlotTypeRule();
  WorkOutResolution();
  ShowSegment();
}

void ParameterDialogModel::Commit(app::CurrentParameters& target) {
  if (IsManual()) {
    const double unit = v_.widthUnitId == app::ID_WIDTH_MIN ? 60.0 : 1.0;
    const double widthS =
        ReadLeadingNumber(texts_[IDC_EDIT_WIDTH], kShortEditChars) * unit * TimeFactor();
    v_.widthS = widthS > 0.0 ? static_cast<float>(widthS) : kDefaultWidthS;
    ReadAveragingEdit();
    (IsScope() ? v_.averagingScopeMs : v_.averagingScrollMs) = v_.averagingMs;
    StoreLevelsOfDisplay();
    v_.cursorOffsetHz = ReadLeadingInteger(texts_[IDC_EDIT_CURSOR_OFFSET]);
  }
  UpdateTimePerColumn();
  if (IsScanInput()) {
    // Text that is no number reads as 0: no pre-trigger.
    const double preTriggerS = ReadLeadingNumber(texts_[IDC_EDIT_PRE_TRIGGER], kShortEditChars);
    v_.preTriggerS = static_cast<float>(std::clamp(std::isfinite(preTriggerS) ? preTriggerS : 0.0, 0.0,
                                                   static_cast<double>(app::kMaxPreTriggerS)));
  }
  if (HasFile()) {
    const double factor = TimeFactor();
    v_.beginS = static_cast<float>(ReadLeadingNumber(texts_[IDC_EDIT_BEGIN], kSegmentEditChars) * factor);
    v_.endS = static_cast<float>(ReadLeadingNumber(texts_[IDC_EDIT_END], kSegmentEditChars) * factor);
  }
  if (member_ == M::AnalyzeAutomatic || member_ == M::AnalyzeUltrasound) {
    v_.averagingId = app::ID_AVERAGING_OFF;
    v_.averagingScrollMs = 0;
    WorkOutResolution();
  }

  target.channelsId = v_.channelsId;
  target.displayId = v_.displayId;
  target.plotTypeId = v_.plotTypeId;
  target.paletteId = v_.paletteId;
  target.frequencyScaleId = v_.scaleId;
  target.averagingId = v_.averagingId;
  target.averagingScrollMs = v_.averagingScrollMs;
  target.averagingScopeMs = v_.averagingScopeMs;
  target.widthUnitId = v_.widthUnitId;
  target.lowBandHz = v_.lowHz;
  target.highBandHz = v_.highHz;
  target.displayWidthS = v_.widthS;
  target.timePerColumnMs = v_.timePerColumnMs;
  target.resolutionHz = v_.resolutionHz;
  target.fftSize = v_.fftSize;
  target.sonogramLevelMax = v_.sonogramMax;
  target.sonogramLevelMin = v_.sonogramMin;
  target.scopeLevelMax = v_.scopeMax;
  target.scopeLevelMin = v_.scopeMin;
  target.cursorFrequencyOffsetHz = v_.cursorOffsetHz;
  if (IsScanInput()) {
    target.sampleRateHz = v_.rateHz;
    target.sampleRateId = v_.rateId;
    target.resolutionId = v_.bitsId;
    target.typeId = v_.typeId;
    target.recordingId = v_.recordingId;
    target.preTriggerS = v_.preTriggerS;
  } else {
    target.beginS = v_.beginS;
    target.endS = v_.endS;
  }
  if (member_ == M::AnalyzeAutomatic || member_ == M::AnalyzeUltrasound) {
    target.ultrasoundId = v_.ultrasoundId;
    // Without a conversion the display still shows the file's own
    // frequencies: an ultrasound file keeps the multiplier its rate implies.
    target.frequencyMultiplier = v_.ultrasoundId == app::ID_ULTRASOUND_OFF ? fileMultiplier_ : v_.multiplier;
  }
}

void ParameterDialogModel::Cancel(app::CurrentParameters& target) const {
  target.sonogramLevelMax = opening_.sonogramLevelMax;
  target.sonogramLevelMin = opening_.sonogramLevelMin;
  target.scopeLevelMax = opening_.scopeLevelMax;
  target.scopeLevelMin = opening_.scopeLevelMin;
}

}  // namespace sonavue::dialogs
