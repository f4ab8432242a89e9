#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

#include "audio/WaveOpen.h"
#include "context/CommandIds.h"

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// Request kinds of the Analyze File command: the reasons it is sent for.
inline constexpr int kAnalyzeMenu = app::kReasonUser;                // file chooser, dialog, analysis
inline constexpr int kAnalyzeCommandLine = app::kReasonCommandLine;  // file named on the command line
inline constexpr int kAnalyzeAgain = app::kReasonReanalysis;         // same file and parameters (resize, gain)
inline constexpr int kAnalyzeCapture = app::kReasonCaptured;         // the capture of a stopped scan

// The file of one Analyze File request, opened, with what the request fixed
// about the column step.
struct AnalyzeSource {
  int kind = kAnalyzeMenu;
  std::filesystem::path path;
  audio::OpenedWave wave;
  std::optional<float> columnStepMs;  // fixed by a capture or a command line; else from the display width
  // A zoom's segment in bytes of the data (begin, end), read exactly.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> exactBytes;
};

// The first stage: chooses (kind 0) or locates the file, opens and checks it,
// and sets what a new file and a command-line run imply (band, begin and
// end, multiplier, FFT size). Returns nullopt when the request ends here,
// after its message; the caller's guard then puts the parameters back.
std::optional<AnalyzeSource> BeginAnalyzeFile(app::App& app, int kind);

// Whether the dialog stage applies: a menu request with Variables not Freeze.
bool AnalyzeShowsDialog(const app::App& app, int kind);

enum class AnalyzeOutcome {
  Refused,        // a message was shown; the parameters go back
  Done,           // the picture is finished (or stopped)
  LayoutChanged,  // finished, and a resize during it asks for a re-analysis
};

// The engine with settled parameters: plans the run, loads the segment,
// builds the image, runs the frame loop and finishes the picture.
AnalyzeOutcome RunAnalyzeFile(app::App& app, const AnalyzeSource& source);

// Marks the end of an Analyze File request, however it ended.
void EndAnalyzeFile(app::App& app);

// Asks for the parameters of a request between its first stage and the
// engine (the Analyze dialog); false when the user cancels.
using AskParameters = bool (*)(app::App& app, const AnalyzeSource& source);

// A whole Analyze File request: the stages above in a row, with ask (may be
// null) where the dialog applies, the parameters put back on any failure,
// and a resize during the run answered by re-analysing, in a loop.
void AnalyzeFileRequest(app::App& app, int kind, AskParameters ask);

}  // namespace sonavue::engines
