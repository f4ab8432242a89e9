// Painting an image on a screen with two device pixels per pixel: the
// image's pixels become solid 2 × 2 blocks, never blurred, while the texts
// drawn into it come out at the screen's resolution, move with the image,
// and are never drawn over pixels that have since changed.

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/DisplayBitmap.h"

namespace sonavue::platform {
namespace {

constexpr Rgb kBackground{30, 30, 40};
constexpr Rgb kLabel{200, 200, 200};
const FontSpec kFont{"DejaVu Sans", 12, 400};

class SharpTextTest : public ::testing::Test {
 protected:
  void SetUp() override { KeepSharpText(true); }
  void TearDown() override { KeepSharpText(false); }

  static DisplayBitmap Picture(int w, int h) {
    DisplayBitmap bitmap;
    EXPECT_TRUE(bitmap.Allocate(w, h));
    bitmap.FillRect({0, 0, w, h}, kBackground);
    return bitmap;
  }

  // A sonogram-like patch written straight into row memory: every pixel
  // differs from its neighbours.
  static void WriteColumns(DisplayBitmap& bitmap, const Rect& area) {
    for (int y = area.y; y < area.y + area.h; ++y) {
      std::uint8_t* row = bitmap.Row(y);
      for (int x = area.x; x < area.x + area.w; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(7 * x + 3 * y);
        row[3 * x + 1] = static_cast<std::uint8_t>(11 * y);
        row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
      }
    }
  }

  static QImage Paint(const DisplayBitmap& bitmap, int ratio) {
    QImage device(ratio * bitmap.Width(), ratio * bitmap.Height(), QImage::Format_RGB32);
    device.setDevicePixelRatio(ratio);
    device.fill(Qt::magenta);
    QPainter painter(&device);
    PaintBitmap(painter, bitmap);
    return device;
  }

  // Device pixels (of a ratio-2 painting) inside area, in pixels of the
  // image, that differ from the image's pixel they cover.
  static int OffBlockPixels(const QImage& device, const DisplayBitmap& bitmap, const Rect& area) {
    int off = 0;
    for (int y = 2 * area.y; y < 2 * (area.y + area.h); ++y) {
      for (int x = 2 * area.x; x < 2 * (area.x + area.w); ++x) {
        const Rgb want = bitmap.Pixel(x / 2, y / 2);
        if (device.pixel(x, y) != qRgb(want.r, want.g, want.b)) ++off;
      }
    }
    return off;
  }
};

TEST_F(SharpTextTest, TextIsDrawnAtTheScreensResolutionAndEverythingElseAsSolidBlocks) {
  DisplayBitmap picture = Picture(160, 40);
  WriteColumns(picture, {80, 0, 80, 40});
  picture.Line({0, 30}, {79, 30}, kLabel);
  picture.Text({4, 6}, "10 kHz", kFont, kLabel);
  ASSERT_EQ(picture.SharpTextCount(), 1);

  const QImage device = Paint(picture, 2);
  // The sonogram and the line: each pixel a 2 × 2 block of its own colour.
  EXPECT_EQ(OffBlockPixels(device, picture, {80, 0, 80, 40}), 0);
  EXPECT_EQ(OffBlockPixels(device, picture, {0, 28, 80, 12}), 0);
  // The label: drawn again finer than the image's pixels, so it cannot be
  // made of the image's blocks.
  EXPECT_GT(OffBlockPixels(device, picture, {0, 0, 80, 26}), 20);

  // At one device pixel per pixel the painting is the image itself.
  const QImage plain = Paint(picture, 1);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const Rgb want = picture.Pixel(x, y);
      ASSERT_EQ(plain.pixel(x, y), qRgb(want.r, want.g, want.b)) << x << "," << y;
    }
  }
}

TEST_F(SharpTextTest, KeepingTextsLeavesTheImagesPixelsAsTheyWere) {
  DisplayBitmap kept = Picture(120, 30);
  kept.Text({3, 4}, "Time (msec) : 01234", kFont, kLabel);
  KeepSharpText(false);
  DisplayBitmap plain = Picture(120, 30);
  plain.Text({3, 4}, "Time (msec) : 01234", kFont, kLabel);
  EXPECT_EQ(plain.SharpTextCount(), 0);
  for (int y = 0; y < 30; ++y) {
    ASSERT_EQ(std::memcmp(kept.Row(y), plain.Row(y), 3 * 120), 0) << "row " << y;
  }
}

