#include "output/BmpFile.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace sonavue::output {
namespace {

TEST(BmpFileTest, AnEightHundredBySixHundredPictureIsOneMillionFourHundredFortyThousandAndFiftyEightBytes) {
  EXPECT_EQ(BmpFileBytes(800, 600), 1440058U);
  EXPECT_EQ(BmpRowPadding(800), 0);
  // 801 pixels: 2403 bytes and one pad byte per row.
  EXPECT_EQ(BmpRowPadding(801), 1);
  EXPECT_EQ(BmpFileBytes(801, 600), 58U + 600U * 2404U);
  EXPECT_EQ(BmpRowPadding(802), 2);
  EXPECT_EQ(BmpRowPadding(803), 3);
}

TEST(BmpFileTest, TheHeaderHoldsEveryFieldAtItsOffset) {
  std::array<std::uint8_t, kBmpHeaderBytes> header{};
  header.fill(0xEE);
  WriteBmpHeader(header, 801, 600);
  const std::array<std::uint8_t, kBmpHeaderBytes> expected{
      'B', 'M',                      // signature
      0x9A, 0x02, 0x16, 0x00,        // file size 58 + 600 × 2404 = 1,442,458
      0, 0, 0, 0,                    // reserved
      58, 0, 0, 0,                   // pixel offset
      40, 0, 0, 0,                   // header size
      0x21, 0x03, 0, 0,              // width 801
      0x58, 0x02, 0, 0,              // height 600, bottom row first
      1, 0,                          // planes
      24, 0,                         // bits per pixel
      0, 0, 0, 0,                    // compression
      0, 0, 0, 0,                    // image size
      0, 0, 0, 0, 0, 0, 0, 0,        // resolutions
      0, 0, 0, 0, 0, 0, 0, 0,        // colours used, important
      0, 0, 0, 0};                   // gap
  EXPECT_EQ(header, expected);
}

TEST(BmpFileTest, RowsGoBottomFirstAsBlueGreenRedWithZeroPadding) {
  // 3 × 2 pixels, top row first, red green blue.
  const std::vector<std::uint8_t> rgb{
      1, 2, 3, 4, 5, 6, 7, 8, 9,           // top row
      10, 11, 12, 13, 14, 15, 16, 17, 18,  // bottom row
  };
  const PixelView picture{rgb.data(), 9, 3, 2};
  std::vector<std::uint8_t> pixels(BmpFileBytes(3, 2) - kBmpHeaderBytes, 0xEE);
  ASSERT_EQ(pixels.size(), 24U);
  WriteBmpPixels(picture, pixels);
  const std::vector<std::uint8_t> expected{
      12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,  // bottom row and 3 pad bytes
      3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,           // top row
  };
  EXPECT_EQ(pixels, expected);
}

}  // namespace
}  // namespace sonavue::output
