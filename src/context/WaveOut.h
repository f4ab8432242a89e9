#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/WaveIo.h"

namespace sonavue::app {

// Who has the sound card's output.
enum class OutputUser {
  None,
  Play,              // PLAY: the whole signal of the picture
  PlayWindow,        // PLAY WDW: from the first visible column
  ScanFile,          // the Scan File player
  CalibrationSound,  // the SPL calibration sound
};

// The sound card's output while something plays: one looping buffer, refilled
// in halves while the device plays the other half, and its header. One user
// at a time; everything is released by the done notification.
struct WaveOut {
  std::unique_ptr<platform::WaveOutput> device;  // null when closed
  OutputUser user = OutputUser::None;
  std::vector<std::uint8_t> loopBuffer;
  platform::WaveBuffer header;
  int loops = 0;
  bool playing = false;  // from the write until the sound ends or is reset
  // Writes so far. Each write's header carries the next number as its index,
  // so that a done notification arriving after its buffer was released is
  // known as such.
  int writes = 0;
};

}  // namespace sonavue::app
