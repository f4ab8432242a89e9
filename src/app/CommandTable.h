#pragma once

namespace sonavue::app {

class App;

// Routes a command identifier to its handler, as a menu choice, a function
// key, a child button or the program itself would send it. reason tells the
// engines why they run (kReasonUser, kReasonCommandLine, …). Returns false
// for an identifier the table does not list.
bool SendCommand(App& app, int id, int reason = 0);

// Queues a command to be handled later by the message pump.
void PostCommand(App& app, int id, int reason = 0);

// The three help documents beside the executable.
inline constexpr const char* kHelpTopicsFile = "sonv16.pdf";
inline constexpr const char* kQuickStartDisplayFile = "recording.pdf";
inline constexpr const char* kQuickStartSoundCardFile = "soundcard.pdf";

}  // namespace sonavue::app
