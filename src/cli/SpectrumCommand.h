#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli spectrum FILE --at SECONDS [the options of levels]: the point
// spectrum that a click on the sonogram at that time shows, as CSV
// "row,frequency_hz,level_db" on standard output. Returns the exit status.
int RunSpectrum(const std::vector<std::string>& args);

}  // namespace sonavue::cli
