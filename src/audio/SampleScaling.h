#pragma once

#include <cstdint>
#include <span>

namespace sonavue::audio {

// Multiplies every stored sample of data in place by factor: 16-bit samples
// (bytesPerSample 2) limited to ±32767, packed little-endian 24-bit samples
// (3) limited to ±8388607. Used when the gain setting changes while the
// signal is held in memory: factor = 10^(−new gain ÷ 20) ÷ 10^(−previous ÷ 20).
// Trailing bytes that do not make a whole sample, and other sample sizes,
// are left alone.
void ScaleSamplesInPlace(std::span<std::uint8_t> data, int bytesPerSample, double factor);

// The factor that takes samples scaled for previousGainDb to newGainDb.
double GainChangeFactor(int previousGainDb, int newGainDb);

}  // namespace sonavue::audio
