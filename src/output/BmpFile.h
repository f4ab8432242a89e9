#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "output/PixelView.h"

namespace sonavue::output {

// The 24-bit BMP files of image export: a 14-byte file header, a 40-byte
// information header, four zero bytes, then the rows bottom row first, each
// pixel blue, green, red, each row padded with zeros to a multiple of 4
// bytes. All fields little-endian.
inline constexpr std::size_t kBmpHeaderBytes = 58;

// Zero bytes after each row of a picture width pixels wide:
// (4 − (3 × width mod 4)) mod 4.
int BmpRowPadding(int width);

// The whole file: 58 + height × (3 × width + padding) bytes.
std::uint64_t BmpFileBytes(int width, int height);

// The 58 header bytes: "BM", file size, 0, 0, pixel offset 58, header size
// 40, width, height (positive: bottom row first), planes 1, 24 bits per
// pixel, no compression, and zeros for the image size, both resolutions,
// the colour counts and the 4-byte gap.
void WriteBmpHeader(std::span<std::uint8_t, kBmpHeaderBytes> header, int width, int height);

// The pixel rows of picture as the file holds them; pixels must hold
// BmpFileBytes − 58 bytes.
void WriteBmpPixels(const PixelView& picture, std::span<std::uint8_t> pixels);

}  // namespace sonavue::output
