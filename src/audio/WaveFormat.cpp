#include "audio/WaveFormat.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "dsp/Rounding.h"

namespace sonavue::audio {
namespace {

bool SameIgnoringCase(const std::uint8_t* p, const char* id) {
  for (int i = 0; i < 4; ++i) {
    const auto a = static_cast<unsigned char>(p[i]);
    const auto b = static_cast<unsigned char>(id[i]);
    const auto lower = [](unsigned char c) {
      return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

bool LooksLikeChunkId(const std::uint8_t* p) {
  for (int i = 0; i < 4; ++i) {
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  }
  return true;
}

std::int32_t RoundHalfAway(float x) {
  return dsp::RoundHalfAway(static_cast<double>(x), std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max());
}

}  // namespace

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string_view WaveErrorMessage(WaveError error, WaveCommand command) {
  switch (error) {
    case WaveError::None: return "";
    case WaveError::CannotOpen: return "Cannot Open File";
    case WaveError::NoFormatBlock:
      return command == WaveCommand::ScanFile ? "File is not PCM Wave Format"
                                              : "Unsupported wave file format";
    case WaveError::Unsupported: return "Unsupported wave file format";
    case WaveError::RateAboveScan:
      return "Sampling rate greater than 96 kHz. Use 'Analyze File' instead.";
    case WaveError::CannotRead: return "Cannot Read Wave File";
    case WaveError::RateOutOfRange: return "Sampling Rate Out of Range";
  }
  return "";
}

bool FindChunks(std::span<const std::uint8_t, kHeaderScanBytes> head, ChunkLayout& layout) {
  const std::uint8_t* b = head.data();
  std::size_t id = kHeaderScanBytes;
  for (std::size_t i = 0; i + 4 <= kHeaderScanBytes; ++i) {
    if (SameIgnoringCase(b + i, "fmt ")) {
      id = i;
      break;
    }
  }
  if (id == kHeaderScanBytes) return false;
  layout.formatOffset = static_cast<std::uint32_t>(id + 8);

  // Walk the chunks from "fmt " to the first "data". Offsets are 64-bit so
  // that a huge stored length cannot wrap around.
  std::uint64_t at = id;
  for (;;) {
    if (at + 4 > kHeaderScanBytes) return false;
    const std::uint64_t lengthAt = at + 4;
    if (lengthAt >= kChunkLengthLimit) return false;
    const std::uint32_t length = ReadU32(b + lengthAt);
    if (SameIgnoringCase(b + at, "data")) {
      layout.dataIdOffset = static_cast<std::uint32_t>(at);
      layout.dataLength = length;
      return true;
    }
    std::uint64_t next = lengthAt + 4 + length;
    // Chunks of odd length are followed by a pad byte in well-formed files;
    // some writers leave it out. Take the padded position when an identifier
    // stands there and none stands at the unpadded one.
    if ((length & 1U) != 0 && next + 5 <= kHeaderScanBytes && !LooksLikeChunkId(b + next) &&
        LooksLikeChunkId(b + next + 1)) {
      ++next;
    }
    at = next;
  }
}

void FillInfo(std::span<const std::uint8_t, kHeaderScanBytes> head, const ChunkLayout& layout,
              WaveFileInfo& info) {
  // The format block may run past the bytes read when "fmt " sits near
  // their end; what lies beyond reads as zero, as in a short file.
  std::array<std::uint8_t, 16> block{};
  for (std::size_t i = 0; i < block.size(); ++i) {
    const std::size_t at = layout.formatOffset + i;
    if (at < kHeaderScanBytes) block[i] = head[at];
  }
  info.formatTag = ReadU16(&block[0]);
  info.channels = ReadU16(&block[2]);
  info.sampleRate = static_cast<std::int32_t>(ReadU32(&block[4]));
  info.bitsPerSample = static_cast<std::int16_t>(ReadU16(&block[14]));
  info.bytesPerSample = static_cast<std::uint32_t>(std::max<int>(0, info.bitsPerSample / 8));
  info.sourceBits = static_cast<std::uint16_t>(info.bitsPerSample);
  info.firstSampleOffset = layout.dataIdOffset + 8;
  info.dataLength = layout.dataLength;
  const std::int64_t bytesPerSecond = static_cast<std::int64_t>(info.sampleRate) * info.channels *
                                      info.bitsPerSample / 8;
  info.durationS = bytesPerSecond > 0 ? static_cast<float>(info.dataLength) /
                                            static_cast<float>(bytesPerSecond)
                                      : 0.0F;
}

WaveError CheckFormat(const WaveFileInfo& info, WaveCommand command) {
  const std::uint16_t tag = info.formatTag;
  if (tag != kFormatPcm && tag != kFormatFloat && tag != kFormatExtensible) {
    return WaveError::Unsupported;
  }
  if (command == WaveCommand::ScanFile && info.sampleRate > 96000) return WaveError::RateAboveScan;
  if (info.channels != 1 && info.channels != 2) return WaveError::Unsupported;
  if (tag != kFormatFloat && info.bitsPerSample > 24) return WaveError::Unsupported;
  // Depths no engine handles (12 or 20 bits, floats of other than 32 bits)
  // and rates that cannot be sampled at all.
  const int bits = info.bitsPerSample;
  if (tag == kFormatFloat ? bits != 32 : (bits != 8 && bits != 16 && bits != 24)) {
    return WaveError::Unsupported;
  }
  if (info.sampleRate <= 0) return WaveError::Unsupported;
  return WaveError::None;
}

WaveError ReadHeaderBlock(const std::filesystem::path& path, WaveFileInfo& info,
                          ChunkLayout& layout) {
  // A named pipe or a device would hold the read up for good: only a plain
  // file (or a link to one) is read.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return WaveError::CannotOpen;
  std::ifstream file(path, std::ios::binary);
  if (!file) return WaveError::CannotOpen;
  std::array<std::uint8_t, kHeaderScanBytes> head{};
  file.read(reinterpret_cast<char*>(head.data()), kHeaderScanBytes);
  if (file.bad()) return WaveError::CannotOpen;
  if (!FindChunks(head, layout)) return WaveError::NoFormatBlock;
  FillInfo(head, layout, info);
  return WaveError::None;
}

UltrasoundRate ReduceUltrasoundRate(std::int32_t sampleRate) {
  UltrasoundRate result;
  if (sampleRate <= 0) return result;
  for (std::int32_t base : {48000, 44100, 32000, 22050, 16000, 11025}) {
    if (sampleRate % base == 0 && sampleRate / base <= 20) {
      result.analysisRate = base;
      result.multiplier = sampleRate / base;
      result.ok = true;
      return result;
    }
  }
  const std::int32_t multiplier = RoundHalfAway(static_cast<float>(sampleRate) / 48000.0F);
  if (multiplier < 1 || multiplier > 20) return result;
  result.multiplier = multiplier;
  result.analysisRate = RoundHalfAway(static_cast<float>(sampleRate) / static_cast<float>(multiplier));
  result.ok = true;
  return result;
}

void WriteWorkingHeader(std::span<std::uint8_t, kWorkingHeaderBytes> out, int channels,
                        std::int32_t sampleRate, int bitsPerSample, std::uint32_t dataLength) {
  static constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                     0x00, 0x38, 0x9B, 0x71};
  std::uint8_t* p = out.data();
  const auto bytes = static_cast<std::uint32_t>(bitsPerSample / 8);
  const auto ch = static_cast<std::uint32_t>(channels);
  std::memcpy(p, "RIFF", 4);
  PutU32(p + 4, dataLength + 60);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  PutU32(p + 16, 40);
  PutU16(p + 20, kFormatExtensible);
  PutU16(p + 22, static_cast<std::uint16_t>(channels));
  PutU32(p + 24, static_cast<std::uint32_t>(sampleRate));
  PutU32(p + 28, static_cast<std::uint32_t>(sampleRate) * bytes * ch);
  PutU16(p + 32, static_cast<std::uint16_t>(ch * bytes));
  PutU16(p + 34, static_cast<std::uint16_t>(bitsPerSample));
  PutU16(p + 36, 22);
  PutU16(p + 38, static_cast<std::uint16_t>(bitsPerSample));
  PutU32(p + 40, channels == 2 ? 3U : 4U);
  std::memcpy(p + 44, kPcmSubFormat, 16);
  std::memcpy(p + 60, "data", 4);
  PutU32(p + 64, dataLength);
}

void WritePlainHeader(std::span<std::uint8_t, kPlainHeaderBytes> out, int channels,
                      std::int32_t sampleRate, int bitsPerSample, std::uint32_t dataLength) {
  std::uint8_t* p = out.data();
  const auto bytes = static_cast<std::uint32_t>(bitsPerSample / 8);
  const auto ch = static_cast<std::uint32_t>(channels);
  std::memcpy(p, "RIFF", 4);
  PutU32(p + 4, dataLength + 38);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  PutU32(p + 16, 18);
  PutU16(p + 20, kFormatPcm);
  PutU16(p + 22, static_cast<std::uint16_t>(channels));
  PutU32(p + 24, static_cast<std::uint32_t>(sampleRate));
  PutU32(p + 28, static_cast<std::uint32_t>(sampleRate) * bytes * ch);
  PutU16(p + 32, static_cast<std::uint16_t>(ch * bytes));
  PutU16(p + 34, static_cast<std::uint16_t>(bitsPerSample));
  PutU16(p + 36, 0);
  std::memcpy(p + 38, "data", 4);
  PutU32(p + 42, dataLength);
}

float GainFactor(int gainDb) {
  return static_cast<float>(std::pow(10.0, -static_cast<double>(gainDb) / 20.0));
}

}  // namespace sonavue::audio
