#pragma once

#include <filesystem>
#include <vector>

#include "engines/Batch.h"
#include "output/ScreenImage.h"

namespace sonavue::app {

class App;

// The ways of working as the command table runs them: the parameter dialog
// first (unless the request or Variables "Freeze" skips it), then the
// engine with settled parameters.
void AnalyzeFileCommand(App& app, int reason);
void ScanInputCommand(App& app, int reason);
// F5 with the Analyze dialog, F6.
void ChangeParametersCommand(App& app, int reason);
void RestoreParametersCommand(App& app);
void ScanFileCommand(App& app, int reason);

// "Save Screen Image": the "Image Characteristics" dialog, then the chooser
// and the file.
output::SaveResult SaveScreenImageCommand(App& app, output::ImageCommand command);

// "F4 - Analyze File Batch", with the image dialog for the first file and
// the batch save after each one.
engines::BatchResult AnalyzeBatchCommand(App& app);
// The same batch over files named by the caller (the companion), with the
// images into imageFolder.
engines::BatchResult RunBatchOfFiles(App& app, std::vector<std::filesystem::path> files,
                                     const std::filesystem::path& imageFolder, engines::BatchFailure onFailure);

}  // namespace sonavue::app
