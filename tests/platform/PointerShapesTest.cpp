#include "platform/PointerShapes.h"

#include <gtest/gtest.h>

namespace sonavue::platform {
namespace {

int Count(const PointerImage& image, PointerPixel pixel) {
  int n = 0;
  for (PointerPixel p : image) n += p == pixel ? 1 : 0;
  return n;
}

TEST(PointerShapesTest, TheCrossesAreOnePixelArmsThroughTheHotSpot) {
  for (const auto& [shape, color] : {std::pair{2, PointerPixel::White}, std::pair{3, PointerPixel::Black}}) {
    const PointerImage image = MakePointerImage(shape);
    // Two arms of 29 pixels sharing the hot spot, nothing else.
    EXPECT_EQ(Count(image, color), 29 + 29 - 1);
    EXPECT_EQ(Count(image, PointerPixel::Transparent), 32 * 32 - 57);
    EXPECT_EQ(PixelAt(image, 15, 15), color);
    EXPECT_EQ(PixelAt(image, 1, 15), color);
    EXPECT_EQ(PixelAt(image, 29, 15), color);
    EXPECT_EQ(PixelAt(image, 30, 15), PointerPixel::Transparent);
    EXPECT_EQ(PixelAt(image, 0, 15), PointerPixel::Transparent);
    EXPECT_EQ(PixelAt(image, 15, 1), color);
    EXPECT_EQ(PixelAt(image, 15, 29), color);
    EXPECT_EQ(PixelAt(image, 15, 30), PointerPixel::Transparent);
    EXPECT_EQ(PixelAt(image, 14, 14), PointerPixel::Transparent);
  }
}

TEST(PointerShapesTest, TheTargetBoxIsAnOutlinedOpenSquareWithLinesToTheEdges) {
  const PointerImage image = MakePointerImage(1);
  // The square: 11 pixels wide around (15, 15), open inside.
  for (int i = 10; i <= 20; ++i) {
    EXPECT_EQ(PixelAt(image, i, 10), PointerPixel::White) << i;
    EXPECT_EQ(PixelAt(image, i, 20), PointerPixel::White) << i;
    EXPECT_EQ(PixelAt(image, 10, i), PointerPixel::White) << i;
    EXPECT_EQ(PixelAt(image, 20, i), PointerPixel::White) << i;
  }
  EXPECT_EQ(PixelAt(image, 15, 15), PointerPixel::Transparent);
  EXPECT_EQ(PixelAt(image, 12, 12), PointerPixel::Transparent);
  // The lines run to one pixel from the edges, outlined there in black.
  EXPECT_EQ(PixelAt(image, 1, 15), PointerPixel::White);
  EXPECT_EQ(PixelAt(image, 30, 15), PointerPixel::White);
  EXPECT_EQ(PixelAt(image, 15, 1), PointerPixel::White);
  EXPECT_EQ(PixelAt(image, 15, 30), PointerPixel::White);
  EXPECT_EQ(PixelAt(image, 0, 15), PointerPixel::Black);
  EXPECT_EQ(PixelAt(image, 31, 15), PointerPixel::Black);
  // Every white pixel is bordered: no white pixel touches a transparent one.
  for (int y = 0; y < kPointerSize; ++y) {
    for (int x = 0; x < kPointerSize; ++x) {
      if (PixelAt(image, x, y) != PointerPixel::White) continue;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx;
          const int ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= kPointerSize || ny >= kPointerSize) continue;
          if (nx > 10 && nx < 20 && ny > 10 && ny < 20) continue;  // the open inside of the square
          EXPECT_NE(PixelAt(image, nx, ny), PointerPixel::Transparent) << x << "," << y;
        }
      }
    }
  }
  // Unknown shapes draw the Target Box.
  EXPECT_EQ(MakePointerImage(7), image);
}

}  // namespace
}  // namespace sonavue::platform
