#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "context/CaptureRing.h"
#include "platform/WaveIo.h"

namespace sonavue::app {

// The sound card's input while Scan Input runs: one block holding a 68-byte
// working header and the two input buffers A and B that circulate through
// the device, and what the engine needs to find its frames in them.
struct LiveInput {
  std::unique_ptr<platform::WaveInput> device;  // null when no input is open
  platform::WaveFormat format;
  int spanS = 4;                      // 4 s per buffer, 2 s above 48000 Hz
  std::int32_t bufferBytes = 0;
  std::int32_t samplesPerBuffer = 0;  // per channel
  std::vector<std::uint8_t> block;    // header, buffer A, buffer B
  std::size_t headerBytes = 0;        // the working header in front of buffer A
  platform::WaveBuffer headerA;
  platform::WaveBuffer headerB;
  // Buffers handed back and handled since the start; the buffer being
  // filled holds stream frames from buffersDone × samplesPerBuffer on. It
  // moves together with bufferStartMs, on the GUI thread.
  std::int64_t buffersDone = 0;
  std::uint32_t bufferStartMs = 0;    // clock when the buffer being filled began
  // Every buffer handed back since the start, those of the stop included:
  // the next one handed back holds the stream bytes from
  // buffersReturned × bufferBytes on.
  std::int64_t buffersReturned = 0;
  // A clock reading and the stream frames the device had delivered at that
  // moment (the start, then each completion): where a press of SAVE or STOP
  // SAVE lies in the stream is counted from it.
  std::uint32_t anchorMs = 0;
  std::uint64_t anchorFrames = 0;
  // The device failed: the buffers it hands back hold everything that
  // arrived, and all of it is kept.
  bool failed = false;

  // Buffer A holds the even-numbered buffers of the stream, B the odd ones.
  std::uint8_t* BufferA() { return block.data() + headerBytes; }
  std::uint8_t* BufferB() { return block.data() + headerBytes + bufferBytes; }
  const std::uint8_t* BufferA() const { return block.data() + headerBytes; }
  const std::uint8_t* BufferB() const { return block.data() + headerBytes + bufferBytes; }
};

// The last 60 seconds of live input, kept so that a stopped scan can be
// shown as a static picture.
struct CaptureBuffer {
  bool exists = false;
  bool closed = false;  // the last, partial buffer has been copied at the stop
  CaptureRing ring;
};

}  // namespace sonavue::app
