#include "platform/DisplayBitmap.h"

#include <gtest/gtest.h>

namespace sonavue::platform {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlack{0, 0, 0};

class DisplayBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    colors_[4] = {1, 2, 3};
    colors_[200] = {200, 100, 50};
    ASSERT_TRUE(bitmap_.Allocate(16, 8));
    bitmap_.BindColors(&colors_);
  }
  ColorTable colors_{};
  DisplayBitmap bitmap_;
};

TEST_F(DisplayBitmapTest, RefusesEmptySizesAndStartsBlack) {
  DisplayBitmap empty;
  EXPECT_TRUE(empty.IsNull());
  EXPECT_FALSE(empty.Allocate(0, 10));
  EXPECT_FALSE(empty.Allocate(10, -1));
  EXPECT_TRUE(empty.IsNull());
  EXPECT_EQ(bitmap_.Pixel(15, 7), kBlack);
}

TEST_F(DisplayBitmapTest, PaletteIndexPixelsLandInRowMemoryAsRgbBytes) {
  bitmap_.SetPixelIndex(5, 3, 200);
  const std::uint8_t* p = bitmap_.Row(3) + 3 * 5;
  EXPECT_EQ(p[0], 200);
  EXPECT_EQ(p[1], 100);
  EXPECT_EQ(p[2], 50);
  EXPECT_GE(bitmap_.Stride(), 16U * 3U);
  // Outside the table or the image nothing breaks.
  bitmap_.SetPixelIndex(-1, 0, 200);
  bitmap_.SetPixelIndex(0, 8, 200);
  EXPECT_EQ(bitmap_.Color(500), kBlack);
}

TEST_F(DisplayBitmapTest, FillsAndLinesAreClippedToTheImage) {
  bitmap_.FillRectIndex({-4, -4, 8, 8}, 4);
  EXPECT_EQ(bitmap_.Pixel(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(bitmap_.Pixel(3, 3), (Rgb{1, 2, 3}));
  EXPECT_EQ(bitmap_.Pixel(4, 4), kBlack);
  bitmap_.Line({-10, 6}, {100, 6}, kRed);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(bitmap_.Pixel(x, 6), kRed);
  EXPECT_EQ(bitmap_.Pixel(5, 5), kBlack);
  bitmap_.Line({2, 0}, {2, 7}, kGreen);
  EXPECT_EQ(bitmap_.Pixel(2, 7), kGreen);
  EXPECT_EQ(bitmap_.Pixel(3, 7), kBlack);
}

TEST_F(DisplayBitmapTest, ScrollMovesColumnsLeftAndKeepsTheUncoveredStrip) {
  for (int x = 0; x < 16; ++x) bitmap_.SetPixel(x, 2, {static_cast<std::uint8_t>(x), 0, 0});
  bitmap_.Scroll({0, 0, 16, 8}, -4, 0);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(bitmap_.Pixel(x, 2).r, x + 4) << "x=" << x;
  // The last four columns keep what they held.
  for (int x = 12; x < 16; ++x) EXPECT_EQ(bitmap_.Pixel(x, 2).r, x);
}

TEST_F(DisplayBitmapTest, ScrollDownKeepsRowOrder) {
  for (int y = 0; y < 8; ++y) bitmap_.SetPixel(1, y, {0, static_cast<std::uint8_t>(y), 0});
  bitmap_.Scroll({0, 0, 16, 8}, 0, 2);
  for (int y = 2; y < 8; ++y) EXPECT_EQ(bitmap_.Pixel(1, y).g, y - 2);
}

TEST_F(DisplayBitmapTest, BlitClipsSourceAndDestination) {
  DisplayBitmap source;
  ASSERT_TRUE(source.Allocate(4, 4));
  source.FillRect({0, 0, 4, 4}, kGreen);
  source.SetPixel(3, 3, kRed);
  bitmap_.Blit({-2, -2}, source, {0, 0, 4, 4});
  EXPECT_EQ(bitmap_.Pixel(0, 0), kGreen);
  EXPECT_EQ(bitmap_.Pixel(1, 1), kRed);
  EXPECT_EQ(bitmap_.Pixel(2, 2), kBlack);
  bitmap_.Blit({14, 6}, source, {2, 2, 10, 10});
  EXPECT_EQ(bitmap_.Pixel(15, 7), kRed);
}

TEST_F(DisplayBitmapTest, InvertTwiceRestoresAndTextLeavesInk) {
  bitmap_.FillRect({0, 0, 16, 8}, {10, 20, 30});
  bitmap_.Invert({0, 0, 8, 8});
  EXPECT_EQ(bitmap_.Pixel(0, 0), (Rgb{245, 235, 225}));
  EXPECT_EQ(bitmap_.Pixel(8, 0), (Rgb{10, 20, 30}));
  bitmap_.Invert({0, 0, 8, 8});
  EXPECT_EQ(bitmap_.Pixel(0, 0), (Rgb{10, 20, 30}));

  DisplayBitmap text;
  ASSERT_TRUE(text.Allocate(60, 20));
  text.Text({0, 0}, "Hz", {"Arial", 14, 400}, {255, 255, 255});
  int ink = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 60; ++x) ink += text.Pixel(x, y).r > 128 ? 1 : 0;
  }
  EXPECT_GT(ink, 10);
  EXPECT_GT(TextWidth({"Arial", 14, 400}, "Frequency"), TextWidth({"Arial", 14, 400}, "Hz"));
}

}  // namespace
}  // namespace sonavue::platform
