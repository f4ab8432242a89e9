#include "app/WayCommands.h"

#include "context/App.h"
#include "dialogs/ImageDialog.h"
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

// The "Image Characteristics" dialog of an interactive save.
bool AskImageSettings(App& app, const output::ImageSource& source) {
  return dialogs::RunImageDialog(
      app, {app.image, source.width, source.height, false, app.params.IsScopeDisplay()});
}

// The same for a batch's first file: sized against the reference picture,
// the chosen width fixes the scale of every image of the batch.
bool AskBatchImageSize(App& app, const engines::AnalyzeSource&) {
  const int reference = app.batch.referenceWidth;
  if (reference <= 0) return false;
  if (!dialogs::RunImageDialog(app, {app.image, reference, app.layout.displayHeight, true, false})) return false;
  app.batch.scale = static_cast<double>(app.image.outputWidth) / reference;
  return true;
}

engines::BatchHooks BatchHooksOfWindow() {
  return {&AskBatchImageSize,
          [](App& app) { return output::SaveBatchImage(app) == output::SaveResult::Saved; }};
}

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

void ScanInputCommand(App& app, int reason) {
  // A scan replaces the analysis a batch would be sized against.
  app.batch.referenceWidth = 0;
  engines::ScanInputRequest(app, reason, &AskScanParameters);
}

output::SaveResult SaveScreenImageCommand(App& app, output::ImageCommand command) {
  return output::SaveScreenImage(app, command, &AskImageSettings);
}

engines::BatchResult AnalyzeBatchCommand(App& app) {
  return engines::AnalyzeBatchCommand(app, BatchHooksOfWindow());
}

engines::BatchResult RunBatchOfFiles(App& app, std::vector<std::filesystem::path> files,
                                     const std::filesystem::path& imageFolder, engines::BatchFailure onFailure) {
  return engines::RunBatch(app, std::move(files), imageFolder, BatchHooksOfWindow(), onFailure);
}

void ChangeParametersCommand(App& app, int reason) {
  engines::ChangeParametersRequest(app, reason, &AskAnalyzeParameters);
}

void RestoreParametersCommand(App& app) { engines::RestoreParametersRequest(app); }

void ScanFileCommand(App& app, int reason) { engines::ScanFileRequest(app, reason, &AskScanFileParameters); }

}  // namespace sonavue::app
