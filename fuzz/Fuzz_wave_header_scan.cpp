// The header reader on the Scan File path, read from a real file as the
// command reads it.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "audio/WaveFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonavue::audio;
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("sonavue-fuzz-scan-" + std::to_string(getpid()) + ".wav");
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  WaveFileInfo info;
  ChunkLayout layout;
  if (ReadHeaderBlock(path, info, layout) == WaveError::None) {
    (void)CheckFormat(info, WaveCommand::ScanFile);
    (void)WaveErrorMessage(CheckFormat(info, WaveCommand::ScanFile), WaveCommand::ScanFile);
  }
  return 0;
}
