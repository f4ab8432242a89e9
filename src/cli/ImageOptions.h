#pragma once

#include <optional>
#include <string>

#include "cli/Arguments.h"

namespace sonavue::cli {

// The options of the commands that save images through the window: its
// size and the answers to the "Image Characteristics" dialog.
struct ImageOptions {
  int windowWidth = 1200;
  int windowHeight = 800;
  std::optional<int> width;    // output width, pixels
  std::optional<int> height;   // output height, pixels (when no width is given)
  std::optional<int> quality;  // JPEG quality
  std::optional<int> dpi;      // JPEG density in dots per inch
};

inline constexpr const char* kImageOptionsUsage =
    "[--window WxH] [--width W] [--height H] [--quality Q] [--dpi D]";

// Reads the option name (already taken from in) and its value when it is
// one of these.
OptionRead ReadImageOption(Arguments& in, const std::string& name, ImageOptions& o);

// Whether a file name ends in ".jpg" or ".jpeg" (true), ".bmp" (false), or
// neither (nothing), in any letter case.
std::optional<bool> IsJpegName(const std::string& name);
// Whether a file name ends in ".png", in any letter case.
bool IsPngName(const std::string& name);
// Whether a file name ends in ".svg", in any letter case.
bool IsSvgName(const std::string& name);

}  // namespace sonavue::cli
