#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli record OUT.wav [--seconds S] [--trigger DB] [--rate HZ]
// [--channels 1|2] [--bits 16|24]: an unattended recorder. Runs the Scan
// Input engine (a live spectrum on an off-screen window) with Recording
// Enable "On" and SAVE pressed at the start, or "Trigger" at DB in the
// dialog's scale, and answers the recording file chooser with OUT.wav
// (OUT-2.wav, … for the files that follow a size-limit stop). Prints one
// line per recording made; ends after S seconds or at SIGINT/SIGTERM, which
// stop it as STOP does. Returns the exit status: 0, 1 after a message, 2
// for bad arguments.
int RunRecord(const std::vector<std::string>& args);

// The usage line of the command.
inline constexpr const char* kRecordUsage =
    "sonavue-cli record OUT.wav [--seconds S] [--trigger DB] [--rate HZ]\n"
    "                   [--channels 1|2] [--bits 16|24]\n";

}  // namespace sonavue::cli
