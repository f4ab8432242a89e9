#pragma once

#include "platform/NativeWindow.h"

namespace sonavue::app {

class App;

// The main menu: "Function", "Preferences" and "Help", with every command of
// the command table. Positions inside each popup count separators; the menu
// states address the popups by the positions of CommandIds.h.
platform::MenuBarSpec BuildMainMenu();

// The running state: every operation but F7 grayed while audio runs.
void EnterRunningMenuState(App& app);
// The idle state after a scan (Scan Input, Scan File) or a failed run.
void EnterScanIdleMenuState(App& app);
// The idle state after an Analyze File display is complete.
void EnterAnalysisIdleMenuState(App& app);

// The check marks that mirror the current parameters: gain lock, Variables,
// analysis controls, frequency marks and pointer shape; grays the gain-lock
// popup unless the levels are SPL-calibrated.
void SetMenuCheckMarks(App& app);
void SetVariablesCheckMarks(App& app);

}  // namespace sonavue::app
