#include "output/ImageResample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sonavue::output {
namespace {

// A picture of w × h pixels whose rows are stride bytes apart, with guard
// bytes after every row.
struct Picture {
  int width;
  int height;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;

  Picture(int w, int h, std::size_t extra = 0, std::uint8_t fill = 0)
      : width(w), height(h), stride(3 * static_cast<std::size_t>(w) + extra),
        bytes(stride * static_cast<std::size_t>(h), fill) {}
  std::uint8_t* Pixel(int x, int y) { return bytes.data() + static_cast<std::size_t>(y) * stride + 3 * static_cast<std::size_t>(x); }
  void Set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::uint8_t* p = Pixel(x, y);
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
  PixelView View() const { return {bytes.data(), stride, width, height}; }
  MutablePixelView Target() { return {bytes.data(), stride, width, height}; }
};

TEST(ImageResampleTest, ARowWidenedFromThreeToFivePixelsTakesTheMidpoints) {
  Picture source(3, 1);
  source.Set(0, 0, 0, 10, 200);
  source.Set(1, 0, 100, 20, 100);
  source.Set(2, 0, 200, 30, 0);
  Picture target(5, 1);
  ResampleBilinear(source.View(), target.Target());
  // Output columns sit at source columns 0, 0.5, 1, 1.5, 2.
  const std::uint8_t red[5] = {0, 50, 100, 150, 200};
  const std::uint8_t green[5] = {10, 15, 20, 25, 30};
  const std::uint8_t blue[5] = {200, 150, 100, 50, 0};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(target.Pixel(x, 0)[0], red[x]) << x;
    EXPECT_EQ(target.Pixel(x, 0)[1], green[x]) << x;
    EXPECT_EQ(target.Pixel(x, 0)[2], blue[x]) << x;
  }
}

TEST(ImageResampleTest, AColumnStretchedFromTwoToFiveRowsRunsFromBottomToTop) {
  Picture source(1, 2);
  source.Set(0, 0, 200, 200, 200);  // top row
  source.Set(0, 1, 0, 0, 0);        // bottom row
  Picture target(1, 5);
  ResampleBilinear(source.View(), target.Target());
  const std::uint8_t fromTop[5] = {200, 150, 100, 50, 0};
  for (int y = 0; y < 5; ++y) EXPECT_EQ(target.Pixel(0, y)[0], fromTop[y]) << y;
}

TEST(ImageResampleTest, BothDirectionsAtOnceBlendFourNeighbours) {
  Picture source(2, 2);
  source.Set(0, 0, 0, 0, 0);
  source.Set(1, 0, 100, 0, 0);
  source.Set(0, 1, 100, 0, 0);
  source.Set(1, 1, 200, 0, 0);
  Picture target(3, 3);
  ResampleBilinear(source.View(), target.Target());
  // The centre is the mean of the four corners; edge midpoints the mean of two.
  EXPECT_EQ(target.Pixel(1, 1)[0], 100);
  EXPECT_EQ(target.Pixel(1, 0)[0], 50);
  EXPECT_EQ(target.Pixel(0, 1)[0], 50);
  EXPECT_EQ(target.Pixel(2, 1)[0], 150);
  EXPECT_EQ(target.Pixel(2, 2)[0], 200);
}

TEST(ImageResampleTest, TheSameSizeCopiesEveryByte) {
  Picture source(37, 23);
  std::uint32_t state = 12345;
  for (auto& b : source.bytes) {
    state = state * 1664525U + 1013904223U;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  Picture target(37, 23);
  ResampleBilinear(source.View(), target.Target());
  EXPECT_EQ(target.bytes, source.bytes);
}

TEST(ImageResampleTest, AUniformPictureStaysUniformAtAnySize) {
  Picture source(13, 7);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) source.Set(x, y, 17, 130, 255);
  }
  for (const auto& [w, h] : {std::pair{13, 7}, std::pair{40, 21}, std::pair{1000, 539}, std::pair{14, 7}}) {
    Picture target(w, h);
    ResampleBilinear(source.View(), target.Target());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(target.Pixel(x, y)[0], 17);
        ASSERT_EQ(target.Pixel(x, y)[1], 130);
        ASSERT_EQ(target.Pixel(x, y)[2], 255);
      }
    }
  }
}

TEST(ImageResampleTest, RowPaddingIsNeitherReadNorWritten) {
  Picture source(3, 2, 5, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) source.Set(x, y, 40, 40, 40);
  }
  // Padding of the source holds values that would show if read.
  for (int y = 0; y < 2; ++y) std::fill_n(source.Pixel(3, y), 5, std::uint8_t{255});
  Picture target(7, 4, 3, 0xAB);
  ResampleBilinear(source.View(), target.Target());
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(target.Pixel(x, y)[0], 40);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(target.Pixel(7, y)[i], 0xAB) << "guard byte written";
  }
}

TEST(ImageResampleTest, AOnePixelSideTakesTheFirstColumnAndTheBottomRow) {
  Picture source(2, 2);
  source.Set(0, 0, 1, 1, 1);
  source.Set(1, 0, 2, 2, 2);
  source.Set(0, 1, 3, 3, 3);  // bottom left
  source.Set(1, 1, 4, 4, 4);
  Picture target(1, 1);
  ResampleBilinear(source.View(), target.Target());
  EXPECT_EQ(target.Pixel(0, 0)[0], 3);
}

}  // namespace
}  // namespace sonavue::output
