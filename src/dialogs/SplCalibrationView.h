#pragma once

#include <QDialog>

class QButtonGroup;
class QScrollBar;

namespace sonavue::dialogs {

class SplCalibrationDialog;

// The window of the SPL calibration dialog: the white panel, the "SPL
// Calibration Control" scroll bar, the method and gain-lock radio buttons,
// OK and Cancel, each named by its control identifier (objectName is the
// number). Every action goes to the dialog; closing the window is Cancel.
class SplCalibrationView final : public QDialog {
 public:
  SplCalibrationView(SplCalibrationDialog& dialog, QWidget* owner);

  // The widget of a control (1242, 1243, 1196 … 1199, 1 OK, 2 Cancel).
  QWidget* Control(int id) const;
  // Shows the panel again (after it was redrawn).
  void RefreshPanel();
  // Places the window where the dialog opens (centred, raised by 30).
  void PlaceOnScreen();

 protected:
  void reject() override;

 private:
  SplCalibrationDialog& dialog_;
  QWidget* panel_ = nullptr;
  QScrollBar* control_ = nullptr;
};

}  // namespace sonavue::dialogs
