#pragma once

#include <cstdint>
#include <vector>

namespace sonavue::platform {

class DisplayBitmap;

// The image as a PNG file (24-bit colour), through Qt's PNG writer. False
// when the image is empty or cannot be encoded; out is then empty.
bool EncodePng(const DisplayBitmap& image, std::vector<std::uint8_t>& out);

}  // namespace sonavue::platform
