#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace sonavue::platform {

class MessagePump;

// PCM integer format of a sound-card stream: 16-bit or packed 24-bit samples.
struct WaveFormat {
  std::uint32_t sampleRate = 48000;
  std::uint16_t channels = 1;
  std::uint16_t bitsPerSample = 16;
  std::uint32_t BytesPerFrame() const { return channels * (bitsPerSample / 8u); }
};

enum class WaveResult { Ok, NoDevice, BadFormat, NotOpen, Failed };

// Which device a DeviceFailed notification is about (its id).
enum DeviceSide : int { kDeviceInput = 0, kDeviceOutput = 1 };

// A block of memory owned by the program and lent to a device while queued.
// bytesRecorded says how much of it the device filled (input) before handing
// it back.
struct WaveBuffer {
  std::span<std::uint8_t> data;
  std::size_t bytesRecorded = 0;
  int index = 0;  // reported in the notifications
};

// The sound card's input as the program relies on it. Filled buffers come
// back in the order queued as WaveInData notifications (param = buffer index)
// through the message pump; Reset hands back every queued buffer, the one
// being filled with the bytes it holds so far; Close is followed by a
// WaveInClose notification. All calls are made on the GUI thread; the two
// counts may be read from any thread.
//
// A device that stops working while it runs (it went away, the sound system
// reported an error, the stream ended by itself) stops filling, hands back
// the buffers it had filled and then posts one DeviceFailed notification
// (id = kDeviceInput). The buffers still queued stay queued, the one being
// filled with what it holds, until Reset or Close hands them back as usual;
// DeliveredFrames counts every frame that reached a buffer before the failure.
class WaveInput {
 public:
  virtual ~WaveInput() = default;
  virtual WaveResult Open(const WaveFormat& format) = 0;
  virtual WaveResult AddBuffer(WaveBuffer& buffer) = 0;
  virtual WaveResult Start() = 0;
  virtual WaveResult Stop() = 0;
  virtual WaveResult Reset() = 0;
  virtual WaveResult Close() = 0;
  virtual bool IsOpen() const = 0;
  // Sample frames written into queued buffers since Start; never decreases.
  // Buffers are filled in queue order, so with buffers of S frames queued in
  // turn, stream frame k lies in the (k / S)-th buffer queued, at frame k % S.
  // The count moves only once the frames are in their buffer (stored with
  // release after the copy, loaded with acquire): the GUI thread may read
  // every frame it counts in the buffer being filled while the device goes
  // on filling the rest (a recording is written that way as it arrives).
  virtual std::uint64_t DeliveredFrames() const = 0;
  // Gaps in the input since Start: each stretch of frames that arrived while
  // no buffer was queued, and each overflow the sound system reported.
  virtual std::uint64_t Overflows() const = 0;
  // After a failure: the device's name and what went wrong; empty before.
  virtual std::string Failure() const = 0;
};

// The sound card's output. Write starts playing the buffer at once from its
// start and repeats it loops times; the device reads the buffer's memory as
// it plays, so the program may refill the part that is not sounding. When
// the last loop has played, or on Reset, one WaveOutDone notification
// (param = buffer index) follows through the message pump. The play
// position counts the sample frames heard since the last Write (it does not
// wrap with the loops). All calls are made on the GUI thread.
//
// A device that stops working while it plays posts one DeviceFailed
// notification (id = kDeviceOutput) and then the WaveOutDone of the buffer
// in play; the position stays at what was heard.
class WaveOutput {
 public:
  virtual ~WaveOutput() = default;
  virtual WaveResult Open(const WaveFormat& format) = 0;
  virtual WaveResult Write(WaveBuffer& buffer, int loops) = 0;
  virtual WaveResult Reset() = 0;
  virtual WaveResult Close() = 0;
  virtual std::uint64_t PositionFrames() const = 0;
  virtual bool IsOpen() const = 0;
  // After a failure: the device's name and what went wrong; empty before.
  virtual std::string Failure() const = 0;
};

// Makes the devices for one App: the real sound card or simulated devices.
class WaveDevices {
 public:
  virtual ~WaveDevices() = default;
  virtual std::unique_ptr<WaveInput> MakeInput(MessagePump& pump) = 0;
  virtual std::unique_ptr<WaveOutput> MakeOutput(MessagePump& pump) = 0;
};

}  // namespace sonavue::platform
