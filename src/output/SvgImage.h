#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/DisplayBitmap.h"

namespace sonavue::output {

// An exported picture as an SVG file: the raster part (the sonogram, or
// whatever was drawn as pixels) as one embedded PNG image that viewers scale
// by nearest neighbour, and over it the fills, lines and text recorded while
// the axes, grid, scope and legend were drawn, as <rect>, <line> and <text>
// elements in the order they were drawn.
class SvgDrawing final : public platform::DrawingRecorder {
 public:
  void FillRect(const platform::Rect& rect, platform::Rgb color) override;
  void Line(platform::Point from, platform::Point to, platform::Rgb color, int width) override;
  void Text(platform::Point origin, int baseline, const std::string& text, const platform::FontSpec& font,
            platform::Rgb color) override;

  // The whole document for a picture width × height pixels whose raster
  // part is the PNG file png.
  std::string Document(int width, int height, std::span<const std::uint8_t> png) const;

 private:
  std::string elements_;
};

// text with &, <, >, " and ' written as XML entities; control characters
// that XML cannot hold are left out.
std::string EscapeXml(std::string_view text);

// bytes in base64 (RFC 4648, with padding, no line breaks).
std::string Base64(std::span<const std::uint8_t> bytes);

}  // namespace sonavue::output
