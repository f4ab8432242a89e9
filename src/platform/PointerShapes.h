#pragma once

#include <array>
#include <cstdint>

namespace sonavue::platform {

// The three mouse pointers of the display, as pixel patterns: 32 × 32
// pixels, hot spot (15, 15), each pixel transparent, white or black.
enum class PointerShape { TargetBox = 1, WhiteCross = 2, BlackCross = 3 };

enum class PointerPixel : std::uint8_t { Transparent, White, Black };

inline constexpr int kPointerSize = 32;
inline constexpr int kPointerHotSpot = 15;

using PointerImage = std::array<PointerPixel, kPointerSize * kPointerSize>;

// Target Box: an open square 11 pixels wide centred on the hot spot, with
// lines from its four sides to one pixel from the pointer's edges, all white
// with a one-pixel black outline. White and Black Cross: a one-pixel cross,
// horizontal arm x = 1 … 29 at y = 15, vertical arm y = 1 … 29 at x = 15, in
// white or black; everything else transparent. Any other shape number gives
// the Target Box.
PointerImage MakePointerImage(int shape);

inline PointerPixel PixelAt(const PointerImage& image, int x, int y) {
  return image[static_cast<std::size_t>(y * kPointerSize + x)];
}

}  // namespace sonavue::platform
