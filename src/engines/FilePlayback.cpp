#include "engines/FilePlayback.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace sonavue::engines {
namespace {

constexpr std::uint32_t kByteGrain = 12;

std::uint64_t RoundUpToGrain(std::uint64_t bytes) { return (bytes + kByteGrain - 1) / kByteGrain * kByteGrain; }
std::uint64_t RoundDownToGrain(std::uint64_t bytes) { return bytes / kByteGrain * kByteGrain; }

}  // namespace

std::uint32_t LoopBytesPerSecond(std::int32_t rateHz, int channels, int bytesPerSample) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(std::max(0, rateHz)) *
                              static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(bytesPerSample);
  return static_cast<std::uint32_t>(RoundUpToGrain(bytes));
}

std::uint32_t LoopBufferBytes(std::int32_t rateHz, int channels, int bytesPerSample, int fftSize) {
  const std::uint64_t seconds = rateHz <= 48000 ? 8 : 4;
  std::uint64_t half = LoopBytesPerSecond(rateHz, channels, bytesPerSample) * seconds / 2;
  const std::uint64_t twoFrames =
      RoundUpToGrain(2ULL * static_cast<std::uint64_t>(std::max(0, fftSize)) *
                     static_cast<std::uint64_t>(channels * bytesPerSample));
  half = std::max(half, twoFrames);
  return static_cast<std::uint32_t>(2 * half);
}

void ApplyGainInPlace(std::span<std::uint8_t> samples, int bytesPerSample, float gainFactor) {
  const double gain = gainFactor;
  if (bytesPerSample == 2) {
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
      const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(samples[i] | samples[i + 1] << 8));
      const double scaled = std::clamp(static_cast<double>(value) * gain, -32767.0, 32767.0);
      const auto stored = static_cast<std::uint16_t>(static_cast<std::int16_t>(scaled));
      samples[i] = static_cast<std::uint8_t>(stored);
      samples[i + 1] = static_cast<std::uint8_t>(stored >> 8);
    }
    return;
  }
  if (bytesPerSample != 3) return;
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  for (std::size_t i = 0; i + 2 < samples.size(); i += 3) {
    const std::uint32_t bits = static_cast<std::uint32_t>(samples[i]) << 8 |
                               static_cast<std::uint32_t>(samples[i + 1]) << 16 |
                               static_cast<std::uint32_t>(samples[i + 2]) << 24;
    const auto value = static_cast<std::int32_t>(bits);
    const double scaled = std::clamp(static_cast<double>(value) * gain, kLowest, kHighest);
    const auto stored = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
    samples[i] = static_cast<std::uint8_t>(stored >> 8);
    samples[i + 1] = static_cast<std::uint8_t>(stored >> 16);
    samples[i + 2] = static_cast<std::uint8_t>(stored >> 24);
  }
}

void CopyLoopFrames(std::span<const std::uint8_t> loop, int frameBytes, std::int64_t endFrame, int frames,
                    std::span<std::uint8_t> out) {
  const auto bytes = static_cast<std::size_t>(frameBytes);
  const auto loopFrames = static_cast<std::int64_t>(loop.size() / bytes);
  if (frames <= 0 || frames > loopFrames || endFrame < 0 || endFrame > loopFrames ||
      out.size() < static_cast<std::size_t>(frames) * bytes) {
    return;
  }
  const std::int64_t start = endFrame - frames;
  std::size_t written = 0;
  if (start < 0) {
    const auto wrapped = static_cast<std::size_t>(-start) * bytes;
    std::memcpy(out.data(), loop.data() + static_cast<std::size_t>(loopFrames) * bytes - wrapped, wrapped);
    written = wrapped;
  }
  const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start) * bytes;
  std::memcpy(out.data() + written, loop.data() + from, static_cast<std::size_t>(frames) * bytes - written);
}

HalfRefill::Half HalfRefill::Next(std::int64_t positionFrames, std::int64_t loopFrames, int fftSize) {
  const std::int64_t half = loopFrames / 2;
  if (positionFrames < half) {
    if (bDue_ && positionFrames > fftSize) {
      bDue_ = false;
      aDue_ = true;
      return Half::B;
    }
  } else if (aDue_ && positionFrames > half + fftSize) {
    aDue_ = false;
    bDue_ = true;
    return Half::A;
  }
  return Half::None;
}

CaptureSpan ShownSpanBytes(double endMs, double spanMs, std::uint32_t bytesPerSecond, int frameBytes, int fftSize,
                           std::uint32_t segmentBytes, std::uint32_t capacity) {
  const auto byteAt = [bytesPerSecond](double ms) {
    return static_cast<std::int64_t>(std::floor(std::max(0.0, ms) * bytesPerSecond / 1000.0));
  };
  const std::int64_t lead = static_cast<std::int64_t>(fftSize) * frameBytes;
  const auto begin = static_cast<std::uint64_t>(std::max<std::int64_t>(0, byteAt(endMs - spanMs) - lead));
  std::uint64_t end = std::min<std::uint64_t>(static_cast<std::uint64_t>(byteAt(endMs)), segmentBytes);
  end = RoundDownToGrain(end);
  CaptureSpan span;
  span.beginByte = static_cast<std::uint32_t>(std::min(RoundDownToGrain(begin), end));
  // A span longer than the buffer keeps its newest part, the part shown
  // at the right of the picture.
  const std::uint64_t room = RoundDownToGrain(capacity);
  if (end - span.beginByte > room) span.beginByte = static_cast<std::uint32_t>(end - room);
  span.length = static_cast<std::uint32_t>(end - span.beginByte);
  return span;
}

}  // namespace sonavue::engines
