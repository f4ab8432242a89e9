#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "engines/AnalyzeFile.h"

namespace sonavue::engines {

// "F4 - Analyze File Batch": Analyze File run on many files in turn with the
// parameters of the last single-file analysis, each finished picture saved
// as an image. The dialog and the save belong to layers above the engines;
// they come in as hooks.
struct BatchHooks {
  // The "Image Characteristics" dialog, once, before the first file is
  // analysed: OK sets app.batch.scale; false (Cancel) ends the batch.
  AskParameters askImageSize;
  // The save of each finished picture ("Current Window" in batch mode);
  // false when it failed, after its message.
  std::function<bool(app::App&)> saveImage;
};

// What a refused file does to the batch.
enum class BatchFailure {
  EndsBatch,  // the window: the batch ends and the reference width is forgotten
  SkipsFile,  // the companion: the batch goes on with the next file
};

struct BatchResult {
  int analysed = 0;
  int saved = 0;
  std::vector<std::filesystem::path> failed;  // refused or not saved, in order
  bool complete = false;                      // the list was worked through ("Batch Complete")
};

// The refusals of F4.
inline constexpr const char* kNoReferenceText = "First Analyze One File From Batch";
inline constexpr const char* kDualBatchText = "Dual channels cannot be processed as a batch.";
inline constexpr const char* kTooFewFilesText = "Multiple Files Required";

// The command: refuses without a picture made from the menu to size the
// images against (error box) and for a stereo picture in "Dual" view;
// shows "Open Multiple Wave Files" (fewer than two files are refused);
// makes the folder "images" beside the first file (an existing one is
// reused); then RunBatch, ending at the first refused file.
BatchResult AnalyzeBatchCommand(app::App& app, const BatchHooks& hooks);

// Works through files in order: the window title shows each file's name, the
// file is analysed without a dialog (the first one after the image dialog),
// and its picture saved into imageFolder. STOP lets no further file start.
// After the last file the title is "Batch Complete". Does nothing while a
// batch runs.
BatchResult RunBatch(app::App& app, std::vector<std::filesystem::path> files,
                     const std::filesystem::path& imageFolder, const BatchHooks& hooks, BatchFailure onFailure);

}  // namespace sonavue::engines
