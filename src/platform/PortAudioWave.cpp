#include "platform/PortAudioWave.h"

#include <portaudio.h>

#include <mutex>

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
    return Pa_StartStream(stream_) == paNoError ? WaveResult::Ok : WaveResult::Failed;
  }

  WaveResult Stop() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    if (Pa_IsStreamActive(stream_) == 1) Pa_AbortStream(stream_);
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    // The callback has returned for good once the stream is aborted.
    if (Pa_IsStreamActive(stream_) == 1) Pa_AbortStream(stream_);
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
    Pa_AbortStream(stream_);
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

 private:
  WaveResult Fail(WaveResult result) {
    PortAudioLibrary::Release();
    library_ = false;
    return result;
  }

  // GUI thread: the buffers filled since the last look go back in order.
  void PostFilled() {
    while (WaveBuffer* buffer = queue_.TakeFilled()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
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
};

class PortAudioDevices final : public WaveDevices {
 public:
  std::unique_ptr<WaveInput> MakeInput(MessagePump& pump) override {
    return std::make_unique<PortAudioInput>(pump);
  }
  std::unique_ptr<WaveOutput> MakeOutput(MessagePump&) override { return nullptr; }
};

}  // namespace

std::unique_ptr<WaveDevices> MakePortAudioDevices() { return std::make_unique<PortAudioDevices>(); }

}  // namespace sonavue::platform
