#include "output/BmpFile.h"

#include <algorithm>

namespace sonavue::output {
namespace {

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

int BmpRowPadding(int width) { return (4 - (3 * width) % 4) % 4; }

std::uint64_t BmpFileBytes(int width, int height) {
  const std::uint64_t row = 3ULL * static_cast<std::uint64_t>(width) + static_cast<std::uint64_t>(BmpRowPadding(width));
  return kBmpHeaderBytes + static_cast<std::uint64_t>(height) * row;
}

void WriteBmpHeader(std::span<std::uint8_t, kBmpHeaderBytes> header, int width, int height) {
  std::fill(header.begin(), header.end(), std::uint8_t{0});
  std::uint8_t* h = header.data();
  h[0] = 'B';
  h[1] = 'M';
  Put32(h + 2, static_cast<std::uint32_t>(BmpFileBytes(width, height)));
  Put32(h + 10, kBmpHeaderBytes);
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<std::uint32_t>(width));
  Put32(h + 22, static_cast<std::uint32_t>(height));
  Put16(h + 26, 1);
  Put16(h + 28, 24);
}

void WriteBmpPixels(const PixelView& picture, std::span<std::uint8_t> pixels) {
  const int pad = BmpRowPadding(picture.width);
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(pad);
  if (pixels.size() < rowBytes * static_cast<std::size_t>(picture.height)) return;
  std::uint8_t* out = pixels.data();
  for (int y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* in = picture.Row(y);
    for (int x = 0; x < picture.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    for (int i = 0; i < pad; ++i) *out++ = 0;
  }
}

}  // namespace sonavue::output
