#include "render/Recolor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace sonavue::render {
namespace {

std::uint32_t Key(platform::Rgb c) {
  return (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
}

}  // namespace

bool RecolorIsExact(const platform::ColorTable& from, const platform::ColorTable& to) {
  for (std::size_t i = 0; i < from.size(); ++i) {
    for (std::size_t j = i + 1; j < from.size(); ++j) {
      if (from[i] == from[j] && !(to[i] == to[j])) return false;
    }
  }
  return true;
}

bool RecolorImage(platform::DisplayBitmap& image, const platform::ColorTable& from,
                  const platform::ColorTable& to) {
  const bool exact = RecolorIsExact(from, to);
  if (image.IsNull() || from == to) return exact;

  // The old colours sorted by value; the lowest entry of a repeated colour
  // comes first, so it is the one found.
  std::array<std::pair<std::uint32_t, platform::Rgb>, platform::kColorTableSize> map;
  std::array<std::size_t, platform::kColorTableSize> order{};
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return Key(from[a]) < Key(from[b]); });
  for (std::size_t i = 0; i < order.size(); ++i) map[i] = {Key(from[order[i]]), to[order[i]]};

  const int width = image.Width();
  for (int y = 0; y < image.Height(); ++y) {
    std::uint8_t* p = image.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const std::uint32_t key = (static_cast<std::uint32_t>(p[0]) << 16) |
                                (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
      const auto it = std::lower_bound(map.begin(), map.end(), key,
                                       [](const auto& entry, std::uint32_t k) { return entry.first < k; });
      if (it == map.end() || it->first != key) continue;
      p[0] = it->second.r;
      p[1] = it->second.g;
      p[2] = it->second.b;
    }
  }
  return exact;
}

}  // namespace sonavue::render
