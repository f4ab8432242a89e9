#include "dialogs/SplCalibrationModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sonavue::dialogs {

SplCalibrationModel::SplCalibrationModel(int control, int methodId)
    : control_(std::clamp(control, 0, kSplControlMax)),
      methodId_(methodId == IDC_SPL_ACOUSTIC_SOURCE ? IDC_SPL_ACOUSTIC_SOURCE : IDC_SPL_SOUND_METER) {}

bool SplCalibrationModel::Scroll(SplScrollAction action, int position) {
  int next = control_;
  switch (action) {
    case SplScrollAction::LineLeft: next -= 1; break;
    case SplScrollAction::LineRight: next += 1; break;
    case SplScrollAction::PageLeft: next -= 10; break;
    case SplScrollAction::PageRight: next += 10; break;
    case SplScrollAction::ThumbPosition:
    case SplScrollAction::ThumbTrack: next = position; break;
  }
  next = std::clamp(next, 0, kSplControlMax);
  const bool changed = next != control_;
  control_ = next;
  return changed;
}

bool SplCalibrationModel::ChooseMethod(int methodId) {
  if (methodId != IDC_SPL_ACOUSTIC_SOURCE && methodId != IDC_SPL_SOUND_METER) return false;
  const bool changed = methodId != methodId_;
  methodId_ = methodId;
  return changed;
}

bool SplCalibrationModel::SetMeasured(double levelDb) {
  if (!std::isfinite(levelDb)) return false;
  const double limited = std::clamp(levelDb, -1.0e6, 1.0e6);
  const int shown = static_cast<int>(limited < 0.0 ? -std::floor(-limited + 0.5) : std::floor(limited + 0.5));
  const bool changed = !measured_ || *measured_ != shown;
  measured_ = shown;
  return changed;
}

std::string SplCalibrationModel::MeasuredText(int level) {
  char text[40];
  std::snprintf(text, sizeof text, "Measured SPL:  %-3i", level);
  return text;
}

std::vector<PanelLine> SplCalibrationModel::PanelLines() const {
  std::vector<PanelLine> lines;
  if (measured_) lines.push_back({MeasuredText(*measured_), 1});
  if (methodId_ == IDC_SPL_ACOUSTIC_SOURCE) {
    lines.push_back({"Connect microphone to calibrated acoustic source.", 4});
    lines.push_back({"Adjust SPL Calibration Control", 8});
    lines.push_back({"so that measured SPL equals acoustic source SPL.", 10});
  } else {
    lines.push_back({"Hold microphone & sound meter in front of speakers.", 4});
    lines.push_back({"Adjust SPL Calibration Control so that", 8});
    lines.push_back({"measured SPL equals sound meter SPL.", 10});
  }
  lines.push_back({"Then Click OK", 12});
  return lines;
}

platform::Point SplDialogPosition(platform::Size screen, platform::Size dialog) {
  const int x = std::max(0, (screen.w - dialog.w) / 2);
  const int half = (screen.h - dialog.h) / 2;
  return {x, half < 30 ? 0 : half - 30};
}

}  // namespace sonavue::dialogs
