#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Geometry.h"

class QPainter;

namespace sonavue::platform {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The program's colour table: every drawing names one of these entries by
// index (0 text, 1 frequency mark, 2 signal 2, 3 signal 1, 4 background,
// 5 to 235 the colour scale).
inline constexpr int kColorTableSize = 236;
using ColorTable = std::array<Rgb, kColorTableSize>;

// A font by family name and character height in pixels.
struct FontSpec {
  std::string family = "Arial";
  int pixelHeight = 12;
  int weight = 400;  // 400 normal, 700 bold
  bool operator==(const FontSpec&) const = default;
};

struct FontMetrics {
  int averageCharWidth = 0;
  int height = 0;
};

// Metrics of a font as text is drawn with it.
FontMetrics MeasureFont(const FontSpec& font);
int TextWidth(const FontSpec& font, const std::string& text);

// An off-screen 24-bit image, top row first, 3 bytes per pixel in the order
// red, green, blue. Sonogram pixels are written straight into Row(); lines,
// fills and text go through the drawing operations, which clip to the image.
// Colours are given as entries of a bound ColorTable or as plain RGB values.
// Display images are a whole number of 4-pixel groups wide, as the
// sonogram's 4-column scroll steps and the stored snapshot images assume.
inline constexpr int kImageWidthMultiple = 4;

// Takes the drawing operations of an image in place of its pixels, so that
// a vector file (SVG) can keep lines and text as lines and text. While one
// is bound to an image, FillRect, Line and Text go to it, unclipped, and
// leave the pixels as they are; everything else still draws pixels.
class DrawingRecorder {
 public:
  virtual ~DrawingRecorder() = default;
  virtual void FillRect(const Rect& rect, Rgb color) = 0;
  // A line including both end points, as DisplayBitmap::Line draws it.
  virtual void Line(Point from, Point to, Rgb color, int width) = 0;
  // Text with its top-left corner at origin and its baseline at y baseline.
  virtual void Text(Point origin, int baseline, const std::string& text, const FontSpec& font,
                    Rgb color) = 0;
};

// Sharp text on screens with more device pixels than pixels (a device
// pixel ratio above 1). While it is kept, every text drawn into an image is
// also remembered with the pixels it covered, and moves with the image's
// Blit and Scroll; PaintBitmap then draws it again at the screen's
// resolution wherever the image still holds exactly what the text left.
// The window turns it on when its screen needs it; images that are only
// saved or printed never use it.
void KeepSharpText(bool keep);
bool KeepsSharpText();
// At most this many texts are remembered per image: each new one first
// forgets those it was drawn over, then those the image no longer shows,
// then the oldest.
inline constexpr int kMaxSharpTexts = 256;

inline constexpr int RoundUpImageWidth(int width) {
  return (width + kImageWidthMultiple - 1) / kImageWidthMultiple * kImageWidthMultiple;
}

class DisplayBitmap {
 public:
  DisplayBitmap();
  ~DisplayBitmap();
  DisplayBitmap(DisplayBitmap&&) noexcept;
  DisplayBitmap& operator=(DisplayBitmap&&) noexcept;
  DisplayBitmap(const DisplayBitmap&) = delete;
  DisplayBitmap& operator=(const DisplayBitmap&) = delete;

  // Allocates a w × h image filled with black. Returns false (and holds no
  // image) when the memory cannot be had or a side is not positive.
  bool Allocate(int w, int h);
  void Release();
  bool IsNull() const;
  int Width() const;
  int Height() const;
  Size Dimensions() const { return {Width(), Height()}; }

  // Row y (0 = top); Stride() bytes apart. Valid until Allocate/Release.
  std::uint8_t* Row(int y);
  const std::uint8_t* Row(int y) const;
  std::size_t Stride() const;

  // Colour table used by the index-based operations; must outlive its use.
  void BindColors(const ColorTable* colors) { colors_ = colors; }
  Rgb Color(int index) const;

  // Sends the fills, lines and text to recorder (none: draws them again).
  // The recorder must outlive its use.
  void BindRecorder(DrawingRecorder* recorder) { recorder_ = recorder; }

  Rgb Pixel(int x, int y) const;
  void SetPixel(int x, int y, Rgb color);
  void SetPixelIndex(int x, int y, int index) { SetPixel(x, y, Color(index)); }

  void FillRect(const Rect& rect, Rgb color);
  void FillRectIndex(const Rect& rect, int index) { FillRect(rect, Color(index)); }
  // A line including both end points.
  void Line(Point from, Point to, Rgb color, int width = 1);
  void LineIndex(Point from, Point to, int index, int width = 1) {
    Line(from, to, Color(index), width);
  }
  // Text with its top-left corner at origin, transparent background.
  void Text(Point origin, const std::string& text, const FontSpec& font, Rgb color);
  void TextIndex(Point origin, const std::string& text, const FontSpec& font, int index) {
    Text(origin, text, font, Color(index));
  }
  // Inverts every colour inside rect.
  void Invert(const Rect& rect);
  // Moves the pixels inside area by (dx, dy); uncovered pixels keep their values.
  void Scroll(const Rect& area, int dx, int dy);
  // Copies source's srcRect with its top-left corner at destination.
  void Blit(Point destination, const DisplayBitmap& source, const Rect& srcRect);

  // The underlying QImage, for the painting adapters of the platform layer.
  void* NativeImage();
  const void* NativeImage() const;

  // Texts remembered for sharp painting (see KeepSharpText).
  int SharpTextCount() const;

  // Paints image with its top-left corner at the painter's origin, one image
  // pixel per logical pixel of the painter's device. Where the device has
  // more pixels than that, each image pixel fills a block of them (never
  // blurred) and the remembered texts are drawn at the device's resolution.
  friend void PaintBitmap(QPainter& painter, const DisplayBitmap& image);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  const ColorTable* colors_ = nullptr;
  DrawingRecorder* recorder_ = nullptr;
};

void PaintBitmap(QPainter& painter, const DisplayBitmap& image);

}  // namespace sonavue::platform
