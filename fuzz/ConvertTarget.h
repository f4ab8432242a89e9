#pragma once

// One conversion of a fuzzed file into a temporary folder: whatever the
// input, the conversion either writes a whole readable file or fails and
// leaves nothing behind.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/WaveConversion.h"

namespace sonavue::fuzz {

using Converter = bool (*)(const std::filesystem::path&, const std::filesystem::path&);

inline int RunConversion(Converter convert, const std::uint8_t* data, std::size_t size) {
  using namespace sonavue::audio;
  namespace fs = std::filesystem;
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("sonavue-fuzz-convert-" + std::to_string(getpid()));
    fs::create_directories(p);
    return p;
  }();
  const fs::path source = folder / "in.wav";
  const fs::path target = folder / "mod.wav";
  if (FILE* file = std::fopen(source.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  std::error_code error;
  fs::remove(target, error);
  if (convert(source, target)) {
    WaveFileInfo info;
    ChunkLayout layout;
    // The conversion's own output reads back, and its data chunk is exactly
    // what follows the header.
    if (ReadHeaderBlock(target, info, layout) != WaveError::None) std::abort();
    if (info.firstSampleOffset != kWorkingHeaderBytes ||
        fs::file_size(target) != kWorkingHeaderBytes + std::uint64_t{info.dataLength}) {
      std::abort();
    }
  } else if (fs::exists(fs::path(target).concat(".new"))) {
    std::abort();  // a failed conversion left its partial file behind
  }
  return 0;
}

}  // namespace sonavue::fuzz
