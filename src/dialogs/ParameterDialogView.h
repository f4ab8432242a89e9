#pragma once

#include <QDialog>
#include <initializer_list>
#include <map>

class QBoxLayout;
class QGroupBox;

namespace sonavue::dialogs {

class ParameterDialogModel;

// The window of a parameter dialog: real radio buttons, scroll bars, edits
// and buttons, each named by its control identifier (objectName is the
// number), laid out by Qt layouts so that any font size fits. Every user
// action goes to the model and then every control shows the model again.
// OK and Cancel only close the window (accept and reject).
class ParameterDialogView final : public QDialog {
 public:
  ParameterDialogView(ParameterDialogModel& model, QWidget* owner);

  // The widget of a control, nullptr when the member lacks it.
  QWidget* Control(int id) const;
  // Puts the dialog in the middle of the screen; a negative coordinate
  // becomes 0.
  void CentreOnScreen();
  // Makes every control show what the model holds.
  void Refresh();

 private:
  QWidget* Make(int id);
  QGroupBox* RadioGroup(const char* title, std::initializer_list<int> ids, int perRow);
  QGroupBox* ScrollGroup(const char* title, int scrollId, int editId);
  QGroupBox* LevelGroup();
  QGroupBox* AveragingGroup();
  QGroupBox* WidthGroup();
  QGroupBox* SegmentGroup();
  QGroupBox* RecordingGroup();
  QGroupBox* UltrasoundGroup();
  QGroupBox* EditGroup(const char* title, int editId);
  static void Add(QBoxLayout* column, QGroupBox* group);

  ParameterDialogModel& model_;
  std::map<int, QWidget*> controls_;
  bool refreshing_ = false;
};

}  // namespace sonavue::dialogs
