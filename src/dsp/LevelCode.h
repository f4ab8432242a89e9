#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace sonavue::dsp {

// The internal level scale is whole decibels in which 90 stands for 0 dB
// relative; without SPL calibration levels are shown as value − 90, with it
// as the value itself (dB SPL).
inline constexpr int kRelativeLevelOffsetDb = 90;
constexpr int ShownLevelDb(int internalDb, bool splCalibrated) {
  return splCalibrated ? internalDb : internalDb - kRelativeLevelOffsetDb;
}

// Window correction W = 10·log10(R·N/fs) in dB (single precision): how much
// shorter than the N-point frame the window of resolution R Hz is.
float WindowCorrectionDb(float resolutionHz, int fftSize, float sampleRateHz);

// Level code in quarter dB of a power measure (squared magnitudes, summed or
// maximised): round-half-away(40·log10(N·P/fs) + 4·W), limited to int16.
// A power ≤ 0 (or NaN) gives 0, the code for "no level".
std::int16_t LevelCode(double power, int fftSize, float sampleRateHz, float windowCorrectionDb);

// LevelCode of many powers of one run at once, with the same results: the
// logarithm is estimated from the binary exponent and a short series to
// within 10⁻⁸ of a code, which settles the rounding of every power except
// those within 10⁻⁶ of a half code (and those beyond 10^±290);
// these few take LevelCode itself. The loop has no branches and no library
// calls, so it runs on vectors.
class LevelCoder {
 public:
  LevelCoder() = default;
  LevelCoder(int fftSize, float sampleRateHz, float windowCorrectionDb);

  // codes[i] = LevelCode(powers[i], …) for i below the shorter length.
  void Codes(std::span<const double> powers, std::span<std::int16_t> codes) const;
  std::int16_t Code(double power) const;

 private:
  int fftSize_ = 1;
  float sampleRateHz_ = 1.0F;
  float windowCorrectionDb_ = 0.0F;
  double offset_ = 0.0;  // quarter dB of a power of 1
};

// Whole-dB level of one spectrum bin for the data logs:
// round-half-away(10·log10(N·A²/fs) + W), minus 90 (relative levels) when
// not SPL calibrated. std::nullopt when the magnitude is 0 (no level).
std::optional<int> BinLevelDb(float magnitude, int fftSize, float sampleRateHz,
                              float windowCorrectionDb, bool splCalibrated);

}  // namespace sonavue::dsp
