#include "cli/ImageDialogAnswer.h"

#include "dialogs/ImageDialog.h"

namespace sonavue::cli {

platform::ScriptedPrompts::DialogAnswer ImageDialogAnswer(const ImageOptions& o, bool jpeg) {
  return [o, jpeg](platform::ModalDialog& shown) {
    auto* dialog = dynamic_cast<dialogs::ImageDialog*>(&shown);
    if (dialog == nullptr) return false;
    dialogs::ImageDialogModel& model = dialog->Model();
    model.Click(jpeg ? app::ID_IMAGE_JPEG : app::ID_IMAGE_BITMAP);
    if (o.quality) model.Scroll(dialogs::IDC_IMAGE_QUALITY_BAR, dialogs::ScrollAction::Thumb, *o.quality);
    if (o.dpi && jpeg) {
      model.Click(app::ID_UNIT_INCHES);
      model.Click(app::ID_DOTS_PER_INCH);
      model.Scroll(dialogs::IDC_IMAGE_RESOLUTION_BAR, dialogs::ScrollAction::Thumb, *o.dpi);
    }
    if (o.width) {
      model.SetWidthPixels(*o.width);
    } else if (o.height) {
      model.SetHeightPixels(*o.height);
    }
    return true;
  };
}

}  // namespace sonavue::cli
