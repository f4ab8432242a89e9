// The working files of the snapshot stack, "bitmap<n>.dat" and "spl<n>.dat",
// read back for an entry: whatever the files hold (another size, a damaged
// or replaced file), the readers either refuse them or return a picture of
// exactly the entry's size and levels that are finite dB values.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engines/SnapshotFiles.h"

namespace {

// The folder of the two files, made once and removed when the run ends;
// its name is plain characters so that it outlives every destructor.
char folderName[4096];

void RemoveFolder() {
  std::error_code error;
  std::filesystem::remove_all(folderName, error);
}

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    // Two files are written per input: in memory (/dev/shm) where the
    // machine has it, a disk's temporary folder runs a hundred times slower.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    const std::string name = (base / "fuzz_snapshot_XXXXXX").string();
    if (name.size() >= sizeof folderName) std::abort();
    std::memcpy(folderName, name.c_str(), name.size() + 1);
    if (mkdtemp(folderName) == nullptr) std::abort();
    std::atexit(RemoveFolder);
    return std::filesystem::path(folderName);
  }();
  return folder;
}

void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::int32_t Int32(const std::uint8_t* p) {
  std::int32_t v = 0;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

// Bytes 0 … 15: the entry (width, height, columns, channels); bit 0 of byte
// 16 keeps them as they are, else they are folded into small pictures that
// the files can match; bytes 17 and 18 give the image file's length, the
// rest is the levels file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 19) return 0;
  int width = Int32(data);
  int height = Int32(data + 4);
  std::int64_t columns = Int32(data + 8);
  int channels = Int32(data + 12);
  if ((data[16] & 1) == 0) {
    width = 1 + static_cast<int>(static_cast<unsigned>(width) % 16);
    height = 1 + static_cast<int>(static_cast<unsigned>(height) % 16);
    columns = static_cast<std::int64_t>(static_cast<std::uint32_t>(columns) % 64);
    channels = static_cast<int>(static_cast<unsigned>(channels) % 4);
  }
  const std::uint8_t* rest = data + 19;
  const std::size_t restSize = size - 19;
  const std::size_t split = std::min(restSize, static_cast<std::size_t>(data[17] | (data[18] << 8)));
  const std::filesystem::path image = Folder() / "bitmap1.dat";
  const std::filesystem::path levelsPath = Folder() / "spl1.dat";
  WriteFile(image, rest, split);
  WriteFile(levelsPath, rest + split, restSize - split);

  std::vector<std::uint8_t> pixels;
  int rowsSeen = 0;
  const bool imageRead = sonavue::engines::ReadSnapshotImage(image, width, height, [&](int y) -> std::uint8_t* {
    if (y < 0 || y >= height) std::abort();
    if (pixels.empty()) pixels.resize(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
    ++rowsSeen;
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  });
  if (imageRead && (rowsSeen != height || split != pixels.size())) std::abort();

  std::array<std::vector<float>, 2> levels;
  if (sonavue::engines::ReadSnapshotLevels(levelsPath, columns, channels, levels)) {
    if (channels < 1 || channels > 2) std::abort();
    for (int c = 0; c < channels; ++c) {
      if (levels[static_cast<std::size_t>(c)].size() != static_cast<std::size_t>(columns)) std::abort();
      for (const float v : levels[static_cast<std::size_t>(c)]) {
        if (!std::isfinite(v)) std::abort();
      }
    }
  }
  return 0;
}
