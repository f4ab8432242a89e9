#include "platform/PortAudioWave.h"

#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/InputQueue.h"
#include "platform/MessagePump.h"

namespace sonavue::platform {
namespace {

// PortAudio is initialised once for as long as any device object lives.
class PortAudioLibrary {
 public:
  static bool Acquire() {
    std::lock_guard lock(Mutex());
    if (Count() == 0 && Pa_Initialize() != paNoError) return false;
    ++Count();
    return true;
  }
  static void Release() {
    std::lock_guard lock(Mutex());
    if (Count() > 0 && --Count() == 0) Pa_Terminate();
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static int& Count() {
    static int count = 0;
    return count;
  }
};

// The name the sound system gives a device, for messages.
std::string DeviceName(PaDeviceIndex device) {
  const PaDeviceInfo* info = device != paNoDevice ? Pa_GetDeviceInfo(device) : nullptr;
  return info != nullptr && info->name != nullptr ? std::string(info->name) : std::string("default device");
}

// Input from the default device. The audio callback only copies samples
// into the buffer at the head of the queue, counts what it had to drop and,
// when a buffer has filled, wakes the GUI thread without allocating; the GUI
// thread then posts the WaveInData notifications from its own side (the
// pump polls this device before each dispatch).
class PortAudioInput final : public WaveInput {
 public:
  explicit PortAudioInput(MessagePump& pump) : pump_(pump) {
    pump_.AddSource(this, [this] { PostFilled(); });
  }
  ~PortAudioInput() override {
    Close();
    pump_.RemoveSource(this);
  }

  WaveResult Open(const WaveFormat& format) override {
    if (stream_ != nullptr) return WaveResult::Failed;
    if (!PortAudioLibrary::Acquire()) return WaveResult::NoDevice;
    library_ = true;
    if (format.bitsPerSample != 16 && format.bitsPerSample != 24) return Fail(WaveResult::BadFormat);
    const PaDeviceIndex device = Pa_GetDefaultInputDevice();
    if (device == paNoDevice) return Fail(WaveResult::NoDevice);
    PaStreamParameters input{};
    input.device = device;
    input.channelCount = format.channels;
    input.sampleFormat = format.bitsPerSample == 16 ? paInt16 : paInt24;
    input.suggestedLatency = Pa_GetDeviceInfo(device)->defaultLowInputLatency;
    if (Pa_IsFormatSupported(&input, nullptr, format.sampleRate) != paFormatIsSupported) {
      return Fail(WaveResult::BadFormat);
    }
    queue_.Configure(format.BytesPerFrame());
    if (Pa_OpenStream(&stream_, &input, nullptr, format.sampleRate, paFramesPerBufferUnspecified,
                      paNoFlag, &PortAudioInput::Callback, this) != paNoError) {
      stream_ = nullptr;
      return Fail(WaveResult::BadFormat);
    }
    // A stream that ends without being asked to (the device went away, the
    // host API's thread hit an error) is noticed through this callback.
    Pa_SetStreamFinishedCallback(stream_, &PortAudioInput::Finished);
    name_ = DeviceName(device);
    return WaveResult::Ok;
  }

  WaveResult AddBuffer(WaveBuffer& buffer) override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    return queue_.Add(buffer) ? WaveResult::Ok : WaveResult::Failed;
  }

  WaveResult Start() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    if (Pa_IsStreamActive(stream_) == 1) return WaveResult::Failed;
    queue_.Restart();
    stopping_.store(false);
    ended_.store(false);
    failurePosted_ = false;
    failure_.clear();
    lastDelivered_ = 0;
    lastProgress_ = std::chrono::steady_clock::now();
    if (Pa_StartStream(stream_) != paNoError) return WaveResult::Failed;
    running_ = true;
    return WaveResult::Ok;
  }

  WaveResult Stop() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    Halt();
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    // The callback has returned for good once the stream is aborted.
    Halt();
    // Every queued buffer comes back, the one being filled with what it holds.
    while (WaveBuffer* buffer = queue_.TakeQueued()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
    return WaveResult::Ok;
  }

