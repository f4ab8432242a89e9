#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/LevelsOptions.h"
#include "engines/StaticAnalysis.h"

namespace sonavue::app {
class App;
}

namespace sonavue::cli {

// A static analysis of the file settled from the options, exactly as
// Analyze File settles it from the current parameters, with the segment's
// bytes read into memory unless the caller reads them itself.
struct PreparedAnalysis {
  audio::OpenedWave wave;
  engines::StaticAnalysis plan;
  std::vector<std::uint8_t> data;
};

// Opens the file and prepares its analysis in app's current parameters;
// prints the program's message and returns nullopt when refused.
std::optional<PreparedAnalysis> PrepareLevelsAnalysis(app::App& app, const LevelsOptions& options,
                                                     bool readData = true);

// sonavue-cli levels FILE [options]: the level codes of every column of an
// Analyze File analysis, as CSV or a NumPy array (--format, see LevelsFormat)
// on standard output or into a file (--output). Returns the exit status.
int RunLevels(const std::vector<std::string>& args);

}  // namespace sonavue::cli
