#include "dialogs/ColorsDialogModel.h"

#include <algorithm>
#include <cstdint>

#include "plans/ColorScale.h"

namespace sonavue::dialogs {
namespace {

constexpr int kLevelStep = 10;
constexpr int kMinimumRange = 30;
constexpr int kMaxLowest = -30;
constexpr int kMaxHighest = 120;
constexpr int kMinLowest = -60;
// Min stays 30 below the highest Max, so that the range never falls below
// 30 dB.
constexpr int kMinHighest = kMaxHighest - kMinimumRange;
constexpr int kScopeResetMin = -60;
constexpr int kScopeResetMax = 120;
// The sonogram's default levels without and with SPL calibration.
constexpr int kDefaultMin = 0;
constexpr int kDefaultMax = 90;
constexpr int kSplDefaultMin = 30;
constexpr int kSplDefaultMax = 120;
constexpr int kRelativeOffsetDb = 90;
constexpr int kColorLineStep = 1;
constexpr int kColorPageStep = 10;

std::uint8_t& Channel(platform::Rgb& color, int channel) {
  return channel == 0 ? color.r : (channel == 1 ? color.g : color.b);
}

std::uint8_t ChannelValue(const platform::Rgb& color, int channel) {
  return channel == 0 ? color.r : (channel == 1 ? color.g : color.b);
}

// The level bars' step: lines and pages alike move 10.
int Stepped(int value, ScrollAction action) {
  switch (action) {
    case ScrollAction::LineUp:
    case ScrollAction::PageUp: return value + kLevelStep;
    case ScrollAction::LineDown:
    case ScrollAction::PageDown: return value - kLevelStep;
    case ScrollAction::Thumb: break;
  }
  return value;
}

// A thumb position as a level, cut toward zero to a multiple of 10.
int ThumbLevel(int thumb) {
  const int level = std::min(thumb, kLevelBarMax) - kLevelBarOffset;
  return level / kLevelStep * kLevelStep;
}

}  // namespace

ColorsDialogModel::ColorsDialogModel(const ColorsDialogSetup& setup)
    : opening_(setup),
      current_(setup.current),
      user_(setup.user),
      choice_(setup.choice),
      minDb_(setup.minDb),
      maxDb_(setup.maxDb),
      scope_(setup.scope),
      spl_(setup.splCalibrated) {}

void ColorsDialogModel::FinishOperation() {
  operation_ = ColorOperation::None;
  colorsChanged_ = true;
  choice_ = IDC_CHOICE_USER;
}

ColorsChange ColorsDialogModel::SelectColor(int color) {
  if (color < 0 || color >= kColorCount) return {};
  const auto at = [this](int i) -> platform::Rgb& { return current_[static_cast<std::size_t>(i)]; };
  switch (operation_) {
    case ColorOperation::None:
      selected_ = color;
      return {};
    case ColorOperation::CopyTo:
      at(color) = at(source_);
      break;
    case ColorOperation::SpreadTo: {
      const int s = std::min(source_, color);
      const int e = std::max(source_, color);
      if (e > s) {
        const platform::Rgb first = at(s);
        const platform::Rgb last = at(e);
        for (int channel = 0; channel < 3; ++channel) {
          const float cs = ChannelValue(first, channel);
          const float ce = ChannelValue(last, channel);
          const float step = (ce - cs) / static_cast<float>(e - s);
          for (int i = 0; i < e - s; ++i) {
            const float value = std::clamp(cs + static_cast<float>(i) * step, 0.0F, 255.0F);
            Channel(at(s + i), channel) = static_cast<std::uint8_t>(value);
          }
        }
      }
      break;
    }
  }
  selected_ = color;
  FinishOperation();
  return {true, false};
}

void ColorsDialogModel::Arm(ColorOperation operation) {
  if (operation == ColorOperation::None) return CancelOperation();
  operation_ = operation;
  source_ = selected_;
}

void ColorsDialogModel::CancelOperation() { operation_ = ColorOperation::None; }

ColorsChange ColorsDialogModel::ScrollColor(int channel, ScrollAction action, int thumb) {
  if (channel < 0 || channel > 2 || operation_ != ColorOperation::None) return {};
  std::uint8_t& byte = Channel(current_[static_cast<std::size_t>(selected_)], channel);
  int value = byte;
  switch (action) {
    case ScrollAction::LineUp: value += kColorLineStep; break;
    case ScrollAction::LineDown: value -= kColorLineStep; break;
    case ScrollAction::PageUp: value += kColorPageStep; break;
    case ScrollAction::PageDown: value -= kColorPageStep; break;
    case ScrollAction::Thumb: value = thumb; break;
  }
  byte = static_cast<std::uint8_t>(((value % 256) + 256) % 256);
  colorsChanged_ = true;
  choice_ = IDC_CHOICE_USER;
  return {true, false};
}

ColorsChange ColorsDialogModel::ScrollMax(ScrollAction action, int thumb) {
  if (operation_ != ColorOperation::None) return {};
  const int before = maxDb_;
  const int beforeMin = minDb_;
  int value = action == ScrollAction::Thumb ? ThumbLevel(thumb) : Stepped(maxDb_, action);
  maxDb_ = std::clamp(value, kMaxLowest, kMaxHighest);
  if (maxDb_ - minDb_ < kMinimumRange) minDb_ = maxDb_ - kMinimumRange;
  if (before == maxDb_ && beforeMin == minDb_) return {};
  levelsChanged_ = true;
  return {false, true};
}

ColorsChange ColorsDialogModel::ScrollMin(ScrollAction action, int thumb) {
  if (operation_ != ColorOperation::None) return {};
  const int before = minDb_;
  const int beforeMax = maxDb_;
  int value = action == ScrollAction::Thumb ? ThumbLevel(thumb) : Stepped(minDb_, action);
  minDb_ = std::clamp(value, kMinLowest, kMinHighest);
  if (maxDb_ - minDb_ < kMinimumRange) maxDb_ = std::min(minDb_ + kMinimumRange, kMaxHighest);
  if (before == minDb_ && beforeMax == maxDb_) return {};
  levelsChanged_ = true;
  return {false, true};
}

void ColorsDialogModel::DefaultLevels() {
  minDb_ = spl_ ? kSplDefaultMin : kDefaultMin;
  maxDb_ = spl_ ? kSplDefaultMax : kDefaultMax;
}

ColorsChange ColorsDialogModel::Choose(int choiceId) {
  operation_ = ColorOperation::None;
  if (choiceId == IDC_CHOICE_USER) {
    current_ = user_;
    selected_ = 0;
    choice_ = IDC_CHOICE_USER;
    colorsChanged_ = true;
    return {true, false};
  }
  if (choiceId != IDC_CHOICE_CB && choiceId != IDC_CHOICE_BW) return {};
  // The edits of a "User" choice are kept in the User palette.
  if (choice_ == IDC_CHOICE_USER) user_ = current_;
  current_ = choiceId == IDC_CHOICE_CB ? opening_.cb : opening_.bw;
  selected_ = 0;
  if (!scope_) DefaultLevels();
  choice_ = choiceId;
  levelsChanged_ = true;
  // So that OK does not store CB or BW as the User palette.
  colorsChanged_ = false;
  return {true, true};
}

ColorsChange ColorsDialogModel::Reset() {
  const ColorsChange change = Choose(IDC_CHOICE_CB);
  if (scope_) {
    minDb_ = kScopeResetMin;
    maxDb_ = kScopeResetMax;
  } else {
    DefaultLevels();
  }
  return {change.colors, true};
}

ColorsChange ColorsDialogModel::Restore() {
  current_ = opening_.current;
  user_ = opening_.user;
  choice_ = opening_.choice;
  minDb_ = opening_.minDb;
  maxDb_ = opening_.maxDb;
  selected_ = 0;
  operation_ = ColorOperation::None;
  colorsChanged_ = false;
  levelsChanged_ = false;
  return {true, true};
}

ColorsDialogModel::Outcome ColorsDialogModel::Ok() const {
  Outcome o;
  o.choice = choice_;
  o.current = current_;
  o.user = colorsChanged_ ? current_ : user_;
  o.minDb = minDb_;
  o.maxDb = maxDb_;
  o.levelsChanged = levelsChanged_;
  o.changed = current_ != opening_.current || levelsChanged_;
  return o;
}

std::string ColorsDialogModel::LevelNumber(int levelDb) const {
  return std::to_string(spl_ ? levelDb : levelDb - kRelativeOffsetDb);
}

std::string ColorsDialogModel::ScaleLabel(int point) const {
  return render::ScalePointLabel(point, minDb_, maxDb_, spl_);
}

bool ColorsDialogModel::Enabled(int controlId) const {
  if (controlId == IDC_CANCEL_OPERATION) return operation_ != ColorOperation::None;
  if (operation_ == ColorOperation::None) return true;
  if (std::find(kColorButtonIds.begin(), kColorButtonIds.end(), controlId) != kColorButtonIds.end()) return true;
  if (controlId == IDC_COPY_TO) return operation_ == ColorOperation::CopyTo;
  if (controlId == IDC_SPREAD_TO) return operation_ == ColorOperation::SpreadTo;
  return false;
}

}  // namespace sonavue::dialogs
