#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/WaveIo.h"

namespace sonavue::platform {

// What a simulated input device "hears".
struct SignalSource {
  enum class Kind { Silence, Tone, Noise, Samples };
  Kind kind = Kind::Silence;
  double frequencyHz = 1000.0;
  double amplitude = 10000.0;        // in 16-bit units (24-bit devices scale by 256)
  double rightAmplitude = -1.0;      // the right channel's; < 0 = same as left
  std::vector<std::int16_t> samples; // Kind::Samples: mono 16-bit samples, looped
};

// Sound-card devices for tests: an input that fills its queued buffers from
// a signal source exactly as fast as the clock says time passes, and hands
// them back (the last one partly filled on a reset) through the message
// pump, as the real device does. Driven by a virtual clock (it fills when
// the clock moves) or, with the real clock, by a thread of its own.
class SimulatedDevices final : public WaveDevices {
 public:
  SimulatedDevices(Clock& clock, VirtualClock* virtualClock);
  ~SimulatedDevices() override;

  void SetSource(SignalSource source);
  // Called on the GUI thread each time the virtual clock moves (tests use it
  // to press buttons at given times).
  void SetTickHook(std::function<void(std::uint32_t nowMs)> hook);
  // A device that refuses every format, as one in use by another program.
  void RefuseFormats(bool refuse) { refuse_ = refuse; }
  // Input reaches the program delayMs later than the clock says it was
  // heard, as through a sound server with a long buffer.
  void SetDeliveryDelayMs(std::uint32_t delayMs);
  // The input now running, or else the next one started, fails once it has
  // delivered `frames` sample frames since its start: it delivers no more,
  // hands back what it filled and reports the failure with `reason`, as a
  // device that is unplugged or whose sound server goes away. Once only.
  void FailInputAfterFrames(std::uint64_t frames, std::string reason = "the device went away");

  // An output that cannot be opened, as one in use by another program.
  void RefuseOutput(bool refuse);
  // Each write starts sounding delayMs after it was made, as through a sound
  // server that is slow to start a stream.
  void SetOutputStartDelayMs(std::uint32_t delayMs);
  // The output now playing, or else the next write, fails once it has
  // played `frames` sample frames of that write: it plays no more and
  // reports the failure with `reason`, then its done notification. Once only.
  void FailOutputAfterFrames(std::uint64_t frames, std::string reason = "the device went away");
  // Every sample frame the outputs have played since the start (or the last
  // ClearPlayed), interleaved as written, and the format of the last Open.
  std::vector<std::uint8_t> PlayedBytes() const;
  WaveFormat PlayedFormat() const;
  void ClearPlayed();

  std::unique_ptr<WaveInput> MakeInput(MessagePump& pump) override;
  std::unique_ptr<WaveOutput> MakeOutput(MessagePump& pump) override;

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  bool refuse_ = false;
};

}  // namespace sonavue::platform
