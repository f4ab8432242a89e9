#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli levels FILE [options]: the level codes of every column of an
// Analyze File analysis, as CSV or a NumPy array (--format, see LevelsFormat)
// on standard output or into a file (--output). Returns the exit status.
int RunLevels(const std::vector<std::string>& args);

}  // namespace sonavue::cli
