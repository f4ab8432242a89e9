#pragma once

#include <cstdint>
#include <functional>

#include "dialogs/ParameterDialogModel.h"
#include "platform/Prompts.h"

namespace sonavue::app {
class App;
}

namespace sonavue::dialogs {

class ParameterDialogView;

// One parameter dialog as the prompts run it: its model, and on Exec the
// real window around it. Scripted prompts work the model instead.
class ParameterDialog final : public platform::ModalDialog {
 public:
  ParameterDialog(DialogMember member, const DialogSetup& setup);

  int ResourceId() const override { return model_.ResourceId(); }
  // Builds the view, centred on the screen and modal to owner (a QWidget*,
  // may be null), and runs it; true when it closed with OK. OK and Cancel
  // only close it: the caller commits or cancels the model.
  bool Exec(void* owner) override;

  ParameterDialogModel& Model() { return model_; }
  // Called with the view once it is shown (a test works the real widgets
  // through it and must close the view).
  void SetShownHook(std::function<void(ParameterDialogView&)> hook) { shown_ = std::move(hook); }

 private:
  ParameterDialogModel model_;
  std::function<void(ParameterDialogView&)> shown_;
};

// The main window's sizes the rules read: display-area width, left margin,
// sonogram rows (display-area height − 2 × character height, at least 1) and
// scope points (at least 1).
DialogGeometry GeometryOf(const app::App& app);

// What the Scan File and Analyze dialogs show of the file.
struct FileDialogInput {
  std::int32_t rateHz = 0;  // the analysis rate (an ultrasound file's reduced rate)
  int channels = 1;         // 1 or 2
  float beginS = 0.0F;      // the segment in seconds of the file as analysed
  float endS = 0.0F;
  int multiplier = 1;  // Analyze: frequency multiplier to show, 1 … 20
  int fileMultiplier = 1;  // Analyze: the multiplier the file's rate implies (ultrasound), else 1
};

// The member the Analysis Controls choose (40078 Automatic, 40079 Manual,
// 40080 Ultrasound): Scan Input 103 for Manual, else 167; Scan File 173 for
// Manual, else 170; Analyze 102 Manual, 171 Ultrasound, else 172.
DialogMember ScanInputMember(int analysisControls);
DialogMember ScanFileMember(int analysisControls);
DialogMember AnalyzeMember(int analysisControls);

// The entry points below copy app.params, run the consistency test of the
// stored resolution on the copy (SettleResolution) and open the member the
// Analysis Controls choose.

// Runs a dialog through app.prompts. OK: the model's values go into
// app.params and the palette of the chosen colours is rebuilt; returns true.
// Cancel: the level limits are put back as they were; returns false.
bool RunParameterDialog(app::App& app, ParameterDialog& dialog);

// The dialog before a Scan Input run. triggerLevel (internal dB, 30 … 120)
// is shown and, on OK, replaced by the level chosen.
bool RunScanInputDialog(app::App& app, std::int32_t& triggerLevel);
// The dialog before a Scan File run; on OK Begin and End are in
// app.params.beginS / endS.
bool RunScanFileDialog(app::App& app, const FileDialogInput& input);
// The dialog before an Analyze File run and for F5; on OK Begin and End
// (times the time factor) are in app.params.beginS / endS.
bool RunAnalyzeDialog(app::App& app, const FileDialogInput& input);

}  // namespace sonavue::dialogs
