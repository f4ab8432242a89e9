#include "audio/WaveConversion.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

namespace sonavue::audio {
namespace {

enum class Kind { EightBit, Float };

// Streams the data chunk of source through the converter into a new file
// beside target, then renames it over target.
bool Convert(const std::filesystem::path& source, const std::filesystem::path& target, Kind kind) {
  WaveFileInfo info;
  ChunkLayout layout;
  if (ReadHeaderBlock(source, info, layout) != WaveError::None) return false;

  std::error_code error;
  const auto fileSize = std::filesystem::file_size(source, error);
  const std::uint64_t end = static_cast<std::uint64_t>(info.firstSampleOffset) + info.dataLength;
  if (error || end > fileSize) return false;  // the data chunk cannot be read whole

  const std::uint32_t inBytesPerSample = kind == Kind::EightBit ? 1 : 4;
  const std::uint32_t outBytesPerSample = kind == Kind::EightBit ? 2 : 3;
  const std::uint64_t samples = info.dataLength / inBytesPerSample;
  const std::uint64_t outLength = samples * outBytesPerSample;
  if (outLength > 0xFFFFFFFFULL - 60) return false;  // would not fit a RIFF length field

  std::ifstream in(source, std::ios::binary);
  if (!in.seekg(info.firstSampleOffset)) return false;
  const auto temporary = std::filesystem::path(target).concat(".new");
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) return false;

  std::array<std::uint8_t, kWorkingHeaderBytes> header{};
  WriteWorkingHeader(header, info.channels, info.sampleRate,
                     kind == Kind::EightBit ? 16 : 24, static_cast<std::uint32_t>(outLength));
  out.write(reinterpret_cast<const char*>(header.data()), header.size());

  const auto blockSamples =
      static_cast<std::size_t>(std::min<std::uint64_t>(samples, std::uint64_t{1} << 18));
  std::vector<std::uint8_t> inBlock(blockSamples * inBytesPerSample);
  std::vector<std::uint8_t> outBlock(blockSamples * outBytesPerSample);
  std::uint64_t left = samples;
  bool ok = true;
  while (left > 0 && ok) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, blockSamples));
    in.read(reinterpret_cast<char*>(inBlock.data()),
            static_cast<std::streamsize>(count * inBytesPerSample));
    if (static_cast<std::size_t>(in.gcount()) != count * inBytesPerSample) {
      ok = false;
      break;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (kind == Kind::EightBit) {
        const auto v = static_cast<std::int16_t>((static_cast<int>(inBlock[i]) - 128) * 256);
        PutU16(&outBlock[2 * i], static_cast<std::uint16_t>(v));
      } else {
        const std::uint32_t bits = ReadU32(&inBlock[4 * i]);
        float x;
        std::memcpy(&x, &bits, sizeof x);
        const auto v = static_cast<std::uint32_t>(FloatTo24(x));
        outBlock[3 * i] = static_cast<std::uint8_t>(v);
        outBlock[3 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        outBlock[3 * i + 2] = static_cast<std::uint8_t>(v >> 16);
      }
    }
    out.write(reinterpret_cast<const char*>(outBlock.data()),
              static_cast<std::streamsize>(count * outBytesPerSample));
    ok = static_cast<bool>(out);
    left -= count;
  }
  out.close();
  ok = ok && !out.fail();
  if (ok) std::filesystem::rename(temporary, target, error);
  if (!ok || error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

std::int32_t FloatTo24(float x) {
  if (std::isnan(x)) return 0;
  const double scaled = std::trunc(static_cast<double>(x) * 8388608.0);
  if (scaled >= 8388607.0) return 8388607;
  if (scaled <= -8388608.0) return -8388608;
  return static_cast<std::int32_t>(scaled);
}

bool Convert8BitTo16(const std::filesystem::path& source, const std::filesystem::path& target) {
  return Convert(source, target, Kind::EightBit);
}

bool ConvertFloatTo24(const std::filesystem::path& source, const std::filesystem::path& target) {
  return Convert(source, target, Kind::Float);
}

}  // namespace sonavue::audio
