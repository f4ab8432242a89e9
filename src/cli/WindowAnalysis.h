#pragma once

#include "cli/AnalysisOptions.h"
#include "engines/AnalyzeFile.h"
#include "platform/ScriptedPrompts.h"

namespace sonavue::cli {

// The companion's answer to the Analyze dialog of the window: the analysis
// options become the parameters of the file just opened, with the rows of
// the window's sonogram and a column step from --step (else the display
// width's). False, after its message, when they cannot be used.
bool ApplyOptionsToWindow(app::App& app, const engines::AnalyzeSource& source, const AnalysisOptions& o);

// Analyses file as F3 does, with the options in place of the dialog.
// Returns whether a picture was made.
bool AnalyzeInWindow(app::App& app, platform::ScriptedPrompts& prompts, const std::string& file,
                     const AnalysisOptions& o);

}  // namespace sonavue::cli
