#include "engines/AnalysisPlan.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "audio/WaveFormat.h"
#include "dsp/Rounding.h"

namespace sonavue::engines {
using dsp::RoundHalfAway;

FramePlan PlanFrames(int channels, float columnStepMs, std::int32_t sampleRate,
                     std::int64_t segmentSamples, int fftSize) {
  FramePlan plan;
  plan.hop = static_cast<float>(channels) * columnStepMs * static_cast<float>(sampleRate) / 1000.0F;
  if (!(plan.hop >= 0.5F)) return plan;  // rounds to no hop at all
  const double span = static_cast<double>(segmentSamples) -
                      static_cast<double>(fftSize) * static_cast<double>(channels);
  plan.columns = RoundHalfAway(span / static_cast<double>(plan.hop));
  return plan;
}

std::int64_t FrameStart(std::int64_t column, float hop, int channels) {
  const std::int64_t start = RoundHalfAway(static_cast<double>(column) * static_cast<double>(hop));
  return start - start % channels;
}

SegmentBytes SegmentForSpan(std::int32_t sampleRate, int channels, int bitsPerSample, float beginS,
                            float endS, std::uint32_t dataLength) {
  SegmentBytes segment;
  const std::int64_t frameBytes = static_cast<std::int64_t>(channels) * (bitsPerSample / 8);
  const double bytesPerSecond = static_cast<double>(sampleRate) * channels * bitsPerSample / 8.0;
  if (frameBytes <= 0 || bytesPerSecond <= 0.0 || !(beginS >= 0.0F) || !(endS >= 0.0F) ||
      endS < beginS) {
    return segment;
  }
  // Times are whole milliseconds of the dialogs' seconds.
  const auto toByte = [&](float seconds) {
    const double ms = std::round(static_cast<double>(seconds) * 1000.0);
    const auto bytes = static_cast<std::int64_t>(bytesPerSecond * ms / 1000.0);
    return bytes - bytes % frameBytes;
  };
  std::int64_t begin = toByte(beginS);
  std::int64_t end = toByte(endS);
  segment.endS = endS;
  const std::int64_t last = static_cast<std::int64_t>(dataLength) - dataLength % frameBytes;
  if (end > last) {
    end = last;
    segment.endS = static_cast<float>(static_cast<double>(end) / bytesPerSecond);
  }
  if (begin > last || end < begin) return segment;
  segment.beginByte = static_cast<std::uint32_t>(begin);
  segment.endByte = static_cast<std::uint32_t>(end);
  segment.ok = true;
  return segment;
}

void FillFrame(std::span<const std::uint8_t> data, int bytesPerSample, int channels, int channel,
               std::int64_t start, float gainFactor, std::span<float> frame) {
  const auto total = static_cast<std::int64_t>(data.size()) / bytesPerSample;
  const auto count = static_cast<std::int64_t>(frame.size());
  const std::int64_t first = start + channel;
  // Positions j with 0 ≤ first + j × channels < total hold samples; the
  // rest read as silence. Finding that range first leaves the sample loops
  // without a test per sample.
  std::int64_t low = first >= 0 ? 0 : (-first + channels - 1) / channels;
  std::int64_t high = first >= total ? 0 : (total - first + channels - 1) / channels;
  low = std::min(low, count);
  high = std::clamp(high, low, count);
  float* const out = frame.data();
  std::fill(out, out + low, 0.0F);
  std::fill(out + high, out + count, 0.0F);
  if (high == low) return;
  const std::uint8_t* p = data.data() + (first + low * channels) * bytesPerSample;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(channels) * bytesPerSample;
  if (bytesPerSample == 2) {
    for (std::int64_t j = low; j < high; ++j, p += stride) {
      out[j] = audio::Sample16ToNumber(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8))),
                                       gainFactor);
    }
  } else {
    for (std::int64_t j = low; j < high; ++j, p += stride) out[j] = audio::Sample24ToNumber(p, gainFactor);
  }
}

}  // namespace sonavue::engines
