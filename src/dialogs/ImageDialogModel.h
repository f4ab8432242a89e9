#pragma once

#include <string>

#include "context/ImageSettings.h"
#include "dialogs/DialogRules.h"
#include "dialogs/ParameterDialogModel.h"

namespace sonavue::dialogs {

// Dialog 151 "Image Characteristics": the format, JPEG quality, output
// size, print resolution, font and time origin of a saved screen image.
inline constexpr int kImageDialogId = 151;

// Its controls besides the radio buttons, whose identifiers are the stored
// choices (app::ID_IMAGE_…, ID_UNIT_…, ID_DOTS_…, ID_FONT_…, ID_ORIGIN_…).
inline constexpr int IDC_IMAGE_QUALITY_BAR = 1150;
inline constexpr int IDC_IMAGE_QUALITY_TEXT = 1151;
inline constexpr int IDC_IMAGE_WIDTH_BAR = 1152;
inline constexpr int IDC_IMAGE_WIDTH_EDIT = 1153;
inline constexpr int IDC_IMAGE_HEIGHT_EDIT = 1154;
inline constexpr int IDC_IMAGE_RESOLUTION_BAR = 1155;
inline constexpr int IDC_IMAGE_RESOLUTION_TEXT = 1156;

// What the dialog opens with.
struct ImageDialogSetup {
  app::ImageSettings settings;  // copied; the dialog edits the copy
  int sourceWidth = 1;          // the picture the save starts from, pixels
  int sourceHeight = 1;
  bool batch = false;  // a batch's first file: the time origin is fixed to "Yes"
  bool scope = false;  // a scope display: no time axis, the time origin is disabled
};

// The dialog without its window: every rule of its controls. The output
// width is held in pixels; the width bar moves in the dimension unit
// (pixels, or whole inches or centimetres at the dots per inch or per
// centimetre setting), and the height always keeps the source's aspect
// ratio (width × source height ÷ source width, truncated).
class ImageDialogModel {
 public:
  // Opens on a copy of the settings: the stored width, or the source size
  // when the stored width is smaller; "bitmap" shows the unit "Pixels".
  explicit ImageDialogModel(const ImageDialogSetup& setup);

  int ResourceId() const { return kImageDialogId; }
  bool Has(int id) const;
  ControlState State(int id) const;

  // A click on a radio button; disabled ones and other identifiers are
  // ignored. "bitmap" switches the unit to "Pixels"; a new unit puts the
  // width on the nearest whole step of that unit.
  void Click(int id);
  // Scroll-bar actions: lines ±1, pages ±10, the thumb as dragged. The width
  // and resolution bars set width = position × resolution (at most 12000
  // pixels) and the height from it.
  void Scroll(int id, ScrollAction action, int thumbPosition = 0);
  // A width typed into the width edit, in the dimension unit; text that is
  // no positive number is ignored.
  void SetText(int id, const std::string& text);
  // A width in pixels whatever the unit (1 … 12000), as scripts give it.
  void SetWidthPixels(int width);
  // A height in pixels: the narrowest width whose height reaches it.
  void SetHeightPixels(int height);

  int WidthPixels() const { return width_; }
  int HeightPixels() const { return height_; }
  const app::ImageSettings& Settings() const { return s_; }

  // OK: every setting into target, and as the output size the dialog's
  // size, or the source size when the dialog's width is smaller.
  void Commit(app::ImageSettings& target) const;

 private:
  int Resolution() const;  // pixels per step of the width bar
  int WidthBarLowest() const;
  int WidthBarHighest() const;
  int HeightFor(int width) const;
  void PlaceWidthBar();     // the bar's position from the width
  void WidthFromBar();      // the width from the bar's position
  std::string Length(int pixels) const;

  app::ImageSettings s_;
  int sourceWidth_ = 1;
  int sourceHeight_ = 1;
  bool batch_ = false;
  bool scope_ = false;
  int width_ = 1;
  int height_ = 1;
  int widthPosition_ = 1;
};

}  // namespace sonavue::dialogs