TEST_F(SharpTextTest, TextThatTheImageNoLongerShowsIsNeverDrawnAgain) {
  // Painted over by a fill, by sonogram columns written into row memory,
  // by an inversion and by other text: each time the painting shows the
  // image's own pixels, not the old label.
  const auto overwrites = std::to_array<void (*)(DisplayBitmap&)>({
      [](DisplayBitmap& b) { b.FillRect({0, 0, 60, 12}, kBackground); },
      [](DisplayBitmap& b) { WriteColumns(b, {10, 0, 3, 30}); },
      [](DisplayBitmap& b) { b.Invert({0, 0, 100, 30}); },
      [](DisplayBitmap& b) { b.SetPixel(12, 10, {255, 0, 0}); },
  });
  for (std::size_t i = 0; i < overwrites.size(); ++i) {
    DisplayBitmap picture = Picture(100, 30);
    picture.Text({2, 2}, "8 kHz", kFont, kLabel);
    ASSERT_GT(OffBlockPixels(Paint(picture, 2), picture, {0, 0, 100, 30}), 0) << "case " << i;
    overwrites[i](picture);
    EXPECT_EQ(OffBlockPixels(Paint(picture, 2), picture, {0, 0, 100, 30}), 0) << "case " << i;
  }

  // A readout drawn again in place: only the newest value is remembered.
  DisplayBitmap readout = Picture(100, 30);
  for (int value = 0; value < 50; ++value) {
    readout.FillRect({0, 0, 100, 30}, kBackground);
    readout.Text({2, 2}, std::to_string(10000 + value), kFont, kLabel);
  }
  EXPECT_EQ(readout.SharpTextCount(), 1);
}

TEST_F(SharpTextTest, TextsMoveWithBlitAndScroll) {
  // The display image with its axis label, shown in the window's surface.
  DisplayBitmap display = Picture(120, 60);
  WriteColumns(display, {40, 0, 80, 60});
  display.Text({2, 40}, "0 sec", kFont, kLabel);
  DisplayBitmap surface = Picture(200, 100);
  surface.Blit({30, 20}, display, {0, 0, 120, 60});
  ASSERT_EQ(surface.SharpTextCount(), 1);
  QImage device = Paint(surface, 2);
  EXPECT_GT(OffBlockPixels(device, surface, {30, 55, 40, 25}), 20);
  EXPECT_EQ(OffBlockPixels(device, surface, {70, 0, 130, 100}), 0);
  EXPECT_EQ(OffBlockPixels(device, surface, {0, 0, 30, 100}), 0);

  // Scrolled left inside the surface, the label stays sharp where it went.
  surface.Scroll({0, 0, 200, 100}, -20, 0);
  device = Paint(surface, 2);
  EXPECT_GT(OffBlockPixels(device, surface, {10, 55, 40, 25}), 20);
  EXPECT_EQ(OffBlockPixels(device, surface, {50, 0, 150, 100}), 0);
  // Scrolled out of the area, it is forgotten.
  surface.Scroll({0, 0, 200, 100}, -60, 0);
  EXPECT_EQ(surface.SharpTextCount(), 0);
  EXPECT_EQ(OffBlockPixels(Paint(surface, 2), surface, {0, 0, 200, 100}), 0);
}

TEST_F(SharpTextTest, RemembersABoundedNumberOfTextsNewestFirst) {
  DisplayBitmap picture = Picture(400, 400);
  for (int i = 0; i < 4 * kMaxSharpTexts; ++i) {
    picture.Text({(i % 10) * 40, ((i / 10) % 25) * 16}, std::to_string(i % 100), kFont, kLabel);
  }
  EXPECT_LE(picture.SharpTextCount(), kMaxSharpTexts);
  EXPECT_GT(picture.SharpTextCount(), 0);
  // The last text drawn is among those kept: it is sharp.
  const int last = 4 * kMaxSharpTexts - 1;
  const Rect where{(last % 10) * 40, ((last / 10) % 25) * 16, 40, 16};
  EXPECT_GT(OffBlockPixels(Paint(picture, 2), picture, where), 0);
  picture.Release();
  EXPECT_EQ(picture.SharpTextCount(), 0);
}

}  // namespace
}  // namespace sonavue::platform
