#pragma once

#include <functional>

#include "dialogs/ImageDialogModel.h"
#include "platform/Prompts.h"

namespace sonavue::app {
class App;
}

namespace sonavue::dialogs {

class ImageDialogView;

// The "Image Characteristics" dialog as the prompts run it: its model, and
// on Exec the real window around it. Scripted prompts work the model.
class ImageDialog final : public platform::ModalDialog {
 public:
  explicit ImageDialog(const ImageDialogSetup& setup) : model_(setup) {}

  int ResourceId() const override { return kImageDialogId; }
  // Builds the view, placed on the screen and modal to owner (a QWidget*,
  // may be null), and runs it; true when it closed with OK.
  bool Exec(void* owner) override;

  ImageDialogModel& Model() { return model_; }
  // Called with the view once it is shown (a test works the real widgets
  // through it and must close the view).
  void SetShownHook(std::function<void(ImageDialogView&)> hook) { shown_ = std::move(hook); }

 private:
  ImageDialogModel model_;
  std::function<void(ImageDialogView&)> shown_;
};

// Runs the dialog through app.prompts; on OK its settings and size go into
// app.image and true is returned. Cancel changes nothing.
bool RunImageDialog(app::App& app, const ImageDialogSetup& setup);

}  // namespace sonavue::dialogs
