#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonavue::app {
class App;
}

namespace sonavue::calibration {

// The level of the live input, measured the way the calibration's scope
// reads it: the mean, over consecutive frames, of each frame's total level
// 20·log10(RMS) in 16-bit units, the samples scaled by factor (the gain
// factor, and the SPL factor when it applies). Frames without any level
// (all zero) are left out; nothing when no frame has a level.
inline constexpr int kLevelFrameSize = 4096;
std::optional<double> MeanFrameLevelDb(std::span<const std::int16_t> samples, int frameSize, double factor);

// Records seconds (1 … 60) of the live input, mono 16-bit at rateHz, and
// returns its samples after the first half second (the device settling).
// The input's failures, at the open or later, are shown as Scan Input
// shows them; nothing then. The App's message pump must hand the input's
// notifications to the capture (audio::HandleWaveInData, HandleWaveInClose,
// HandleDeviceFailure), as the window's and the companion's do.
std::optional<std::vector<std::int16_t>> RecordLiveInput(app::App& app, int seconds, int rateHz);

}  // namespace sonavue::calibration
