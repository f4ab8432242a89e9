#pragma once

#include <cstdint>
#include <span>

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// Start reasons of the Scan Input command.
inline constexpr int kScanMenu = 0;
inline constexpr int kScanRestart = 1;
inline constexpr int kScanResume = 5;

// The Scan Input command: settles the parameters, opens the input and runs
// the live display until STOP; a stopped sonogram scan is then shown as a
// static picture of the captured span.
void ScanInputCommand(app::App& app, int reason);

// Where the newest analysis frame lies in the two input buffers: d is the
// frame's first sample relative to the start of the buffer being filled
// (negative: it begins in the other buffer).
struct FrameLocation {
  bool ready = false;
  std::int64_t d = 0;
};
// elapsedMs since the buffer being filled began; the frame ends latencyMs
// before now.
FrameLocation LocateFrame(std::int64_t elapsedMs, std::int64_t latencyMs, std::int32_t rate,
                          int fftSize, std::int32_t samplesPerBuffer);

// Copies the frame's N sample frames (interleaved, frameBytes each) into out:
// the tail of the previous buffer, then the head of the buffer being filled.
void AssembleFrameBytes(const std::uint8_t* previous, const std::uint8_t* filling,
                        std::int32_t samplesPerBuffer, std::int64_t d, int fftSize, int frameBytes,
                        std::span<std::uint8_t> out);

}  // namespace sonavue::engines
