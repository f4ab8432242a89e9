#include "engines/Batch.h"

#include <system_error>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/FileChoosers.h"

namespace sonavue::engines {

using app::App;

BatchResult AnalyzeBatchCommand(App& app, const BatchHooks& hooks) {
  if (app.batch.running || app.frame.engineLoop || app.window == nullptr) return {};
  if (app.batch.referenceWidth <= 0) {
    app::Fail(app, kNoReferenceText);
    return {};
  }
  if (app.analysis.valid && app.analysis.channels == 2 && app.params.channelsId == app::ID_CHANNELS_DUAL) {
    app::Warn(app, kDualBatchText);
    return {};
  }
  const auto chosen = app::ChooseFile(app, app::FileChooser::OpenMultipleWave);
  if (!chosen) return {};
  // The folder, then one entry per file.
  if (chosen->size() < 3) {
    app::Warn(app, kTooFewFilesText);
    return {};
  }
  const std::filesystem::path folder = chosen->front();
  std::vector<std::filesystem::path> files;
  for (std::size_t i = 1; i < chosen->size(); ++i) files.push_back(folder / (*chosen)[i]);
  const std::filesystem::path images = files.front().parent_path() / "images";
  std::error_code error;
  std::filesystem::create_directory(images, error);
  return RunBatch(app, std::move(files), images, hooks, BatchFailure::EndsBatch);
}

BatchResult RunBatch(App& app, std::vector<std::filesystem::path> files, const std::filesystem::path& imageFolder,
                     const BatchHooks& hooks, BatchFailure onFailure) {
  BatchResult result;
  app::BatchState& batch = app.batch;
  if (batch.running || files.empty() || app.window == nullptr) return result;
  batch.running = true;
  batch.files = std::move(files);
  batch.index = 0;
  batch.imageFolder = imageFolder;
  batch.scale = 0.0;
  const int reference = batch.referenceWidth;

  bool ended = false;
  while (batch.index < batch.files.size()) {
    if (app.window->IsDestroyed()) {
      ended = true;
      break;
    }
    const std::filesystem::path current = batch.StartNext();
    app.window->SetCaption(current.filename().string());
    // Until the image dialog has fixed the scale, the next file asks for it.
    const bool asks = !(batch.scale > 0.0);
    if (asks && batch.referenceWidth <= 0) {
      app::Fail(app, kNoReferenceText);
      ended = true;
      break;
    }
    const AnalyzeOutcome outcome = AnalyzeFileRequest(app, kAnalyzeMenu, asks ? hooks.askImageSize : AskParameters{});
    if (outcome == AnalyzeOutcome::Cancelled) {
      ended = true;
      break;
    }
    if (outcome == AnalyzeOutcome::Refused) {
      result.failed.push_back(current);
      if (onFailure == BatchFailure::EndsBatch) {
        batch.referenceWidth = 0;
        ended = true;
        break;
      }
      // The rest of the batch is sized as it began.
      batch.referenceWidth = reference;
      continue;
    }
    ++result.analysed;
    // A failed save shows its message and the batch goes on.
    if (hooks.saveImage && hooks.saveImage(app)) {
      ++result.saved;
    } else {
      result.failed.push_back(current);
    }
  }
  if (!ended && !app.window->IsDestroyed()) {
    app.window->SetCaption("Batch Complete");
    result.complete = true;
  }
  batch.End();
  return result;
}

}  // namespace sonavue::engines
