#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "context/ImageSettings.h"
#include "output/PixelView.h"

namespace sonavue::output {

// The density a JPEG file carries: unit 1 is dots per inch; unit 0 leaves
// the library's default (no physical size).
struct JpegDensity {
  int unit = 0;
  int dotsPerInch = 0;
};

// The density of the image settings: "Inches" gives the dots-per-inch
// setting, "Centimeters" round(dots per centimetre × 2.54) dots per inch
// (120 → 305), "Pixels" the library's default.
JpegDensity DensityOf(const app::ImageSettings& settings);

struct JpegOptions {
  int quality = 90;  // 1 … 100; baseline tables are forced
  JpegDensity density;
};

enum class JpegStatus {
  Ok,
  NoMemory,  // the compressed image outgrew the memory it may take
  Failed,    // the library refused the picture (a side beyond its limits)
};

// Compresses an RGB picture (top row first) through the version 62
// interface of libjpeg into out: three components, RGB input, the library's
// defaults, then the quality and the density. The library writes through a
// 4096-byte working buffer that is appended to out whenever it fills; out
// grows as needed but never beyond maxBytes, past which the compression
// stops with NoMemory. out holds exactly the compressed bytes on Ok.
JpegStatus EncodeJpeg(const PixelView& picture, const JpegOptions& options, std::vector<std::uint8_t>& out,
                      std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

}  // namespace sonavue::output
