#pragma once

#include <string>
#include <vector>

namespace sonavue::app {

class App;

// The window's timer that ends a frame drag where the window system hides
// the mouse button: a finished analysis is made again once the size has
// been still for kResizeSettleMs.
inline constexpr int kResizeSettleTimerId = 1;
inline constexpr int kResizeSettleMs = 250;

// Creates and shows the main window with its creation step (working folder,
// menu, buttons, palette) and routes the message queue to it; the first
// half of StartApplication, which the companion uses without settings.
void CreateMainWindow(App& app);

// Creates the main window (its creation step included), loads and applies
// the settings, sets the menu check marks and then either closes at once
// (no usable working folder or display) or sets the caption "Sonavue 16" and
// interprets the command line. Returns false when the program must end.
bool StartApplication(App& app, const std::vector<std::string>& arguments);

// Runs the event loop until the window is closed; returns the exit code.
int RunMessageLoop(App& app);

// The window's own handlers, also called by other parts of the program.
void HandleSize(App& app);
void HandleMove(App& app);
void HandleClose(App& app);
void HandleKeyDown(App& app, int virtualKey);
// Space: pauses a live scan (recording Off), or resumes the paused scan from
// its static picture (the right button does the same, see PointerInput.h).
void PauseOrResumeScan(App& app);
void HandleNonClientMouseMove(App& app);
// A timer of the window ran out (kResizeSettleTimerId).
void HandleTimer(App& app, int timerId);
void PaintWindow(App& app);

}  // namespace sonavue::app
