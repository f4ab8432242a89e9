#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "context/PointLogSession.h"

namespace sonavue::app {
class App;
}

namespace sonavue::output {

// Opens the modeless point-log window; closed runs when the user closes it.
using OpenPointLogWindow =
    std::function<std::unique_ptr<app::PointLogWindow>(app::App& app, std::function<void()> closed)>;

// Appends text to the file at path, written whole: the old contents and
// the text go to a temporary file beside it, which then replaces it. A
// missing file is created with text alone. False when anything failed; the
// file is then as it was.
bool AppendWhole(const std::filesystem::path& path, std::string_view text);

// "Log Points": refuses with an expanded frequency scale, asks for the file
// with the "Save Data Log" chooser, starts it (a new file gets the header
// lines, an existing one an empty line) and opens the point-log window.
// From then on every left click in the main window appends the point's time,
// frequency and level as the readouts give them, until the window closes.
void LogPointsCommand(app::App& app, const OpenPointLogWindow& open);

}  // namespace sonavue::output
