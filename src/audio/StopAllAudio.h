#pragma once

namespace sonavue::app {
class App;
}

namespace sonavue::audio {

// Ends whatever audio runs: raises the stop request that every engine loop
// watches, resets the sound-card devices in use, handles the notifications
// the resets cause, disables STOP and gives the main window the focus.
// keepRestart keeps a pending restart of a live scan (a layout change asks
// for one); otherwise it is cleared.
void StopAllAudio(app::App& app, bool keepRestart);

}  // namespace sonavue::audio

namespace sonavue::audio {

// A device failed while in use (the DeviceFailed notification; side is
// platform::kDeviceInput or kDeviceOutput). The input: the scan stops as
// STOP stops it, except that an open recording stretch keeps every frame
// the device delivered. The output: its done notification follows and ends
// whatever played. Either way the message naming the device and the reason
// waits for the engine to end; with no engine running it is shown at once.
void HandleDeviceFailure(app::App& app, int side);

// Shows the message of a device failure, if one waits, and forgets it.
// Returns whether one was shown.
bool ReportDeviceFailure(app::App& app);

}  // namespace sonavue::audio
