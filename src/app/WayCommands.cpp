#include "app/WayCommands.h"

#include "context/App.h"
#include "dialogs/ParameterDialog.h"
#include "engines/AnalyzeFile.h"
#include "engines/ScanFile.h"
#include "engines/ScanInput.h"
#include "engines/Snapshots.h"

namespace sonavue::app {
namespace {

// The Analyze dialog that the analysis controls choose, opened with the
// file's rate, channels, span and frequency multiplier.
bool AskAnalyzeParameters(App& app, const engines::AnalyzeSource& source) {
  const CurrentParameters& p = app.params;
  const dialogs::FileDialogInput input{source.wave.analysisRate, source.wave.info.channels, p.beginS,
                                       p.endS, p.frequencyMultiplier, source.wave.multiplier};
  return dialogs::RunAnalyzeDialog(app, input);
}

bool AskScanParameters(App& app) { return dialogs::RunScanInputDialog(app, app.params.triggerLevel); }

// The Scan File dialog that the analysis controls choose, opened with the
// file's rate and channels and its whole length as Begin and End.
bool AskScanFileParameters(App& app, const engines::ScanFileSource& source) {
  const CurrentParameters& p = app.params;
  const dialogs::FileDialogInput input{source.wave.info.sampleRate, source.wave.info.channels, p.beginS, p.endS, 1, 1};
  return dialogs::RunScanFileDialog(app, input);
}

}  // namespace

void AnalyzeFileCommand(App& app, int reason) {
  engines::AnalyzeFileRequest(app, reason, &AskAnalyzeParameters);
}

void ScanInputCommand(App& app, int reason) { engines::ScanInputRequest(app, reason, &AskScanParameters); }

void ChangeParametersCommand(App& app, int reason) {
  engines::ChangeParametersRequest(app, reason, &AskAnalyzeParameters);
}

void RestoreParametersCommand(App& app) { engines::RestoreParametersRequest(app); }

void ScanFileCommand(App& app, int reason) { engines::ScanFileRequest(app, reason, &AskScanFileParameters); }

}  // namespace sonavue::app
