#include "audio/SoundFileConversion.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <vector>

#include "audio/WaveConversion.h"
#include "audio/WaveFormat.h"

namespace sonavue::audio {
namespace {

constexpr std::int64_t kBlockFrames = 1 << 16;
// The RIFF length field holds the data length plus the rest of the header.
constexpr std::uint64_t kLongestData = 0xFFFFFFFFULL - kWorkingHeaderBytes;

void PutSample(std::uint8_t* out, std::int32_t value, int bytes) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

int WorkingBitsForDecoded(int pcmBits) { return pcmBits == 8 || pcmBits == 16 ? 16 : 24; }

int SourceBitsForDecoded(int pcmBits) { return pcmBits != 0 ? pcmBits : 32; }

bool DecodeToWorkingWave(platform::SoundFileReader& reader, const std::filesystem::path& target,
                         std::string& reason) {
  const platform::SoundFileInfo& info = reader.Info();
  const int bits = WorkingBitsForDecoded(info.pcmBits);
  const int bytes = bits / 8;
  const bool integer = info.pcmBits != 0;
  const auto channels = static_cast<std::size_t>(info.channels);

  const auto temporary = std::filesystem::path(target).concat(".new");
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) {
    reason = "The conversion file cannot be written.";
    return false;
  }
  std::array<std::uint8_t, kWorkingHeaderBytes> header{};
  WriteWorkingHeader(header, info.channels, info.sampleRate, bits, 0);
  out.write(reinterpret_cast<const char*>(header.data()), header.size());

  std::vector<std::int32_t> ints(integer ? kBlockFrames * channels : 0);
  std::vector<float> floats(integer ? 0 : kBlockFrames * channels);
  std::vector<std::uint8_t> block(kBlockFrames * channels * static_cast<std::size_t>(bytes));
  std::uint64_t dataBytes = 0;
  bool ok = true;
  reason.clear();
  for (;;) {
    const std::int64_t frames = integer ? reader.ReadInt(ints) : reader.ReadFloat(floats);
    if (frames <= 0) break;
    const std::size_t samples = static_cast<std::size_t>(frames) * channels;
    for (std::size_t i = 0; i < samples; ++i) {
      // Integers come at full scale ±2^31: keep their top 16 or 24 bits.
      const std::int32_t value = integer ? ints[i] >> (32 - bits) : FloatTo24(floats[i]);
      PutSample(&block[i * static_cast<std::size_t>(bytes)], value, bytes);
    }
    const std::uint64_t length = samples * static_cast<std::size_t>(bytes);
    if (dataBytes + length > kLongestData) {
      reason = "The sound is too long for a WAV conversion file.";
      ok = false;
      break;
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(length));
    dataBytes += length;
    if (!out) break;
  }
  if (ok) {
    const std::string decoderError = reader.Error();
    if (!decoderError.empty()) {
      reason = decoderError;
      ok = false;
    }
  }
  if (ok) {
    // The header again with the length that was really decoded.
    WriteWorkingHeader(header, info.channels, info.sampleRate, bits,
                       static_cast<std::uint32_t>(dataBytes));
    out.seekp(0);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
  }
  out.close();
  if (ok && out.fail()) {
    reason = "The conversion file cannot be written.";
    ok = false;
  }
  std::error_code error;
  if (ok) std::filesystem::rename(temporary, target, error);
  if (!ok || error) {
    if (ok) reason = "The conversion file cannot be written.";
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace sonavue::audio
