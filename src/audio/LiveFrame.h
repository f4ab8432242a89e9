#pragma once

#include <cstdint>
#include <span>

namespace sonavue::app {
struct LiveInput;
}

namespace sonavue::audio {

// Copies the newest whole frame of `frames` sample frames (interleaved, as
// the device delivers them) from the two input buffers into out: the frame
// that ends at stream frame wantedEnd, or, when the device has delivered
// less than that, the one that ends at the newest delivered frame: samples
// not yet heard are never taken. Stream frame k lies in buffer A when
// k / samplesPerBuffer is even, in B when odd, at frame k % samplesPerBuffer.
// Frames before the start of the stream read as silence.
// Returns false, copying nothing, when the frame starts more than a whole
// buffer behind the newest delivered frame (the device may already be
// writing over it), when out is too small or when no input block exists.
bool LatestFrame(const app::LiveInput& live, std::uint64_t deliveredFrames, std::int64_t wantedEnd,
                 int frames, std::span<std::uint8_t> out);

}  // namespace sonavue::audio
