#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli batch FILE... --out DIR [--format bmp|jpg] [image options]
// [analysis options]: the first file that can be analysed is analysed as
// F3 does with the options, then F4's batch runs over the files with the
// images into DIR. A refused file is reported on standard error and the
// batch goes on; the exit status is 1 when any file failed. Returns it.
int RunBatch(const std::vector<std::string>& args);

}  // namespace sonavue::cli
