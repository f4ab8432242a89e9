#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli analyze FILE -o OUT [--entire] [image options] [analysis
// options]: Analyze File in the main window (offscreen), then "Save Screen
// Image" ("Current Window", or "Entire" with --entire) into OUT, a .bmp or
// .jpg file. Returns the exit status.
int RunAnalyze(const std::vector<std::string>& args);

}  // namespace sonavue::cli
