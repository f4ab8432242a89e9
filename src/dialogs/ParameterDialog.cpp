#include "dialogs/ParameterDialog.h"

#include <QDialog>
#include <QTimer>
#include <algorithm>

#include "context/App.h"
#include "dialogs/ParameterDialogView.h"
#include "render/Palette.h"

namespace sonavue::dialogs {
namespace {

DialogSetup SetupOf(const app::App& app) {
  DialogSetup setup;
  setup.params = app.params;
  setup.geometry = GeometryOf(app);
  return setup;
}

DialogSetup FileSetupOf(const app::App& app, const FileDialogInput& input) {
  DialogSetup setup = SetupOf(app);
  SettleResolution(setup.params, input.rateHz, setup.geometry,
                   input.channels == 2 && setup.params.channelsId == app::ID_CHANNELS_DUAL);
  setup.fileRateHz = input.rateHz;
  setup.fileChannels = input.channels;
  setup.beginS = input.beginS;
  setup.endS = input.endS;
  setup.multiplier = input.multiplier;
  setup.fileMultiplier = input.fileMultiplier;
  return setup;
}

}  // namespace

ParameterDialog::ParameterDialog(DialogMember member, const DialogSetup& setup)
    : model_(member, setup) {}

bool ParameterDialog::Exec(void* owner) {
  ParameterDialogView view(model_, static_cast<QWidget*>(owner));
  view.CentreOnScreen();
  if (shown_) QTimer::singleShot(0, &view, [this, &view] { shown_(view); });
  return view.exec() == QDialog::Accepted;
}

DialogGeometry GeometryOf(const app::App& app) {
  const app::LayoutValues& v = app.layout;
  DialogGeometry g;
  g.displayWidth = v.displayWidth;
  g.leftMargin = v.leftMargin;
  g.sonogramRows = std::max(1, v.displayHeight - 2 * v.charHeight);
  g.scopePoints = std::max(1, v.scopePoints);
  return g;
}

DialogMember ScanInputMember(int analysisControls) {
  return analysisControls == app::IDM_CONTROLS_MANUAL ? DialogMember::ScanInputManual
                                                       : DialogMember::ScanInputAutomatic;
}

DialogMember ScanFileMember(int analysisControls) {
  return analysisControls == app::IDM_CONTROLS_MANUAL ? DialogMember::ScanFileManual
                                                       : DialogMember::ScanFileAutomatic;
}

DialogMember AnalyzeMember(int analysisControls) {
  switch (analysisControls) {
    case app::IDM_CONTROLS_MANUAL: return DialogMember::AnalyzeManual;
    case app::IDM_CONTROLS_ULTRASOUND: return DialogMember::AnalyzeUltrasound;
    default: return DialogMember::AnalyzeAutomatic;
  }
}

bool RunParameterDialog(app::App& app, ParameterDialog& dialog) {
  if (!app.prompts.RunDialog(dialog)) {
    dialog.Model().Cancel(app.params);
    return false;
  }
  dialog.Model().Commit(app.params);
  render::SelectPaletteColors(app, app.params.paletteId);
  return true;
}

bool RunScanInputDialog(app::App& app, std::int32_t& triggerLevel) {
  DialogSetup setup = SetupOf(app);
  const app::CurrentParameters& p = app.params;
  const bool dual = p.typeId == app::ID_TYPE_STEREO && p.channelsId == app::ID_CHANNELS_DUAL;
  SettleResolution(setup.params, ScanInputRate(p.sampleRateHz, p.sampleRateId), setup.geometry, dual);
  setup.triggerLevel = triggerLevel;
  ParameterDialog dialog(ScanInputMember(app.params.analysisControls), setup);
  if (!RunParameterDialog(app, dialog)) return false;
  triggerLevel = dialog.Model().Values().triggerLevel;
  return true;
}

bool RunScanFileDialog(app::App& app, const FileDialogInput& input) {
  ParameterDialog dialog(ScanFileMember(app.params.analysisControls), FileSetupOf(app, input));
  return RunParameterDialog(app, dialog);
}

bool RunAnalyzeDialog(app::App& app, const FileDialogInput& input) {
  ParameterDialog dialog(AnalyzeMember(app.params.analysisControls), FileSetupOf(app, input));
  return RunParameterDialog(app, dialog);
}

}  // namespace sonavue::dialogs
