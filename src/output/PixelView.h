#pragma once

#include <cstddef>
#include <cstdint>

namespace sonavue::output {

// A 24-bit picture in memory, borrowed: rows of 3-byte pixels (red, green,
// blue), top row first, stride bytes apart.
struct PixelView {
  const std::uint8_t* data = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;

  const std::uint8_t* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
};

// The same for a picture that is written.
struct MutablePixelView {
  std::uint8_t* data = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;

  std::uint8_t* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
  operator PixelView() const { return {data, stride, width, height}; }
};

}  // namespace sonavue::output
