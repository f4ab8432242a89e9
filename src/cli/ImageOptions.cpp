#include "cli/ImageOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "context/ImageSettings.h"

namespace sonavue::cli {
namespace {

constexpr int kSmallestWindow = 320;
constexpr int kLargestWindow = 8000;

bool ReadInteger(const std::string& text, int lowest, int highest, int& value) {
  double v = 0.0;
  if (!ParseNumber(text, v) || v != std::floor(v) || v < lowest || v > highest) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

OptionRead ReadImageOption(Arguments& in, const std::string& name, ImageOptions& o) {
  if (name != "--window" && name != "--width" && name != "--height" && name != "--quality" && name != "--dpi") {
    return OptionRead::NotMine;
  }
  const auto text = in.Value(name);
  if (!text) return OptionRead::Bad;
  int value = 0;
  if (name == "--window") {
    const auto x = text->find('x');
    int w = 0;
    int h = 0;
    if (x == std::string::npos || !ReadInteger(text->substr(0, x), kSmallestWindow, kLargestWindow, w) ||
        !ReadInteger(text->substr(x + 1), kSmallestWindow / 4 * 3, kLargestWindow, h)) {
      in.BadValue(name, *text);
      return OptionRead::Bad;
    }
    o.windowWidth = w;
    o.windowHeight = h;
  } else if (name == "--width" && ReadInteger(*text, 1, app::kMaxImageWidth, value)) {
    o.width = value;
  } else if (name == "--height" && ReadInteger(*text, 1, 1000000, value)) {
    o.height = value;
  } else if (name == "--quality" && ReadInteger(*text, app::kQualityLowest, app::kQualityHighest, value)) {
    o.quality = value;
  } else if (name == "--dpi" && ReadInteger(*text, app::kDotsPerInchLowest, app::kDotsPerInchHighest, value)) {
    o.dpi = value;
  } else {
    in.BadValue(name, *text);
    return OptionRead::Bad;
  }
  return OptionRead::Taken;
}

bool IsPngName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".png";
}

bool IsSvgName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".svg";
}

std::optional<bool> IsJpegName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".jpg" || extension == ".jpeg") return true;
  if (extension == ".bmp") return false;
  return std::nullopt;
}

}  // namespace sonavue::cli
