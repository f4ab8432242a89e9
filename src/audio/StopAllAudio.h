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
