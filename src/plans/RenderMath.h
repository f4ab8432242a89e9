#pragma once

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>

#include "dsp/Rounding.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// Conversions of computed positions and values to integers, each limited to
// the int range so that the conversion stays defined (a NaN gives 0).
inline int ClampToInt(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = std::numeric_limits<int>::min();
  constexpr double hi = std::numeric_limits<int>::max();
  if (x <= lo) return std::numeric_limits<int>::min();
  if (x >= hi) return std::numeric_limits<int>::max();
  return static_cast<int>(x);
}
// Toward zero.
inline int Trunc(double x) { return ClampToInt(std::trunc(x)); }
// Half away from zero (2.5 → 3, −2.5 → −3): the program's default rule,
// dsp::RoundHalfAway over the whole int range (a NaN gives 0, as above).
inline int RoundHalfAway(double x) {
  return dsp::RoundHalfAway(std::isnan(x) ? 0.0 : x, std::numeric_limits<int>::min(),
                            std::numeric_limits<int>::max());
}
// Half up (2.5 → 3, −2.5 → −2).
inline int RoundHalfUp(double x) { return ClampToInt(std::floor(x + 0.5)); }

// printf-style formatting into a string; the formats are the program's
// display formats, so the texts match character for character.
__attribute__((format(printf, 1, 2))) inline std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return {};
  return std::string(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
}

// Red and blue exchanged: for targets whose bytes are read red first.
inline platform::Rgb SwapRedBlue(platform::Rgb c) { return {c.b, c.g, c.r}; }

}  // namespace sonavue::render
