#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sonavue::engines {

// How a static analysis steps through a segment: the frame hop h in
// interleaved samples and the number of columns C.
struct FramePlan {
  float hop = 0.0F;            // channels × Δt × fs ÷ 1000, single precision
  std::int64_t columns = 0;    // round((S − N × channels) ÷ h); ≤ 0 means too short
  bool Valid() const { return columns > 0 && hop >= 0.5F; }
};

// segmentSamples S counts samples over all channels (bytes ÷ bytes per sample).
FramePlan PlanFrames(int channels, float columnStepMs, std::int32_t sampleRate,
                     std::int64_t segmentSamples, int fftSize);

// First interleaved sample of column i: i × h rounded half away from zero,
// reduced to a multiple of the channel count.
std::int64_t FrameStart(std::int64_t column, float hop, int channels);

// The byte range of a time span of a file's data.
struct SegmentBytes {
  std::uint32_t beginByte = 0;
  std::uint32_t endByte = 0;
  float endS = 0.0F;  // the end time, cut to the data when the span ran past it
  bool ok = false;    // false: "Improper Begin or End"
};

// Bytes per second B = fs × channels × bits ÷ 8; each limit is B × ms ÷ 1000
// truncated and rounded down to a whole sample frame; an end past the data
// is cut to it. Negative limits, an end before the begin, or a begin past
// the data are refused.
SegmentBytes SegmentForSpan(std::int32_t sampleRate, int channels, int bitsPerSample, float beginS,
                            float endS, std::uint32_t dataLength);

// Fills frame with frame.size() samples of one channel from interleaved
// stored samples (16- or 24-bit little-endian), starting at interleaved
// sample index start, scaled to the 16-bit analysis scale with the gain
// factor. Positions beyond the data read as silence.
void FillFrame(std::span<const std::uint8_t> data, int bytesPerSample, int channels, int channel,
               std::int64_t start, float gainFactor, std::span<float> frame);

}  // namespace sonavue::engines
