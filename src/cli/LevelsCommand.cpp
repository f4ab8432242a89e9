#include "cli/LevelsCommand.h"

#include <cstdio>

namespace sonavue::cli {

int RunLevels(const std::vector<std::string>&) {
  std::fprintf(stderr, "sonavue-cli: levels is not available yet\n");
  return 2;
}

}  // namespace sonavue::cli
