#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace sonavue::engines {

// The two working files of a snapshot entry, read back. Pure: standard
// library only, so that the readers can be fuzzed on their own.

// "bitmap<n>.dat": width × height pixels, 3 bytes each (blue, green, red),
// bottom row first, no header. row(y) gives the memory of picture row y
// (top row 0), width × 3 bytes, which receives red, green, blue; it is
// called only once the file is known to be of the right size, and may
// return nullptr (no memory) to end the read. False when the size is not
// positive, the file is missing, is not exactly that long, cannot be read
// whole or row gave no memory (row may then have been called for some rows).
bool ReadSnapshotImage(const std::filesystem::path& path, int width, int height,
                       const std::function<std::uint8_t*(int y)>& row);

// "spl<n>.dat": one 32-bit float per column for the left (or only) channel,
// then as many for the right channel of a stereo picture. False when the
// file is missing, not exactly that long, cannot be read whole, or holds a
// value that is not a finite dB level (|level| ≤ 1000).
bool ReadSnapshotLevels(const std::filesystem::path& path, std::int64_t columns, int channels,
                        std::array<std::vector<float>, 2>& levels);

}  // namespace sonavue::engines
