#include "platform/PointerShapes.h"

#include <cstdlib>

namespace sonavue::platform {
namespace {

constexpr int kBoxHalf = 5;     // the square spans hot spot ± 5: 11 pixels
constexpr int kCrossEnd = 29;   // the crosses' arms run 1 … 29
constexpr int kTargetEnd = 30;  // the target's lines end one pixel from the edge

void Set(PointerImage& image, int x, int y, PointerPixel pixel) {
  image[static_cast<std::size_t>(y * kPointerSize + x)] = pixel;
}

PointerImage Cross(PointerPixel color) {
  PointerImage image{};
  for (int i = 1; i <= kCrossEnd; ++i) {
    Set(image, i, kPointerHotSpot, color);
    Set(image, kPointerHotSpot, i, color);
  }
  return image;
}

PointerImage TargetBox() {
  PointerImage image{};
  const int c = kPointerHotSpot;
  for (int i = -kBoxHalf; i <= kBoxHalf; ++i) {
    Set(image, c + i, c - kBoxHalf, PointerPixel::White);
    Set(image, c + i, c + kBoxHalf, PointerPixel::White);
    Set(image, c - kBoxHalf, c + i, PointerPixel::White);
    Set(image, c + kBoxHalf, c + i, PointerPixel::White);
  }
  for (int i = 1; i < c - kBoxHalf; ++i) {
    Set(image, i, c, PointerPixel::White);
    Set(image, c, i, PointerPixel::White);
  }
  for (int i = c + kBoxHalf + 1; i <= kTargetEnd; ++i) {
    Set(image, i, c, PointerPixel::White);
    Set(image, c, i, PointerPixel::White);
  }
  // The outline: every transparent pixel touching a white one turns black,
  // so the pointer shows on light and dark pictures alike.
  const PointerImage white = image;
  for (int y = 0; y < kPointerSize; ++y) {
    for (int x = 0; x < kPointerSize; ++x) {
      if (PixelAt(white, x, y) != PointerPixel::Transparent) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1 && !touches; ++dy) {
        for (int dx = -1; dx <= 1 && !touches; ++dx) {
          const int nx = x + dx;
          const int ny = y + dy;
          touches = nx >= 0 && ny >= 0 && nx < kPointerSize && ny < kPointerSize &&
                    PixelAt(white, nx, ny) == PointerPixel::White;
        }
      }
      if (touches) Set(image, x, y, PointerPixel::Black);
    }
  }
  return image;
}

}  // namespace

PointerImage MakePointerImage(int shape) {
  switch (shape) {
    case static_cast<int>(PointerShape::WhiteCross): return Cross(PointerPixel::White);
    case static_cast<int>(PointerShape::BlackCross): return Cross(PointerPixel::Black);
    default: return TargetBox();
  }
}

}  // namespace sonavue::platform
