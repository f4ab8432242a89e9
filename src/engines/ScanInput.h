#pragma once

#include <cstdint>
#include <span>

#include "context/CommandIds.h"

namespace sonavue::app {
class App;
struct CurrentParameters;
}

namespace sonavue::engines {

// Start reasons of the Scan Input command: a restart (after a resize or the
// 4-hour limit) is sent as the program's own request, with no dialog.
inline constexpr int kScanMenu = app::kReasonUser;
inline constexpr int kScanRestart = app::kReasonCommandLine;
inline constexpr int kScanResume = app::kReasonSpaceResume;

// The first stage of a Scan Input request: a Space resume puts back the
// paused scan's parameters, a menu request forgets the paused scan, and
// Ultrasound Controls turn into Automatic Controls (with their notice).
void BeginScanInput(app::App& app, int reason);

// Whether the dialog stage applies: a menu request that is not a command
// line, with Variables not Freeze.
bool ScanShowsDialog(const app::App& app, int reason);

// The way of working (7 … 10) the chosen display stands for.
void ChooseWayFromDisplay(app::CurrentParameters& p);

enum class ScanOutcome {
  Refused,  // a command-line check failed: the parameters go back
  Done,     // the scan ran (or could not start) and ended
  Restart,  // the scan ended to start again (a resize, the 4-hour limit)
};

// The engine with settled parameters: the command line's rules, the
// automatic resolution, the display, the capture and the input (with
// Recording Enable "On" or "Trigger" the recording file chooser), the live
// loop until STOP with its recording trigger, and the stopped picture (a
// stopped sonogram becomes a static analysis of its captured span).
ScanOutcome RunScanInput(app::App& app, int reason, bool dialogShown);

// Whether a live sonogram's columns came at an uneven pace: over the column
// time stamps (a ring, 0 = empty) taken in time order, the standard deviation
// of the gaps between consecutive increasing stamps (divisor n − 1) is at
// least their mean; or the scan lasted more than 15 minutes.
inline constexpr std::uint32_t kLongestRegularScanMs = 900000;
bool ColumnsIrregular(std::span<const std::uint32_t> stamps, std::uint32_t lastedMs);

// Asks for the parameters of a Scan Input run (its dialog); false when the
// user cancels.
using AskScanParameters = bool (*)(app::App& app);

// A whole Scan Input request: the stages in a row, ask (may be null) where
// the dialog applies, the parameters put back when a check refuses the run,
// and restarts in a loop. Recording Enable is "Off" unless the dialog or a
// resume sets it.
void ScanInputRequest(app::App& app, int reason, AskScanParameters ask);

// Where the newest analysis frame lies in the two input buffers: d is the
// frame's first sample relative to the start of the buffer being filled
// (negative: it begins in the other buffer).
struct FrameLocation {
  bool ready = false;
  std::int64_t d = 0;
};
// elapsedMs since the buffer being filled began; the frame ends latencyMs
// before now.
FrameLocation LocateFrame(std::int64_t elapsedMs, std::int64_t latencyMs, std::int32_t rate,
                          int fftSize, std::int32_t samplesPerBuffer);

// Copies the frame's N sample frames (interleaved, frameBytes each) into out:
// the tail of the previous buffer, then the head of the buffer being filled.
void AssembleFrameBytes(const std::uint8_t* previous, const std::uint8_t* filling,
                        std::int32_t samplesPerBuffer, std::int64_t d, int fftSize, int frameBytes,
                        std::span<std::uint8_t> out);

}  // namespace sonavue::engines
