#pragma once

#include <filesystem>
#include <optional>

#include "audio/WaveOpen.h"
#include "context/CommandIds.h"

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// Request kinds of the Scan File command: the menu or F2 (file chooser and
// dialog), or the program's own request: the command line (its file, no
// dialog) and the same file and segment again (after a resize, or PLAY on
// the picture a file scan left).
inline constexpr int kScanFileMenu = app::kReasonUser;
inline constexpr int kScanFileAgain = app::kReasonCommandLine;

// The file of one Scan File request, opened and checked, with its length.
struct ScanFileSource {
  std::filesystem::path path;  // the file the user named (repeats reopen it)
  audio::OpenedWave wave;      // its header; samples come from wave.path
  double durationS = 0.0;
};

// The first stage: chooses (kind 0) or locates the file, reads and checks
// its header, turns Ultrasound Controls into Automatic Controls (with their
// notice), and settles what the request implies before the dialog: the
// scan parameter set, the channels of the file, Begin and End, the band
// (the command line's rules, or the whole band for a bare file name) and a
// resolution that suits the FFT size. nullopt when the request ends here,
// after its message.
std::optional<ScanFileSource> BeginScanFile(app::App& app, int kind, bool repeat);

// Whether the dialog stage applies: a menu request with Variables not Freeze.
bool ScanFileShowsDialog(const app::App& app, int kind);

enum class ScanFileOutcome {
  Refused,  // a check or the device refused the run; the parameters go back
  Done,     // the file played (or was stopped) and the picture is finished
  Restart,  // a resize during the run: the same file and segment again
};

// The engine with settled parameters: the segment checks, the display, the
// capture and playback buffers, the output device, the live loop in step
// with the sound, and the stopped picture (a sonogram's shown span becomes
// temp.wav and a static analysis of it).
ScanFileOutcome RunScanFile(app::App& app, const ScanFileSource& source);

// Asks for the parameters of a Scan File run (its dialog, given the file);
// false when the user cancels.
using AskScanFileParameters = bool (*)(app::App& app, const ScanFileSource& source);

// A whole Scan File request: the stages in a row, ask (may be null) where
// the dialog applies, the parameters put back when the run is refused, and
// a repeat after a resize in a loop.
void ScanFileRequest(app::App& app, int kind, AskScanFileParameters ask);

// The output's done notification while a file scan plays: the scan stops,
// and the device and the loop buffer are released.
void HandleScanFileDone(app::App& app);

}  // namespace sonavue::engines
