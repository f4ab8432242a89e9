#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli batch FILE... --out DIR [--format bmp|jpg|png] [--legend]
// [--jobs N] [--skip-existing] [--reference FILE] [image options]
// [analysis options]: the first file that can be analysed (or the
// reference file) is analysed as F3 does with the options, then F4's batch
// runs over the files with the images into DIR; that first analysis fixes
// the scale of every image. A refused file is reported on standard error
// and the batch goes on; the exit status is 1 when any file failed.
//
// --format png writes PNG files (with the level legend after --legend).
// --skip-existing leaves out a file whose image is already in DIR (images
// are written whole, so one that exists is complete) and reports it as
// skipped. --jobs N runs N batches of this same command side by side, each
// over every Nth file and sized against the same reference file, so the
// images are those of one batch while at most N files are held at once.
// --reference FILE names the file the batch is sized against (then a single
// FILE is a batch too): runs on many machines that share it make the same
// images as one run. Returns the exit status.
int RunBatch(const std::vector<std::string>& args);

}  // namespace sonavue::cli
