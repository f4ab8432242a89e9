#include "engines/SnapshotFiles.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <limits>
#include <new>
#include <optional>
#include <system_error>

namespace sonavue::engines {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the snapshot files hold little-endian floats as they are in memory");

// Column levels are dB of 16-bit samples (the SPL factor adds at most 60 dB):
// anything far outside is not a level this program wrote.
constexpr float kLevelLimitDb = 1000.0F;
constexpr int kBytesPerPixel = 3;

// The file's size, or nullopt when it is missing or not a regular file.
std::optional<std::uintmax_t> RegularFileSize(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

}  // namespace

bool ReadSnapshotImage(const std::filesystem::path& path, int width, int height,
                       const std::function<std::uint8_t*(int y)>& row) {
  if (width <= 0 || height <= 0) return false;
  const std::uintmax_t rowBytes = static_cast<std::uintmax_t>(width) * kBytesPerPixel;
  const auto size = RegularFileSize(path);
  if (!size || *size != rowBytes * static_cast<std::uintmax_t>(height)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<char> line;
  try {
    line.resize(static_cast<std::size_t>(rowBytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = height - 1; y >= 0; --y) {
    if (!file.read(line.data(), static_cast<std::streamsize>(rowBytes))) return false;
    std::uint8_t* rgb = row(y);
    if (rgb == nullptr) return false;
    for (int x = 0; x < width; ++x) {
      const std::size_t i = static_cast<std::size_t>(x) * kBytesPerPixel;
      rgb[i] = static_cast<std::uint8_t>(line[i + 2]);
      rgb[i + 1] = static_cast<std::uint8_t>(line[i + 1]);
      rgb[i + 2] = static_cast<std::uint8_t>(line[i]);
    }
  }
  return true;
}

bool ReadSnapshotLevels(const std::filesystem::path& path, std::int64_t columns, int channels,
                        std::array<std::vector<float>, 2>& levels) {
  if (columns < 0 || channels < 1 || channels > 2) return false;
  // A column count no file can hold is refused before any arithmetic on it.
  if (static_cast<std::uint64_t>(columns) > std::numeric_limits<std::uint64_t>::max() / sizeof(float) / 2) {
    return false;
  }
  const std::uintmax_t perChannel = static_cast<std::uintmax_t>(columns) * sizeof(float);
  const auto size = RegularFileSize(path);
  if (!size || *size != perChannel * static_cast<std::uintmax_t>(channels)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  for (int c = 0; c < channels; ++c) {
    std::vector<float>& values = levels[static_cast<std::size_t>(c)];
    try {
      values.resize(static_cast<std::size_t>(columns));
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (!file.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(perChannel))) return false;
    const bool sane = std::all_of(values.begin(), values.end(),
                                  [](float v) { return std::isfinite(v) && std::fabs(v) <= kLevelLimitDb; });
    if (!sane) return false;
  }
  return true;
}

}  // namespace sonavue::engines
