#pragma once

#include <cstdint>
#include <optional>

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

// Whole-dB level of one spectrum bin for the data logs:
// round-half-away(10·log10(N·A²/fs) + W), minus 90 (relative levels) when
// not SPL calibrated. std::nullopt when the magnitude is 0 (no level).
std::optional<int> BinLevelDb(float magnitude, int fftSize, float sampleRateHz,
                              float windowCorrectionDb, bool splCalibrated);

}  // namespace sonavue::dsp
