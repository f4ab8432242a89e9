#pragma once

#include <array>
#include <string>

#include "platform/Prompts.h"

namespace sonavue::dialogs {

// The "Calibration Status" dialog (resource 183): one text panel (static
// 1246) and OK.
inline constexpr int kCalibrationStatusResource = 183;
inline constexpr int IDC_STATUS_PANEL = 1246;

// The panel's two lines, read from the two stored dates alone (empty means
// not calibrated): the SPL line, drawn one text height down, and the
// frequency-response line, three text heights down.
std::array<std::string, 2> CalibrationStatusLines(const std::string& splDate,
                                                  const std::string& responseDate);

// The modal dialog around those lines. Scripted prompts read Lines()
// instead of showing it.
class CalibrationStatusDialog final : public platform::ModalDialog {
 public:
  CalibrationStatusDialog(const std::string& splDate, const std::string& responseDate)
      : lines_(CalibrationStatusLines(splDate, responseDate)) {}

  int ResourceId() const override { return kCalibrationStatusResource; }
  // Shows the window centred on the screen until OK, Cancel or Esc.
  bool Exec(void* owner) override;
  const std::array<std::string, 2>& Lines() const { return lines_; }

 private:
  std::array<std::string, 2> lines_;
};

}  // namespace sonavue::dialogs
