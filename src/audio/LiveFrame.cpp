#include "audio/LiveFrame.h"

#include <algorithm>
#include <cstring>

#include "context/LiveInput.h"

namespace sonavue::audio {

bool LatestFrame(const app::LiveInput& live, std::uint64_t deliveredFrames, std::int64_t wantedEnd,
                 int frames, std::span<std::uint8_t> out) {
  const std::int64_t perBuffer = live.samplesPerBuffer;
  const auto frameBytes = static_cast<std::size_t>(live.format.BytesPerFrame());
  if (live.block.empty() || perBuffer <= 0 || frames <= 0 || frames > perBuffer ||
      out.size() < static_cast<std::size_t>(frames) * frameBytes ||
      live.block.size() < live.headerBytes + 2 * static_cast<std::size_t>(perBuffer) * frameBytes) {
    return false;
  }
  const auto delivered = static_cast<std::int64_t>(deliveredFrames);
  const std::int64_t end = std::min(wantedEnd, delivered);
  const std::int64_t first = end - frames;
  // The newest buffer's worth of frames is safe to read: the device writes
  // over an older frame only once it has delivered a whole buffer more.
  if (first < delivered - perBuffer) return false;

  std::uint8_t* to = out.data();
  std::int64_t position = first;
  if (position < 0) {
    const std::int64_t silent = std::min<std::int64_t>(-position, frames);
    std::memset(to, 0, static_cast<std::size_t>(silent) * frameBytes);
    to += static_cast<std::size_t>(silent) * frameBytes;
    position += silent;
  }
  while (position < end) {
    const std::int64_t offset = position % perBuffer;
    const std::int64_t count = std::min(end - position, perBuffer - offset);
    const std::uint8_t* buffer = (position / perBuffer) % 2 == 0 ? live.BufferA() : live.BufferB();
    std::memcpy(to, buffer + static_cast<std::size_t>(offset) * frameBytes, static_cast<std::size_t>(count) * frameBytes);
    to += static_cast<std::size_t>(count) * frameBytes;
    position += count;
  }
  return true;
}

}  // namespace sonavue::audio
