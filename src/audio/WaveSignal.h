#pragma once

#include <filesystem>
#include <optional>

#include "platform/SimulatedWave.h"

namespace sonavue::audio {

// A signal source that plays a 16-bit WAV file's left (or only) channel in
// a loop, for the simulated input; nothing when the file cannot be read.
std::optional<platform::SignalSource> SignalFromWaveFile(const std::filesystem::path& path);

}  // namespace sonavue::audio
