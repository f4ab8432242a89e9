#pragma once

namespace sonavue::app {

class App;

// The commands that change the current parameters without a dialog:
// Variables Adjust/Freeze, the analysis controls, the SPL gain lock, the
// pointer shape, frequency marks Off and the two calibration Clear commands.
// Returns false for any other identifier.
bool RunParameterCommand(App& app, int id);

// Clears the SPL calibration: no date, gain lock Off, default level limits.
void ClearSplCalibration(App& app);

// Asked before the gain scroll bar moves: with the SPL gain lock "On" the
// bar goes back to the locked gain and the user is asked whether to unlock
// it; "No" keeps everything (returns false), "Yes" turns the lock "Off"
// (returns true). Without the lock the move may go on.
bool ConfirmGainMove(App& app);

}  // namespace sonavue::app