  WaveResult Close() override {
    if (stream_ == nullptr) {
      if (library_) {
        PortAudioLibrary::Release();
        library_ = false;
      }
      return WaveResult::NotOpen;
    }
    Halt();
    Pa_CloseStream(stream_);
    stream_ = nullptr;
    // Buffers that filled before the close still come back; the rest are dropped.
    PostFilled();
    queue_.Clear();
    PortAudioLibrary::Release();
    library_ = false;
    pump_.Post({MessageKind::WaveInClose, 0, 0});
    return WaveResult::Ok;
  }

  bool IsOpen() const override { return stream_ != nullptr; }
  std::uint64_t DeliveredFrames() const override { return queue_.DeliveredFrames(); }
  std::uint64_t Overflows() const override { return queue_.Overflows(); }
  std::string Failure() const override { return failure_; }

 private:
  // A running stream that delivers nothing for this long has stopped: some
  // host APIs block instead of failing when their sound server goes away.
  static constexpr auto kSilentLimit = std::chrono::seconds(5);

  WaveResult Fail(WaveResult result) {
    PortAudioLibrary::Release();
    library_ = false;
    return result;
  }

  // GUI thread: ends the stream on the program's request.
  void Halt() {
    stopping_.store(true);
    if (Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
    running_ = false;
  }

  // GUI thread: the buffers filled since the last look go back in order,
  // then a stream that ended or stalled by itself is reported once.
  void PostFilled() {
    while (WaveBuffer* buffer = queue_.TakeFilled()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
    if (!running_ || failurePosted_ || stream_ == nullptr) return;
    std::string why;
    if (ended_.load(std::memory_order_acquire) || Pa_IsStreamActive(stream_) != 1) {
      why = "the stream stopped";
    } else {
      const auto now = std::chrono::steady_clock::now();
      const std::uint64_t delivered = queue_.DeliveredFrames();
      if (delivered != lastDelivered_ || queue_.DroppedFrames() != lastDropped_) {
        lastDelivered_ = delivered;
        lastDropped_ = queue_.DroppedFrames();
        lastProgress_ = now;
      } else if (now - lastProgress_ > kSilentLimit) {
        why = "no sound has arrived for 5 seconds";
      }
    }
    if (why.empty()) return;
    // Stop the callback for good so that the queue may be handed back.
    stopping_.store(true);
    if (Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
    while (WaveBuffer* buffer = queue_.TakeFilled()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
    failure_ = name_ + ": " + why;
    failurePosted_ = true;
    pump_.Post({MessageKind::DeviceFailed, kDeviceInput, 0});
  }

  // The audio thread, when the stream has ended, asked or not.
  static void Finished(void* self) noexcept {
    auto* me = static_cast<PortAudioInput*>(self);
    if (me->stopping_.load(std::memory_order_acquire)) return;
    me->ended_.store(true, std::memory_order_release);
    me->pump_.Signal();
  }

  // The audio thread: copies, counts and wakes; nothing else.
  static int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                      PaStreamCallbackFlags flags, void* self) noexcept {
    auto* me = static_cast<PortAudioInput*>(self);
    if ((flags & paInputOverflow) != 0) me->queue_.NoteDeviceOverflow();
    if (input == nullptr) return paContinue;
    if (me->queue_.Deliver(static_cast<const std::uint8_t*>(input), frames).filledBuffers > 0) {
      me->pump_.Signal();
    }
    return paContinue;
  }

  MessagePump& pump_;
  PaStream* stream_ = nullptr;
  bool library_ = false;
  InputQueue queue_;
  std::string name_;
  std::atomic<bool> stopping_{false};  // the program ends the stream
  std::atomic<bool> ended_{false};     // the stream ended without being asked
  // GUI thread: whether the stream runs, the failure reported, and the last
  // moment the input moved.
  bool running_ = false;
  bool failurePosted_ = false;
  std::string failure_;
  std::uint64_t lastDelivered_ = 0;
  std::uint64_t lastDropped_ = 0;
  std::chrono::steady_clock::time_point lastProgress_;
};

// Output to the default device. The callback reads the program's buffer in
// a loop as the device asks for samples, counts the frames it hands over and,
// after the last loop, ends the stream; the end is noticed on the GUI thread
// (the pump polls this device) and posted as WaveOutDone. A reset aborts the
// stream and posts the same notification, once per Write.
class PortAudioOutput final : public WaveOutput {
 public:
  explicit PortAudioOutput(MessagePump& pump) : pump_(pump) {
    pump_.AddSource(this, [this] { PostDone(); });
  }
  ~PortAudioOutput() override {
    Close();
    pump_.RemoveSource(this);
  }

  WaveResult Open(const WaveFormat& format) override {
    if (stream_ != nullptr) return WaveResult::Failed;
    if (!PortAudioLibrary::Acquire()) return WaveResult::NoDevice;
    library_ = true;
    if (format.bitsPerSample != 16 && format.bitsPerSample != 24) return Fail(WaveResult::BadFormat);
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    if (device == paNoDevice) return Fail(WaveResult::NoDevice);
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = format.channels;
    output.sampleFormat = format.bitsPerSample == 16 ? paInt16 : paInt24;
    // The device's larger latency: playback then rides out a busy machine
    // without gaps, and the position the picture follows subtracts it.
    output.suggestedLatency = Pa_GetDeviceInfo(device)->defaultHighOutputLatency;
    if (Pa_IsFormatSupported(nullptr, &output, format.sampleRate) != paFormatIsSupported) {
      return Fail(WaveResult::BadFormat);
    }
    if (Pa_OpenStream(&stream_, nullptr, &output, format.sampleRate, paFramesPerBufferUnspecified, paNoFlag,
                      &PortAudioOutput::Callback, this) != paNoError) {
      stream_ = nullptr;
      return Fail(WaveResult::BadFormat);
    }
    Pa_SetStreamFinishedCallback(stream_, &PortAudioOutput::Finished);
    name_ = DeviceName(device);
    format_ = format;
    const PaStreamInfo* info = Pa_GetStreamInfo(stream_);
    latencyFrames_ = info != nullptr ? static_cast<std::uint64_t>(info->outputLatency * format.sampleRate) : 0;
    return WaveResult::Ok;
  }

  WaveResult Write(WaveBuffer& buffer, int loops) override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    const std::uint32_t frameBytes = format_.BytesPerFrame();
    if (loops < 1 || buffer.data.size() < frameBytes || Pa_IsStreamActive(stream_) == 1) {
      return WaveResult::Failed;
    }
    // A stream whose last write ended by itself must be stopped before it
    // starts again.
    stopping_.store(true);
    if (Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
    stopping_.store(false);
    failed_.store(false);
    failure_.clear();
    lastConsumed_ = 0;
    lastProgress_ = std::chrono::steady_clock::now();
    data_ = buffer.data.data();
    bufferFrames_ = buffer.data.size() / frameBytes;
    totalFrames_ = bufferFrames_ * static_cast<std::uint64_t>(loops);
    index_ = buffer.index;
    consumed_.store(0);
    ended_.store(false);
    donePending_ = true;
    if (Pa_StartStream(stream_) != paNoError) {
      donePending_ = false;
      return WaveResult::Failed;
    }
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    stopping_.store(true);
    if (Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
    ended_.store(true);
    PostDone();
    return WaveResult::Ok;
  }

  WaveResult Close() override {
    if (stream_ == nullptr) {
      if (library_) {
        PortAudioLibrary::Release();
        library_ = false;
      }
      return WaveResult::NotOpen;
    }
    stopping_.store(true);
    Pa_AbortStream(stream_);
    Pa_CloseStream(stream_);
    stream_ = nullptr;
    PortAudioLibrary::Release();
    library_ = false;
    return WaveResult::Ok;
  }

  // Frames handed to the device, less those still on their way to the
  // speaker.
  std::uint64_t PositionFrames() const override {
    const std::uint64_t handed = consumed_.load(std::memory_order_acquire);
    return handed > latencyFrames_ ? handed - latencyFrames_ : 0;
  }
  bool IsOpen() const override { return stream_ != nullptr; }
  std::string Failure() const override { return failure_; }

 private:
  // A playing stream whose position does not move for this long has stopped.
  static constexpr auto kStillLimit = std::chrono::seconds(5);

  WaveResult Fail(WaveResult result) {
    PortAudioLibrary::Release();
    library_ = false;
    return result;
  }

  // GUI thread: the write that has ended gets its one notification, after
  // the failure when it ended before its last loop without being asked to,
  // or stopped moving.
  void PostDone() {
    if (!donePending_) return;
    std::string why;
    if (failed_.load(std::memory_order_acquire)) {
      why = "the stream stopped";
    } else if (!ended_.load(std::memory_order_acquire) && stream_ != nullptr) {
      const auto now = std::chrono::steady_clock::now();
      const std::uint64_t consumed = consumed_.load(std::memory_order_acquire);
      if (consumed != lastConsumed_) {
        lastConsumed_ = consumed;
        lastProgress_ = now;
      } else if (now - lastProgress_ > kStillLimit) {
        why = "the sound has not moved for 5 seconds";
      }
    }
    if (!why.empty()) {
      stopping_.store(true);
      if (stream_ != nullptr && Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
      failure_ = name_ + ": " + why;
      pump_.Post({MessageKind::DeviceFailed, kDeviceOutput, 0});
      ended_.store(true);
    }
    if (ended_.load(std::memory_order_acquire)) {
      donePending_ = false;
      pump_.Post({MessageKind::WaveOutDone, 0, index_});
    }
  }

  // The audio thread: copies the buffer in a loop; silence after the last loop.
  static int Callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                      PaStreamCallbackFlags, void* self) noexcept {
    auto* me = static_cast<PortAudioOutput*>(self);
    auto* out = static_cast<std::uint8_t*>(output);
    const std::uint32_t frameBytes = me->format_.BytesPerFrame();
    std::uint64_t at = me->consumed_.load(std::memory_order_relaxed);
    std::uint64_t left = frames;
    while (left > 0 && at < me->totalFrames_) {
      const std::uint64_t inBuffer = at % me->bufferFrames_;
      const std::uint64_t run = std::min({left, me->bufferFrames_ - inBuffer, me->totalFrames_ - at});
      std::memcpy(out, me->data_ + inBuffer * frameBytes, static_cast<std::size_t>(run * frameBytes));
      out += run * frameBytes;
      at += run;
      left -= run;
    }
    if (left > 0) std::memset(out, 0, static_cast<std::size_t>(left * frameBytes));
    me->consumed_.store(at, std::memory_order_release);
    return at >= me->totalFrames_ ? paComplete : paContinue;
  }

  // The audio thread, once the stream has played out or was aborted; a
  // stream that ends before its last loop without being asked has failed.
  static void Finished(void* self) noexcept {
    auto* me = static_cast<PortAudioOutput*>(self);
    if (!me->stopping_.load(std::memory_order_acquire) &&
        me->consumed_.load(std::memory_order_acquire) < me->totalFrames_) {
      me->failed_.store(true, std::memory_order_release);
    }
    me->ended_.store(true, std::memory_order_release);
    me->pump_.Signal();
  }

  MessagePump& pump_;
  PaStream* stream_ = nullptr;
  bool library_ = false;
  WaveFormat format_;
  std::uint64_t latencyFrames_ = 0;
  const std::uint8_t* data_ = nullptr;
  std::uint64_t bufferFrames_ = 1;
  std::uint64_t totalFrames_ = 0;
  int index_ = 0;
  std::atomic<std::uint64_t> consumed_{0};
  std::atomic<bool> ended_{false};
  std::atomic<bool> stopping_{false};  // the program ends the stream
  std::atomic<bool> failed_{false};    // it ended early by itself
  bool donePending_ = false;  // GUI thread: a write awaits its notification
  std::string name_;
  std::string failure_;  // GUI thread
  std::uint64_t lastConsumed_ = 0;
  std::chrono::steady_clock::time_point lastProgress_;
};

class PortAudioDevices final : public WaveDevices {
 public:
  std::unique_ptr<WaveInput> MakeInput(MessagePump& pump) override {
    return std::make_unique<PortAudioInput>(pump);
  }
  std::unique_ptr<WaveOutput> MakeOutput(MessagePump& pump) override {
    return std::make_unique<PortAudioOutput>(pump);
  }
};

}  // namespace

std::unique_ptr<WaveDevices> MakePortAudioDevices() { return std::make_unique<PortAudioDevices>(); }

}  // namespace sonavue::platform
