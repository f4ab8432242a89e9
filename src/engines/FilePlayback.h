#pragma once

#include <cstdint>
#include <span>

namespace sonavue::engines {

// The Scan File player's loop buffer, as pure rules: its size, the gain put
// into the samples it plays, the analysis frame at the play position, when
// each half is refilled, and the span of the file a stopped scan keeps.

// Bytes per second of a file's samples, rounded up to a multiple of 12 so
// that every half of the loop buffer holds whole frames of any layout
// (2, 3, 4 or 6 bytes per frame).
std::uint32_t LoopBytesPerSecond(std::int32_t rateHz, int channels, int bytesPerSample);

// The loop buffer of P bytes: 8 s of audio up to 48000 Hz, 4 s above, so
// each half holds 4 s (2 s). A half always holds at least two analysis
// frames of fftSize sample frames, so that a frame never reaches back
// into a half that is being refilled.
std::uint32_t LoopBufferBytes(std::int32_t rateHz, int channels, int bytesPerSample, int fftSize);

// Multiplies stored samples by the gain factor in place. 16-bit samples are
// limited to ±32767; a 24-bit sample is scaled as a 32-bit value with the
// sample in its upper three bytes, limited to the 32-bit range so that a
// boosted sample clips instead of wrapping round to the other sign.
void ApplyGainInPlace(std::span<std::uint8_t> samples, int bytesPerSample, float gainFactor);

// Copies the frames sample frames (frameBytes each) that end just before
// sample frame endFrame of the loop buffer into out; a frame that starts
// before the buffer's beginning takes its first part from the buffer's end.
void CopyLoopFrames(std::span<const std::uint8_t> loop, int frameBytes, std::int64_t endFrame, int frames,
                    std::span<std::uint8_t> out);

// Which half of the loop buffer to refill as the play position moves: half
// B once the position is in half A and more than one frame into it, half A
// once it is in half B likewise. Each half is refilled once per pass of the
// position through the other half; half A holds the start when play begins.
class HalfRefill {
 public:
  enum class Half { None, A, B };
  // positionFrames: the play position in the loop (0 … loopFrames − 1).
  Half Next(std::int64_t positionFrames, std::int64_t loopFrames, int fftSize);

 private:
  bool bDue_ = true;
  bool aDue_ = false;
};

// The part of a file scan a stopped sonogram keeps for its static picture:
// the shown span [endMs − spanMs, endMs] of the segment, at least from its
// start, with one frame of fftSize sample frames before it so the first
// column has its whole frame, as byte offsets into the segment, both
// rounded down to multiples of 12 and the length limited to capacity.
struct CaptureSpan {
  std::uint32_t beginByte = 0;
  std::uint32_t length = 0;
};
CaptureSpan ShownSpanBytes(double endMs, double spanMs, std::uint32_t bytesPerSecond, int frameBytes, int fftSize,
                           std::uint32_t segmentBytes, std::uint32_t capacity);

}  // namespace sonavue::engines
