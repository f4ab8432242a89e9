#include "dialogs/ImageDialog.h"

#include <QTimer>

#include "context/App.h"
#include "dialogs/ImageDialogView.h"

namespace sonavue::dialogs {

bool ImageDialog::Exec(void* owner) {
  ImageDialogView view(model_, static_cast<QWidget*>(owner));
  view.PlaceOnScreen();
  if (shown_) QTimer::singleShot(0, &view, [this, &view] { shown_(view); });
  return view.exec() == QDialog::Accepted;
}

bool RunImageDialog(app::App& app, const ImageDialogSetup& setup) {
  ImageDialog dialog(setup);
  if (!app.prompts.RunDialog(dialog)) return false;
  dialog.Model().Commit(app.image);
  return true;
}

}  // namespace sonavue::dialogs
