#include "audio/WaveSignal.h"

#include <fstream>
#include <vector>

#include "audio/WaveFormat.h"

namespace sonavue::audio {

std::optional<platform::SignalSource> SignalFromWaveFile(const std::filesystem::path& path) {
  WaveFileInfo info;
  ChunkLayout layout;
  if (ReadHeaderBlock(path, info, layout) != WaveError::None || info.bitsPerSample != 16 ||
      (info.channels != 1 && info.channels != 2)) {
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  file.seekg(info.firstSampleOffset);
  std::vector<std::uint8_t> bytes(info.dataLength);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  platform::SignalSource source;
  source.kind = platform::SignalSource::Kind::Samples;
  source.amplitude = 32767.0;
  const std::size_t step = 2U * info.channels;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += step) {
    source.samples.push_back(static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8)));
  }
  if (source.samples.empty()) return std::nullopt;
  return source;
}

}  // namespace sonavue::audio
