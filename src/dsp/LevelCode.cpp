#include "dsp/LevelCode.h"

#include <cmath>
#include <limits>

#include "dsp/Rounding.h"

namespace sonavue::dsp {

float WindowCorrectionDb(float resolutionHz, int fftSize, float sampleRateHz) {
  return 10.0f * std::log10(resolutionHz * static_cast<float>(fftSize) / sampleRateHz);
}

std::int16_t LevelCode(double power, int fftSize, float sampleRateHz, float windowCorrectionDb) {
  if (!(power > 0.0)) return 0;
  const double quarterDb = 40.0 * std::log10(fftSize * power / sampleRateHz) +
                           4.0 * static_cast<double>(windowCorrectionDb);
  return static_cast<std::int16_t>(RoundHalfAway(quarterDb,
                                                 std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max()));
}

std::optional<int> BinLevelDb(float magnitude, int fftSize, float sampleRateHz,
                              float windowCorrectionDb, bool splCalibrated) {
  const double power = static_cast<double>(magnitude) * magnitude;
  if (!(power > 0.0)) return std::nullopt;
  const double db =
      10.0 * std::log10(fftSize * power / sampleRateHz) + static_cast<double>(windowCorrectionDb);
  // Finite float magnitudes keep db within about ±900; the limits only
  // guard the conversion against a zero or negative rate.
  const int level = RoundHalfAway(db, -100000, 100000);
  return splCalibrated ? level : level - kRelativeLevelOffsetDb;
}

}  // namespace sonavue::dsp
