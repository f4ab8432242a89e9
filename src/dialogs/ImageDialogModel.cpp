#include "dialogs/ImageDialogModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "dialogs/DialogControls.h"
#include "dialogs/DialogText.h"

namespace sonavue::dialogs {
namespace {

constexpr int kLine = 1;
constexpr int kPage = 10;

int Step(int value, ScrollAction action, int thumb, int lowest, int highest) {
  switch (action) {
    case ScrollAction::LineDown: value -= kLine; break;
    case ScrollAction::LineUp: value += kLine; break;
    case ScrollAction::PageDown: value -= kPage; break;
    case ScrollAction::PageUp: value += kPage; break;
    case ScrollAction::Thumb: value = thumb; break;
  }
  return std::clamp(value, lowest, std::max(lowest, highest));
}

int RoundHalfAway(double value) { return static_cast<int>(std::lround(value)); }

bool IsRadio(int id) {
  switch (id) {
    case app::ID_IMAGE_BITMAP:
    case app::ID_IMAGE_JPEG:
    case app::ID_UNIT_PIXELS:
    case app::ID_UNIT_INCHES:
    case app::ID_UNIT_CENTIMETERS:
    case app::ID_DOTS_PER_INCH:
    case app::ID_DOTS_PER_CENTIMETER:
    case app::ID_FONT_ARIAL:
    case app::ID_FONT_TIMES:
    case app::ID_FONT_COURIER:
    case app::ID_ORIGIN_ZERO_YES:
    case app::ID_ORIGIN_ZERO_NO:
      return true;
    default:
      return false;
  }
}

}  // namespace

ImageDialogModel::ImageDialogModel(const ImageDialogSetup& setup)
    : s_(setup.settings),
      sourceWidth_(std::max(1, setup.sourceWidth)),
      sourceHeight_(std::max(1, setup.sourceHeight)),
      batch_(setup.batch),
      scope_(setup.scope) {
  if (batch_) s_.timeOriginId = app::ID_ORIGIN_ZERO_YES;
  if (!s_.Jpeg()) s_.unitId = app::ID_UNIT_PIXELS;
  if (s_.unitId != app::ID_UNIT_INCHES && s_.unitId != app::ID_UNIT_CENTIMETERS) s_.unitId = app::ID_UNIT_PIXELS;
  s_.quality = std::clamp(s_.quality, app::kQualityLowest, app::kQualityHighest);
  s_.dotsPerInch = std::clamp(s_.dotsPerInch, app::kDotsPerInchLowest, app::kDotsPerInchHighest);
  s_.dotsPerCm = std::clamp(s_.dotsPerCm, app::kDotsPerCmLowest, app::kDotsPerCmHighest);
  if (s_.outputWidth < sourceWidth_) {
    width_ = sourceWidth_;
    height_ = sourceHeight_;
  } else {
    width_ = std::min(s_.outputWidth, std::max(sourceWidth_, app::kMaxImageWidth));
    height_ = HeightFor(width_);
  }
  PlaceWidthBar();
}

int ImageDialogModel::Resolution() const {
  switch (s_.unitId) {
    case app::ID_UNIT_INCHES: return s_.dotsPerInch;
    case app::ID_UNIT_CENTIMETERS: return s_.dotsPerCm;
    default: return 1;
  }
}

int ImageDialogModel::WidthBarLowest() const {
  const int resolution = Resolution();
  if (resolution == 1) return sourceWidth_;
  return std::max(1, RoundHalfAway(static_cast<double>(sourceWidth_) / resolution));
}

int ImageDialogModel::WidthBarHighest() const {
  const int resolution = Resolution();
  const int highest = resolution == 1 ? app::kMaxImageWidth
                                      : RoundHalfAway(static_cast<double>(app::kMaxImageWidth) / resolution);
  return std::max(WidthBarLowest(), highest);
}

int ImageDialogModel::HeightFor(int width) const {
  return static_cast<int>(static_cast<std::int64_t>(width) * sourceHeight_ / sourceWidth_);
}

void ImageDialogModel::PlaceWidthBar() {
  widthPosition_ = std::clamp(RoundHalfAway(static_cast<double>(width_) / Resolution()), WidthBarLowest(),
                              WidthBarHighest());
}

void ImageDialogModel::WidthFromBar() {
  widthPosition_ = std::clamp(widthPosition_, WidthBarLowest(), WidthBarHighest());
  width_ = std::min(app::kMaxImageWidth, widthPosition_ * Resolution());
  height_ = HeightFor(width_);
}

std::string ImageDialogModel::Length(int pixels) const {
  const int resolution = Resolution();
  if (resolution == 1) return FormatInteger(pixels);
  return FormatFixed(static_cast<double>(pixels) / resolution, 1);
}

bool ImageDialogModel::Has(int id) const {
  switch (id) {
    case IDC_IMAGE_QUALITY_BAR:
    case IDC_IMAGE_QUALITY_TEXT:
    case IDC_IMAGE_WIDTH_BAR:
    case IDC_IMAGE_WIDTH_EDIT:
    case IDC_IMAGE_HEIGHT_EDIT:
    case IDC_IMAGE_RESOLUTION_BAR:
    case IDC_IMAGE_RESOLUTION_TEXT:
    case IDC_OK:
    case IDC_CANCEL:
      return true;
    default:
      return IsRadio(id);
  }
}

ControlState ImageDialogModel::State(int id) const {
  ControlState c;
  if (!Has(id)) return c;
  c.present = true;
  const bool jpeg = s_.Jpeg();
  const bool perInch = s_.resolutionUnitId != app::ID_DOTS_PER_CENTIMETER;
  switch (id) {
    case app::ID_IMAGE_BITMAP: c.checked = !jpeg; break;
    case app::ID_IMAGE_JPEG: c.checked = jpeg; break;
    case app::ID_UNIT_PIXELS:
    case app::ID_UNIT_INCHES:
    case app::ID_UNIT_CENTIMETERS:
      c.checked = s_.unitId == id;
      c.enabled = id == app::ID_UNIT_PIXELS || jpeg;
      break;
    case app::ID_DOTS_PER_INCH:
    case app::ID_DOTS_PER_CENTIMETER:
      c.checked = (id == app::ID_DOTS_PER_INCH) == perInch;
      c.enabled = jpeg;
      break;
    case app::ID_FONT_ARIAL:
    case app::ID_FONT_TIMES:
    case app::ID_FONT_COURIER:
      c.checked = s_.fontId == id || (id == app::ID_FONT_TIMES && s_.fontId != app::ID_FONT_ARIAL &&
                                      s_.fontId != app::ID_FONT_COURIER);
      break;
    case app::ID_ORIGIN_ZERO_YES:
    case app::ID_ORIGIN_ZERO_NO:
      c.checked = (id == app::ID_ORIGIN_ZERO_YES) == s_.TimeOriginZero();
      c.enabled = !batch_ && !scope_;
      break;
    case IDC_IMAGE_QUALITY_BAR:
      c.enabled = jpeg;
      c.minimum = app::kQualityLowest;
      c.maximum = app::kQualityHighest;
      c.value = jpeg ? s_.quality : app::kQualityHighest;
      break;
    case IDC_IMAGE_QUALITY_TEXT:
      c.enabled = jpeg;
      c.readOnly = true;
      c.text = FormatInteger(jpeg ? s_.quality : app::kQualityHighest);
      break;
    case IDC_IMAGE_WIDTH_BAR:
      c.minimum = WidthBarLowest();
      c.maximum = WidthBarHighest();
      c.value = widthPosition_;
      break;
    case IDC_IMAGE_WIDTH_EDIT: c.text = Length(width_); break;
    case IDC_IMAGE_HEIGHT_EDIT:
      c.readOnly = true;
      c.text = Length(height_);
      break;
    case IDC_IMAGE_RESOLUTION_BAR:
      c.enabled = jpeg;
      c.minimum = perInch ? app::kDotsPerInchLowest : app::kDotsPerCmLowest;
      c.maximum = perInch ? app::kDotsPerInchHighest : app::kDotsPerCmHighest;
      c.value = perInch ? s_.dotsPerInch : s_.dotsPerCm;
      break;
    case IDC_IMAGE_RESOLUTION_TEXT:
      c.enabled = jpeg;
      c.readOnly = true;
      c.text = FormatInteger(perInch ? s_.dotsPerInch : s_.dotsPerCm);
      break;
    default: break;
  }
  return c;
}

void ImageDialogModel::Click(int id) {
  const ControlState c = State(id);
  if (!c.present || !c.enabled || !IsRadio(id)) return;
  switch (id) {
    case app::ID_IMAGE_BITMAP:
      s_.formatId = id;
      if (s_.unitId != app::ID_UNIT_PIXELS) Click(app::ID_UNIT_PIXELS);
      break;
    case app::ID_IMAGE_JPEG: s_.formatId = id; break;
    case app::ID_UNIT_PIXELS:
    case app::ID_UNIT_INCHES:
    case app::ID_UNIT_CENTIMETERS:
      if (s_.unitId == id) break;
      s_.unitId = id;
      PlaceWidthBar();
      WidthFromBar();
      break;
    case app::ID_DOTS_PER_INCH:
    case app::ID_DOTS_PER_CENTIMETER: s_.resolutionUnitId = id; break;
    case app::ID_FONT_ARIAL:
    case app::ID_FONT_TIMES:
    case app::ID_FONT_COURIER: s_.fontId = id; break;
    case app::ID_ORIGIN_ZERO_YES:
    case app::ID_ORIGIN_ZERO_NO: s_.timeOriginId = id; break;
    default: break;
  }
}

void ImageDialogModel::Scroll(int id, ScrollAction action, int thumbPosition) {
  const ControlState c = State(id);
  if (!c.present || !c.enabled) return;
  switch (id) {
    case IDC_IMAGE_QUALITY_BAR:
      s_.quality = Step(s_.quality, action, thumbPosition, c.minimum, c.maximum);
      break;
    case IDC_IMAGE_WIDTH_BAR:
      widthPosition_ = Step(widthPosition_, action, thumbPosition, c.minimum, c.maximum);
      WidthFromBar();
      break;
    case IDC_IMAGE_RESOLUTION_BAR: {
      int& dots = s_.resolutionUnitId == app::ID_DOTS_PER_CENTIMETER ? s_.dotsPerCm : s_.dotsPerInch;
      dots = Step(dots, action, thumbPosition, c.minimum, c.maximum);
      WidthFromBar();
      break;
    }
    default: break;
  }
}

void ImageDialogModel::SetText(int id, const std::string& text) {
  if (id != IDC_IMAGE_WIDTH_EDIT) return;
  const double value = ReadLeadingNumber(text, text.size());
  if (!(value > 0.0)) return;
  const double pixels = std::min(value * Resolution(), static_cast<double>(app::kMaxImageWidth));
  SetWidthPixels(std::max(1, RoundHalfAway(pixels)));
}

void ImageDialogModel::SetWidthPixels(int width) {
  width_ = std::clamp(width, 1, std::max(app::kMaxImageWidth, sourceWidth_));
  height_ = HeightFor(width_);
  PlaceWidthBar();
}

void ImageDialogModel::SetHeightPixels(int height) {
  const std::int64_t h = std::max(1, height);
  SetWidthPixels(static_cast<int>(std::min<std::int64_t>(
      (h * sourceWidth_ + sourceHeight_ - 1) / sourceHeight_, std::max(app::kMaxImageWidth, sourceWidth_))));
}

void ImageDialogModel::Commit(app::ImageSettings& target) const {
  target = s_;
  if (width_ < sourceWidth_) {
    target.outputWidth = sourceWidth_;
    target.outputHeight = sourceHeight_;
  } else {
    target.outputWidth = width_;
    target.outputHeight = height_;
  }
}

}  // namespace sonavue::dialogs
