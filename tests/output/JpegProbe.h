#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonavue::testing {

// What the headers of a JPEG file say, read marker by marker.
struct JpegHeaders {
  bool jfif = false;
  int densityUnit = -1;
  int xDensity = 0;
  int yDensity = 0;
  bool baseline = false;  // a baseline frame (SOF0)
  int width = 0;
  int height = 0;
  int components = 0;
};

inline JpegHeaders ProbeJpeg(const std::vector<std::uint8_t>& bytes) {
  JpegHeaders h;
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return h;
  std::size_t i = 2;
  const auto u16 = [&](std::size_t at) { return (bytes[at] << 8) | bytes[at + 1]; };
  while (i + 4 <= bytes.size() && bytes[i] == 0xFF) {
    const int marker = bytes[i + 1];
    const std::size_t length = static_cast<std::size_t>(u16(i + 2));
    if (i + 2 + length > bytes.size()) break;
    const std::size_t body = i + 4;
    if (marker == 0xE0 && length >= 14 && bytes[body] == 'J' && bytes[body + 1] == 'F' &&
        bytes[body + 2] == 'I' && bytes[body + 3] == 'F' && bytes[body + 4] == 0) {
      h.jfif = true;
      h.densityUnit = bytes[body + 7];
      h.xDensity = u16(body + 8);
      h.yDensity = u16(body + 10);
    } else if (marker >= 0xC0 && marker <= 0xC2) {
      h.baseline = marker == 0xC0;
      h.height = u16(body + 1);
      h.width = u16(body + 3);
      h.components = bytes[body + 5];
    } else if (marker == 0xDA) {
      break;  // the compressed data follows
    }
    i += 2 + length;
  }
  return h;
}

}  // namespace sonavue::testing
