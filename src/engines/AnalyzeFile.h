#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/WaveOpen.h"
#include "context/CommandIds.h"
#include "platform/DisplayBitmap.h"

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

// Whether the dialog stage applies: a menu request with Variables not
// Freeze, or a file of a batch (whose ask, when it has one, is the batch's).
bool AnalyzeShowsDialog(const app::App& app, int kind);

enum class AnalyzeOutcome {
  Refused,        // a message was shown; the parameters go back
  Cancelled,      // the file or the dialog was not chosen; the parameters go back
  Done,           // the picture is finished (or stopped)
  LayoutChanged,  // finished, and a resize during it asks for a re-analysis
};

// The engine with settled parameters: plans the run, loads the segment,
// builds the image, runs the frame loop and finishes the picture.
AnalyzeOutcome RunAnalyzeFile(app::App& app, const AnalyzeSource& source);

// A picture read back from a parameter snapshot, to be shown instead of
// analysing: the image and its column levels as they were saved, the
// segment's bytes, and the view.
struct RestoredPicture {
  platform::DisplayBitmap image;
  std::array<std::vector<float>, 2> levels;  // per column; the right channel's only for stereo
  std::int64_t columns = 0;
  std::uint32_t beginByte = 0;  // the segment in the file's data
  std::uint32_t byteCount = 0;
  int scrollRange = 0;
  int scrollPosition = 0;
  double timeOriginMs = 0.0;
};

// The engine's restore: loads the segment of the picture behind a working
// header, makes the picture the current analysis with its levels and view,
// and skips the frame loop. The image must have the size the current layout
// gives the restored parameters; otherwise (after "File Error") nothing
// changes. Refused after a message, else Done.
AnalyzeOutcome RestoreAnalyzeFile(app::App& app, const AnalyzeSource& source, RestoredPicture&& picture);

// The window caption of a finished picture: the file name, or the F6
// reminder while a parameter snapshot is saved.
std::string AnalysisCaption(const app::App& app, const std::filesystem::path& file);

// Marks the end of an Analyze File request, however it ended.
void EndAnalyzeFile(app::App& app);

// Asks for the parameters of a request between its first stage and the
// engine (the Analyze dialog); false when the user cancels.
using AskParameters = std::function<bool(app::App& app, const AnalyzeSource& source)>;

// A whole Analyze File request: the stages above in a row, with ask (may be
// empty) where the dialog applies, the parameters put back on any failure,
// and a resize during the run answered by re-analysing, in a loop. Returns
// how the request ended (Done also when a resize re-analysed it).
AnalyzeOutcome AnalyzeFileRequest(app::App& app, int kind, const AskParameters& ask);

}  // namespace sonavue::engines
