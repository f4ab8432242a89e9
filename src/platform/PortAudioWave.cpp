#include "platform/PortAudioWave.h"

#include <portaudio.h>

#include <cstring>
#include <deque>
#include <mutex>

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

// Input from the default device. The audio callback copies samples into the
// buffer at the head of the queue and, when it is full, hands it back to the
// GUI thread through the message pump. The callback never touches anything
// but this object's queue.
class PortAudioInput final : public WaveInput {
 public:
  explicit PortAudioInput(MessagePump& pump) : pump_(pump) {}
  ~PortAudioInput() override { Close(); }

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
    if (Pa_OpenStream(&stream_, &input, nullptr, format.sampleRate, paFramesPerBufferUnspecified,
                      paNoFlag, &PortAudioInput::Callback, this) != paNoError) {
      stream_ = nullptr;
      return Fail(WaveResult::BadFormat);
    }
    format_ = format;
    return WaveResult::Ok;
  }

  WaveResult AddBuffer(WaveBuffer& buffer) override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    std::lock_guard lock(mutex_);
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    return WaveResult::Ok;
  }

  WaveResult Start() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    return Pa_StartStream(stream_) == paNoError ? WaveResult::Ok : WaveResult::Failed;
  }

  WaveResult Stop() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    if (Pa_IsStreamActive(stream_) == 1) Pa_AbortStream(stream_);
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (stream_ == nullptr) return WaveResult::NotOpen;
    if (Pa_IsStreamActive(stream_) == 1) Pa_AbortStream(stream_);
    // Every queued buffer comes back, the one being filled with what it holds.
    std::deque<WaveBuffer*> returned;
    {
      std::lock_guard lock(mutex_);
      returned.swap(queue_);
    }
    for (WaveBuffer* buffer : returned) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
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
    {
      std::lock_guard lock(mutex_);
      queue_.clear();
    }
    PortAudioLibrary::Release();
    library_ = false;
    pump_.Post({MessageKind::WaveInClose, 0, 0});
    return WaveResult::Ok;
  }

  bool IsOpen() const override { return stream_ != nullptr; }

  std::size_t BytesInFillingBuffer() const override {
    std::lock_guard lock(mutex_);
    return queue_.empty() ? 0 : queue_.front()->bytesRecorded;
  }

 private:
  WaveResult Fail(WaveResult result) {
    PortAudioLibrary::Release();
    library_ = false;
    return result;
  }

  static int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                      PaStreamCallbackFlags, void* self) {
    static_cast<PortAudioInput*>(self)->Deliver(static_cast<const std::uint8_t*>(input), frames);
    return paContinue;
  }

  void Deliver(const std::uint8_t* input, unsigned long frames) {
    if (input == nullptr) return;
    std::size_t bytes = frames * format_.BytesPerFrame();
    std::lock_guard lock(mutex_);
    while (bytes > 0 && !queue_.empty()) {
      WaveBuffer* buffer = queue_.front();
      const std::size_t room = buffer->data.size() - buffer->bytesRecorded;
      const std::size_t take = std::min(room, bytes);
      std::memcpy(buffer->data.data() + buffer->bytesRecorded, input, take);
      buffer->bytesRecorded += take;
      input += take;
      bytes -= take;
      if (buffer->bytesRecorded == buffer->data.size()) {
        queue_.pop_front();
        pump_.Post({MessageKind::WaveInData, 0, buffer->index});
      }
    }
  }

  MessagePump& pump_;
  PaStream* stream_ = nullptr;
  bool library_ = false;
  WaveFormat format_;
  mutable std::mutex mutex_;
  std::deque<WaveBuffer*> queue_;
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
