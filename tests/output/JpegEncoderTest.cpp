#include "output/JpegEncoder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <vector>

#include "JpegProbe.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ProbeJpeg;

// A w × h picture in four quadrants: red, green, blue and grey.
std::vector<std::uint8_t> Quadrants(int w, int h) {
  std::vector<std::uint8_t> rgb(3 * static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &rgb[3 * (static_cast<std::size_t>(y) * w + x)];
      const bool right = x >= w / 2;
      const bool lower = y >= h / 2;
      if (!right && !lower) { p[0] = 220; p[1] = 20; p[2] = 20; }
      if (right && !lower) { p[0] = 20; p[1] = 200; p[2] = 30; }
      if (!right && lower) { p[0] = 10; p[1] = 30; p[2] = 230; }
      if (right && lower) { p[0] = 128; p[1] = 128; p[2] = 128; }
    }
  }
  return rgb;
}

PixelView ViewOf(const std::vector<std::uint8_t>& rgb, int w, int h) {
  return {rgb.data(), 3 * static_cast<std::size_t>(w), w, h};
}

void ExpectNear(QRgb pixel, int r, int g, int b) {
  EXPECT_NEAR(qRed(pixel), r, 8);
  EXPECT_NEAR(qGreen(pixel), g, 8);
  EXPECT_NEAR(qBlue(pixel), b, 8);
}

TEST(JpegEncoderTest, APictureDecodesToItsSizeAndColours) {
  const auto rgb = Quadrants(64, 48);
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(ViewOf(rgb, 64, 48), {90, {}}, jpeg), JpegStatus::Ok);
  const auto headers = ProbeJpeg(jpeg);
  EXPECT_TRUE(headers.jfif);
  EXPECT_TRUE(headers.baseline);
  EXPECT_EQ(headers.components, 3);
  QImage decoded;
  ASSERT_TRUE(decoded.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPEG"));
  EXPECT_EQ(decoded.width(), 64);
  EXPECT_EQ(decoded.height(), 48);
  ExpectNear(decoded.pixel(10, 10), 220, 20, 20);
  ExpectNear(decoded.pixel(50, 10), 20, 200, 30);
  ExpectNear(decoded.pixel(10, 40), 10, 30, 230);
  ExpectNear(decoded.pixel(50, 40), 128, 128, 128);
}

TEST(JpegEncoderTest, TheDensityFollowsTheDimensionUnit) {
  app::ImageSettings s;
  s.unitId = app::ID_UNIT_INCHES;
  s.dotsPerInch = 300;
  EXPECT_EQ(DensityOf(s).unit, 1);
  EXPECT_EQ(DensityOf(s).dotsPerInch, 300);
  // 120 dots per centimetre are 304.8 per inch.
  s.unitId = app::ID_UNIT_CENTIMETERS;
  s.dotsPerCm = 120;
  EXPECT_EQ(DensityOf(s).unit, 1);
  EXPECT_EQ(DensityOf(s).dotsPerInch, 305);
  s.dotsPerCm = 500;
  EXPECT_EQ(DensityOf(s).dotsPerInch, 1270);
  s.unitId = app::ID_UNIT_PIXELS;
  EXPECT_EQ(DensityOf(s).unit, 0);
}

TEST(JpegEncoderTest, TheFileCarriesTheDensity) {
  const auto rgb = Quadrants(16, 16);
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(ViewOf(rgb, 16, 16), {90, {1, 305}}, jpeg), JpegStatus::Ok);
  auto headers = ProbeJpeg(jpeg);
  EXPECT_EQ(headers.densityUnit, 1);
  EXPECT_EQ(headers.xDensity, 305);
  EXPECT_EQ(headers.yDensity, 305);
  // Without a unit the library's own: no unit, aspect 1:1.
  ASSERT_EQ(EncodeJpeg(ViewOf(rgb, 16, 16), {90, {}}, jpeg), JpegStatus::Ok);
  headers = ProbeJpeg(jpeg);
  EXPECT_EQ(headers.densityUnit, 0);
  EXPECT_EQ(headers.xDensity, 1);
  EXPECT_EQ(headers.yDensity, 1);
}

TEST(JpegEncoderTest, ALowerQualityMakesASmallerFile) {
  std::vector<std::uint8_t> noise(3 * 200 * 100);
  std::uint32_t state = 99;
  for (auto& b : noise) {
    state = state * 1664525U + 1013904223U;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  std::vector<std::uint8_t> low;
  std::vector<std::uint8_t> high;
  ASSERT_EQ(EncodeJpeg(ViewOf(noise, 200, 100), {25, {}}, low), JpegStatus::Ok);
  ASSERT_EQ(EncodeJpeg(ViewOf(noise, 200, 100), {100, {}}, high), JpegStatus::Ok);
  EXPECT_LT(low.size() * 2, high.size());
}

TEST(JpegEncoderTest, ACompressedImageLargerThanItsMemoryStopsWithNoMemory) {
  std::vector<std::uint8_t> noise(3 * 256 * 256);
  std::uint32_t state = 5;
  for (auto& b : noise) {
    state = state * 1664525U + 1013904223U;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  // Several working buffers of output.
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(ViewOf(noise, 256, 256), {100, {}}, jpeg), JpegStatus::Ok);
  EXPECT_GT(jpeg.size(), 4096U * 4);
  const std::size_t whole = jpeg.size();
  EXPECT_EQ(EncodeJpeg(ViewOf(noise, 256, 256), {100, {}}, jpeg, whole - 1), JpegStatus::NoMemory);
  EXPECT_TRUE(jpeg.empty());
  EXPECT_EQ(EncodeJpeg(ViewOf(noise, 256, 256), {100, {}}, jpeg, 100), JpegStatus::NoMemory);
  // Exactly enough is enough.
  EXPECT_EQ(EncodeJpeg(ViewOf(noise, 256, 256), {100, {}}, jpeg, whole), JpegStatus::Ok);
  EXPECT_EQ(jpeg.size(), whole);
}

TEST(JpegEncoderTest, ACompressedImageLargerThanItsPixelsIsWrittenWhole) {
  // Headers and tables alone outweigh the 48 bytes of a 4 × 4 picture.
  const auto rgb = Quadrants(4, 4);
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(EncodeJpeg(ViewOf(rgb, 4, 4), {90, {}}, jpeg), JpegStatus::Ok);
  EXPECT_GT(jpeg.size(), 4U * 4U * 3U);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);  // end of image
  QImage decoded;
  ASSERT_TRUE(decoded.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPEG"));
  EXPECT_EQ(decoded.size(), QSize(4, 4));
}

TEST(JpegEncoderTest, APictureWiderThanTheFormatAllowsIsRefused) {
  std::vector<std::uint8_t> row(3 * 70000, 90);
  std::vector<std::uint8_t> jpeg;
  EXPECT_EQ(EncodeJpeg(ViewOf(row, 70000, 1), {90, {}}, jpeg), JpegStatus::Failed);
  EXPECT_TRUE(jpeg.empty());
}

}  // namespace
}  // namespace sonavue::output
