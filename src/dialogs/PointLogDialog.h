#pragma once

#include <functional>
#include <memory>

#include "context/PointLogSession.h"

namespace sonavue::app {
class App;
}

namespace sonavue::dialogs {

// The point-log dialog's resource number and title.
inline constexpr int kPointLogDialogId = 166;
inline constexpr const char* kPointLogTitle = "Point Log - Click Point on Sonavue";

// Opens dialog 166 modeless at the top right corner of the main window's
// client area: three read-only edits, "Time (msec)", "Frequency (Hz)" and
// "Level (dB/Hz)" (object names "time", "frequency", "level"). closed runs
// once when the user closes it; it does not run when the returned window is
// destroyed first, which also closes the dialog.
std::unique_ptr<app::PointLogWindow> OpenPointLogDialog(app::App& app, std::function<void()> closed);

}  // namespace sonavue::dialogs
