#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

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
// WaveInClose notification. All calls are made on the GUI thread.
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
  // Bytes the device has written so far into the buffer it is filling
  // (thread-safe; 0 when none is queued).
  virtual std::size_t BytesInFillingBuffer() const = 0;
};

// The sound card's output: a buffer played a number of times in a loop,
// a WaveOutDone notification (param = buffer index) when it has played or
// was reset, and the play position in sample frames since Open.
class WaveOutput {
 public:
  virtual ~WaveOutput() = default;
  virtual WaveResult Open(const WaveFormat& format) = 0;
  virtual WaveResult Write(WaveBuffer& buffer, int loops) = 0;
  virtual WaveResult Reset() = 0;
  virtual WaveResult Close() = 0;
  virtual std::uint64_t PositionFrames() const = 0;
  virtual bool IsOpen() const = 0;
};

// Makes the devices for one App: the real sound card or simulated devices.
class WaveDevices {
 public:
  virtual ~WaveDevices() = default;
  virtual std::unique_ptr<WaveInput> MakeInput(MessagePump& pump) = 0;
  virtual std::unique_ptr<WaveOutput> MakeOutput(MessagePump& pump) = 0;
};

}  // namespace sonavue::platform
