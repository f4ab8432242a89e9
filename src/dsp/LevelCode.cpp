#include "dsp/LevelCode.h"

#include <algorithm>
#include <bit>
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

namespace {

// Quarter decibels per octave and per neper of power: 40·log10(2), 40/ln 10.
constexpr double kCodesPerOctave = 12.041199826559248;
constexpr double kCodesPerNeper = 17.371779276130073;
// The fraction bits of a double, those of √2, and the bias that turns a
// small integer in the low bits into a double (2^52, and 2^52 + 1023 to
// take the exponent bias off as well).
constexpr std::uint64_t kFractionBits = 0x000FFFFFFFFFFFFFULL;
constexpr std::uint64_t kSqrtTwoFraction = 0x0006A09E667F3BCDULL;
constexpr std::uint64_t kIntegerBias = 0x4330000000000000ULL;
constexpr double kIntegerBias1023 = 4503599627371519.0;
constexpr double kLargestOffset = 1e6;
// How far the estimate may be trusted from a half code, with two orders of
// magnitude to spare over its error bound.
constexpr double kBoundaryGuard = 1e-6;
// Estimates beyond this are left to the exact formula (and its limits).
constexpr double kLargestEstimate = 32000.0;
constexpr std::size_t kChunk = 64;

// Powers far beyond any signal's, where N·P/fs itself could overflow or
// lose precision, are left to the exact formula.
constexpr double kSmallestSurePower = 1e-290;
constexpr double kLargestSurePower = 1e290;

// Whether an estimated code needs the exact formula: a power outside the
// sure range (zero, negative, subnormal, huge, infinite, not a number), an
// estimate near a half code, or one near the 16-bit limits.
// Written as a sum of selections of 0 and 1 so that it runs on vectors; a
// comparison with a NaN counts as failed.
inline double Unsure(double power, double estimate, double rounded) {
  const double distance = std::fabs(estimate - rounded);
  return (power >= kSmallestSurePower ? 0.0 : 1.0) + (power <= kLargestSurePower ? 0.0 : 1.0) +
         (distance <= 0.5 - kBoundaryGuard ? 0.0 : 1.0) + (std::fabs(estimate) < kLargestEstimate ? 0.0 : 1.0);
}

}  // namespace

LevelCoder::LevelCoder(int fftSize, float sampleRateHz, float windowCorrectionDb)
    : fftSize_(fftSize),
      sampleRateHz_(sampleRateHz),
      windowCorrectionDb_(windowCorrectionDb),
      offset_(40.0 * std::log10(fftSize / static_cast<double>(sampleRateHz)) +
              4.0 * static_cast<double>(windowCorrectionDb)) {}

std::int16_t LevelCoder::Code(double power) const {
  return LevelCode(power, fftSize_, sampleRateHz_, windowCorrectionDb_);
}

void LevelCoder::Codes(std::span<const double> powers, std::span<std::int16_t> codes) const {
  const std::size_t count = std::min(powers.size(), codes.size());
  const double offset = offset_;
  if (!(std::fabs(offset) < kLargestOffset)) {
    for (std::size_t i = 0; i < count; ++i) codes[i] = Code(powers[i]);
    return;
  }
  // Plain loops per chunk (estimate, rounding, code, count of the unsure)
  // rather than one: each then has a single element width and runs on
  // vectors even with SSE2 alone.
  double estimates[kChunk];
  double rounded[kChunk];
  for (std::size_t start = 0; start < count; start += kChunk) {
    const std::size_t size = std::min(kChunk, count - start);
    const double* const p = powers.data() + start;
    std::int16_t* const out = codes.data() + start;
    for (std::size_t i = 0; i < size; ++i) {
      // p = 2^e × m with √½ ≤ m < √2, taken apart in integer steps; ln m
      // from the series 2·atanh(s), s = (m − 1)/(m + 1), |s| ≤ 0.172, whose
      // remainder is below 10⁻¹⁰.
      const std::uint64_t bits = std::bit_cast<std::uint64_t>(p[i]);
      const std::uint64_t fraction = bits & kFractionBits;
      // 1 when the fraction exceeds √2's (an add and a shift: SSE2 has no
      // 64-bit compare).
      const std::uint64_t upper = (fraction + (kFractionBits - kSqrtTwoFraction)) >> 52;
      const double e = std::bit_cast<double>(((bits >> 52) + upper) | kIntegerBias) - kIntegerBias1023;
      const double m = std::bit_cast<double>(fraction | ((1023U - upper) << 52));
      const double s = (m - 1.0) / (m + 1.0);
      const double s2 = s * s;
      const double lnM =
          s * (2.0 + s2 * (2.0 / 3.0 + s2 * (2.0 / 5.0 + s2 * (2.0 / 7.0 + s2 * (2.0 / 9.0 + s2 * (2.0 / 11.0))))));
      // |e| ≤ 2048 and |offset| < 10⁶ keep the estimate where the conversion
      // to an integer is defined, whatever the bits were.
      estimates[i] = offset + e * kCodesPerOctave + lnM * kCodesPerNeper;
    }
    for (std::size_t i = 0; i < size; ++i) {
      const double estimate = estimates[i];
      rounded[i] = static_cast<double>(static_cast<std::int32_t>(estimate + std::copysign(0.5, estimate)));
    }
    for (std::size_t i = 0; i < size; ++i) {
      out[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(rounded[i]));
    }
    double unsure = 0.0;
    for (std::size_t i = 0; i < size; ++i) unsure += Unsure(p[i], estimates[i], rounded[i]);
    if (unsure == 0.0) continue;
    for (std::size_t i = 0; i < size; ++i) {
      if (Unsure(p[i], estimates[i], rounded[i]) != 0.0) out[i] = Code(p[i]);
    }
  }
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
