#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace sonavue::audio {

inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatFloat = 3;
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// How much of a file's start the header reader looks at, and the highest
// offset at which a chunk length may be read from it.
inline constexpr std::size_t kHeaderScanBytes = 8192;
inline constexpr std::size_t kChunkLengthLimit = 8184;

inline constexpr std::size_t kWorkingHeaderBytes = 68;
inline constexpr std::size_t kPlainHeaderBytes = 46;

// What the reader reports of a WAV file.
struct WaveFileInfo {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::int32_t sampleRate = 0;  // per channel, as stored
  std::int16_t bitsPerSample = 0;
  std::uint32_t bytesPerSample = 0;
  std::uint16_t sourceBits = 0;  // of the file the user chose (8 or 32 when converted)
  std::uint32_t firstSampleOffset = 0;
  std::uint32_t dataLength = 0;  // as stored in the "data" chunk
  float durationS = 0.0F;
};

// Where the header reader found the format block and the sample data.
struct ChunkLayout {
  std::uint32_t formatOffset = 0;     // first byte of the format block
  std::uint32_t dataIdOffset = 0;     // the "data" identifier
  std::uint32_t dataLength = 0;
};

// The commands that read WAV files; their checks and messages differ.
enum class WaveCommand { ScanFile, AnalyzeFile };

// Why a file was refused.
enum class WaveError {
  None,
  CannotOpen,        // "Cannot Open File"
  NoFormatBlock,     // no "fmt " in the first 8192 bytes, or the chunk walk failed
  Unsupported,       // format tag, channels or bit depth the program does not handle
  RateAboveScan,     // Scan File only: above 96000 Hz
  CannotRead,        // a conversion failed
  RateOutOfRange,    // no ultrasound analysis rate with a multiplier up to 20
};

// The message the command shows for an error ("" for None).
std::string_view WaveErrorMessage(WaveError error, WaveCommand command);

// Finds the format block and the data chunk in the first bytes of a file
// (zero-filled behind a short file's end): "fmt " is searched at every
// offset regardless of letter case, then the chunks are walked from it to the
// first "data". Returns false when either is missing or the walk leaves the
// bytes it may read.
bool FindChunks(std::span<const std::uint8_t, kHeaderScanBytes> head, ChunkLayout& layout);

// Reads the format block behind a layout into info (tag, channels, rate,
// bits, offsets, length, duration).
void FillInfo(std::span<const std::uint8_t, kHeaderScanBytes> head, const ChunkLayout& layout,
              WaveFileInfo& info);

// The format checks of the command, in its order. A rate above 96000 Hz is
// no error for Analyze File (it becomes an ultrasound analysis).
WaveError CheckFormat(const WaveFileInfo& info, WaveCommand command);

// Reads the first 8192 bytes of a file and fills info. Returns CannotOpen or
// NoFormatBlock on failure; does not check the format.
WaveError ReadHeaderBlock(const std::filesystem::path& path, WaveFileInfo& info,
                          ChunkLayout& layout);

// An analysis rate and frequency multiplier for a rate above 96000 Hz.
struct UltrasoundRate {
  std::int32_t analysisRate = 0;
  std::int32_t multiplier = 0;
  bool ok = false;  // false: the multiplier would exceed 20
};
UltrasoundRate ReduceUltrasoundRate(std::int32_t sampleRate);

// The 68-byte extensible working header and the 46-byte plain PCM header.
void WriteWorkingHeader(std::span<std::uint8_t, kWorkingHeaderBytes> out, int channels,
                        std::int32_t sampleRate, int bitsPerSample, std::uint32_t dataLength);
void WritePlainHeader(std::span<std::uint8_t, kPlainHeaderBytes> out, int channels,
                      std::int32_t sampleRate, int bitsPerSample, std::uint32_t dataLength);

// The factor 10^(−G/20) of a gain setting G in dB.
float GainFactor(int gainDb);

// A stored 16-bit sample in the analysis scale: times the gain factor,
// limited to ±32767.
inline float Sample16ToNumber(std::int16_t v, float gainFactor) {
  const float x = static_cast<float>(v) * gainFactor;
  return x > 32767.0F ? 32767.0F : (x < -32767.0F ? -32767.0F : x);
}

// A stored little-endian 24-bit sample (3 bytes) in the analysis scale:
// its value ÷ 256 times the gain factor, not limited.
inline float Sample24ToNumber(const std::uint8_t* p, float gainFactor) {
  const std::int32_t raw = static_cast<std::int32_t>(
      (static_cast<std::uint32_t>(p[0]) << 8) | (static_cast<std::uint32_t>(p[1]) << 16) |
      (static_cast<std::uint32_t>(p[2]) << 24)) >> 8;
  return static_cast<float>(raw) / 256.0F * gainFactor;
}

// Little-endian field access on byte buffers.
std::uint16_t ReadU16(const std::uint8_t* p);
std::uint32_t ReadU32(const std::uint8_t* p);
void PutU16(std::uint8_t* p, std::uint16_t v);
void PutU32(std::uint8_t* p, std::uint32_t v);

}  // namespace sonavue::audio
