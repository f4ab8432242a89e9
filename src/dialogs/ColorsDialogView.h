#pragma once

#include <QDialog>
#include <functional>
#include <map>

namespace sonavue::dialogs {

class ColorsDialog;

// The window of dialog 154: colour buttons with their swatches, Copy To,
// Spread To, the RGB and level bars with their numbers, the palette radios
// and the buttons, each named by its control identifier (objectName is the
// number). Modeless: every user action goes to the dialog's controller,
// which changes the program's palette at once and asks the window to show
// the model again.
class ColorsDialogView final : public QDialog {
 public:
  ColorsDialogView(ColorsDialog& controller, QWidget* owner);

  // The widget of a control, nullptr for an unknown identifier.
  QWidget* Control(int id) const;
  // Makes every control show what the model holds.
  void Refresh();
  // Puts the window where it was last moved to, or centred on the screen
  // (negative coordinates become 0) when it has not been shown before.
  void Place(bool remembered, int x, int y);

 protected:
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* Bar(int id, int maximum, std::function<void(int action, int thumb)> onAction);

  ColorsDialog& controller_;
  std::map<int, QWidget*> controls_;
  bool refreshing_ = false;
  bool placed_ = false;
};

}  // namespace sonavue::dialogs
