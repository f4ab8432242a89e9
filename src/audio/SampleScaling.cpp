#include "audio/SampleScaling.h"

#include <algorithm>
#include <cmath>

namespace sonavue::audio {
namespace {

constexpr double kMax16 = 32767.0;
constexpr double kMax24 = 8388607.0;

std::int32_t Scaled(double value, double factor, double limit) {
  const double x = std::clamp(value * factor, -limit, limit);
  // Half away from zero, the program's rounding.
  return static_cast<std::int32_t>(x < 0.0 ? -std::floor(-x + 0.5) : std::floor(x + 0.5));
}

}  // namespace

void ScaleSamplesInPlace(std::span<std::uint8_t> data, int bytesPerSample, double factor) {
  if (bytesPerSample == 2) {
    for (std::size_t i = 0; i + 2 <= data.size(); i += 2) {
      const auto v = static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
      const std::int32_t s = Scaled(v, factor, kMax16);
      data[i] = static_cast<std::uint8_t>(s & 0xFF);
      data[i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
    }
  } else if (bytesPerSample == 3) {
    for (std::size_t i = 0; i + 3 <= data.size(); i += 3) {
      // The sample in the upper three bytes of a 32-bit value, shifted down
      // with its sign.
      const std::int32_t v = static_cast<std::int32_t>((static_cast<std::uint32_t>(data[i]) << 8) |
                                                       (static_cast<std::uint32_t>(data[i + 1]) << 16) |
                                                       (static_cast<std::uint32_t>(data[i + 2]) << 24)) >>
                             8;
      const std::int32_t s = Scaled(v, factor, kMax24);
      data[i] = static_cast<std::uint8_t>(s & 0xFF);
      data[i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
      data[i + 2] = static_cast<std::uint8_t>((s >> 16) & 0xFF);
    }
  }
}

double GainChangeFactor(int previousGainDb, int newGainDb) {
  return std::pow(10.0, -newGainDb / 20.0) / std::pow(10.0, -previousGainDb / 20.0);
}

}  // namespace sonavue::audio
