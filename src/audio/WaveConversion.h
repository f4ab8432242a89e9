#pragma once

#include <filesystem>

#include "audio/WaveFormat.h"

namespace sonavue::audio {

// Converts the 8-bit samples of source to 16 bits ((s − 128) × 256) and
// writes them behind a working header to target. Returns false when the
// chunks cannot be found or the data chunk cannot be read whole; target is
// then left as it was (it is replaced only once the new file is complete).
bool Convert8BitTo16(const std::filesystem::path& source, const std::filesystem::path& target);

// Converts 32-bit float samples to 24 bits (x × 8388608 truncated toward
// zero); values beyond full scale saturate at the 24-bit limits and NaN
// becomes 0. Failure as for the 8-bit conversion.
bool ConvertFloatTo24(const std::filesystem::path& source, const std::filesystem::path& target);

// One float sample as the 24-bit integer the conversion stores.
std::int32_t FloatTo24(float x);

}  // namespace sonavue::audio
