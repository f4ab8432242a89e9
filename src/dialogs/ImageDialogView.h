#pragma once

#include <QDialog>
#include <initializer_list>
#include <map>

class QGroupBox;

namespace sonavue::dialogs {

class ImageDialogModel;

// The window of the "Image Characteristics" dialog: radio buttons, scroll
// bars and edits named by their control identifiers (objectName is the
// number). Every action goes to the model and then every control shows the
// model again; the width edit is read when its editing ends. OK and Cancel
// only close the window.
class ImageDialogView final : public QDialog {
 public:
  ImageDialogView(ImageDialogModel& model, QWidget* owner);

  // The widget of a control, nullptr for an unknown identifier.
  QWidget* Control(int id) const;
  // Centred horizontally on the screen and 30 pixels above its middle (at
  // the top when that would be above it).
  void PlaceOnScreen();
  void Refresh();

 private:
  QWidget* Radio(int id, const char* caption);
  QWidget* Bar(int id);
  QWidget* Edit(int id);
  QGroupBox* RadioGroup(const char* title, std::initializer_list<std::pair<int, const char*>> radios);

  ImageDialogModel& model_;
  std::map<int, QWidget*> controls_;
  bool refreshing_ = false;
};

}  // namespace sonavue::dialogs
