#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli play FILE [--window]: analyses FILE as the window's command
// line does (Analyze File, the whole file, the full band, ten seconds across
// an off-screen window) and presses PLAY, or PLAY WDW with --window, so the
// sound card plays it through the window's own player. Prints one line when
// the sound has ended; SIGINT/SIGTERM stop it as STOP does. Returns the exit
// status: 0, 1 after a message, 2 for bad arguments.
int RunPlay(const std::vector<std::string>& args);

inline constexpr const char* kPlayUsage = "sonavue-cli play FILE [--window]\n";

}  // namespace sonavue::cli
