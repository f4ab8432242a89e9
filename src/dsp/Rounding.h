#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sonavue::dsp {

// Rounds half away from zero (2.5 → 3, −2.5 → −3) and limits the result to
// lo … hi; a NaN gives lo. The limit keeps the conversion to int defined.
inline int RoundHalfAway(double x, int lo, int hi) {
  if (!(x >= lo)) return lo;
  if (x >= hi) return hi;
  return static_cast<int>(std::round(x));
}

// Rounds half away from zero to a 64-bit count (positions, columns,
// sample indices); limited to ±2^62, a NaN gives 0.
inline std::int64_t RoundHalfAway(double x) {
  constexpr double kLimit = 4.611686018427387904e18;  // 2^62
  if (!(x == x)) return 0;
  return static_cast<std::int64_t>(std::round(std::clamp(x, -kLimit, kLimit)));
}

// Rounds half up (floor(x + ½), the rule of the band tables) in single
// precision and limits the result to lo … hi; a NaN gives lo.
inline int RoundHalfUp(float x, int lo, int hi) {
  const float r = std::floor(x + 0.5f);
  if (!(r >= static_cast<float>(lo))) return lo;
  if (r >= static_cast<float>(hi)) return hi;
  return static_cast<int>(r);
}

// Truncates toward zero and limits the result to lo … hi; a NaN gives lo.
inline int TruncateClamped(float x, int lo, int hi) {
  if (!(x >= static_cast<float>(lo))) return lo;
  if (x >= static_cast<float>(hi)) return hi;
  return static_cast<int>(x);
}

}  // namespace sonavue::dsp
