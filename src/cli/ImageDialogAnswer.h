#pragma once

#include "cli/ImageOptions.h"
#include "platform/ScriptedPrompts.h"

namespace sonavue::cli {

// The scripted answer to the dialog: the format, then the quality and the
// density (dots per inch) when given, then the size when given; OK.
platform::ScriptedPrompts::DialogAnswer ImageDialogAnswer(const ImageOptions& o, bool jpeg);

}  // namespace sonavue::cli
