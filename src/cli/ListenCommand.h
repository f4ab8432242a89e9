#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli listen SECONDS [--rate HZ]: captures the default sound-card
// input through the same capture code as Scan Input and prints the
// strongest frequency and the level heard. Returns the exit status.
int RunListen(const std::vector<std::string>& args);

}  // namespace sonavue::cli
