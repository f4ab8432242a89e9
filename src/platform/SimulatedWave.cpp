#include "platform/SimulatedWave.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/InputQueue.h"
#include "platform/MessagePump.h"

namespace sonavue::platform {

class SimulatedInput;
class SimulatedOutput;

struct SimulatedDevices::Shared {
  Clock& clock;
  VirtualClock* virtualClock = nullptr;
  SignalSource source;
  std::uint32_t deliveryDelayMs = 0;
  std::mutex mutex;
  SimulatedInput* active = nullptr;  // the input now running, if any
  SimulatedOutput* activeOutput = nullptr;  // the output now playing, if any
  bool refuseOutput = false;
  std::uint32_t outputStartDelayMs = 0;
  // Failures to inject: after so many frames of the input's stream, of the
  // output's write.
  std::optional<std::uint64_t> inputFailAt;
  std::string inputFailReason;
  std::optional<std::uint64_t> outputFailAt;
  std::string outputFailReason;
  // Every sample frame the outputs have played, in order, and their format.
  std::vector<std::uint8_t> played;
  WaveFormat playedFormat;
  std::function<void(std::uint32_t)> tickHook;
  explicit Shared(Clock& c) : clock(c) {}
};

// Fills its queue exactly as the real device's callback does, from the
// signal source at the rate the clock says time passes.
class SimulatedInput final : public WaveInput {
 public:
  SimulatedInput(MessagePump& pump, std::shared_ptr<SimulatedDevices::Shared> shared, bool refuse)
      : pump_(pump), shared_(std::move(shared)), refuse_(refuse) {
    pump_.AddSource(this, [this] { PostFilled(); });
  }
  ~SimulatedInput() override {
    Close();
    pump_.RemoveSource(this);
  }

  WaveResult Open(const WaveFormat& format) override {
    if (open_) return WaveResult::Failed;
    if (refuse_ || (format.bitsPerSample != 16 && format.bitsPerSample != 24) ||
        (format.channels != 1 && format.channels != 2) || format.sampleRate == 0) {
      return WaveResult::BadFormat;
    }
    format_ = format;
    queue_.Configure(format.BytesPerFrame());
    scratch_.assign(kChunkFrames * format.BytesPerFrame(), 0);
    open_ = true;
    return WaveResult::Ok;
  }

  WaveResult AddBuffer(WaveBuffer& buffer) override {
    if (!open_) return WaveResult::NotOpen;
    return queue_.Add(buffer) ? WaveResult::Ok : WaveResult::Failed;
  }

  WaveResult Start() override {
    if (!open_) return WaveResult::NotOpen;
    {
      std::lock_guard lock(shared_->mutex);
      if (running_) return WaveResult::Failed;
      queue_.Restart();
      startMs_ = shared_->clock.NowMs();
      producedFrames_ = 0;
      running_ = true;
      failed_.store(false);
      failurePosted_ = false;
      failure_.clear();
      shared_->active = this;
    }
    if (shared_->virtualClock == nullptr) {
      stopThread_ = false;
      thread_ = std::thread([this] {
        while (!stopThread_) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          Produce();
        }
      });
    }
    return WaveResult::Ok;
  }

  WaveResult Stop() override {
    if (!open_) return WaveResult::NotOpen;
    Produce();
    Halt();
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (!open_) return WaveResult::NotOpen;
    Produce();
    Halt();
    while (WaveBuffer* buffer = queue_.TakeQueued()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
    return WaveResult::Ok;
  }

  WaveResult Close() override {
    if (!open_) return WaveResult::NotOpen;
    Halt();
    PostFilled();
    queue_.Clear();
    open_ = false;
    pump_.Post({MessageKind::WaveInClose, 0, 0});
    return WaveResult::Ok;
  }

  bool IsOpen() const override { return open_; }
  std::uint64_t DeliveredFrames() const override { return queue_.DeliveredFrames(); }
  std::uint64_t Overflows() const override { return queue_.Overflows(); }
  std::string Failure() const override {
    std::lock_guard lock(shared_->mutex);
    return failure_;
  }

  // The producer: hands the queue what the clock says has been heard by now.
  void Produce() {
    bool filled = false;
    bool failing = false;
    {
      std::lock_guard lock(shared_->mutex);
      if (!running_ || failed_.load()) return;
      const std::uint32_t elapsed = shared_->clock.NowMs() - startMs_;
      const std::uint32_t heard = elapsed > shared_->deliveryDelayMs ? elapsed - shared_->deliveryDelayMs : 0;
      std::uint64_t due = static_cast<std::uint64_t>(heard) * format_.sampleRate / 1000;
      if (shared_->inputFailAt && due >= *shared_->inputFailAt) {
        due = *shared_->inputFailAt;
        failing = true;
      }
      const std::uint32_t frameBytes = format_.BytesPerFrame();
      while (producedFrames_ < due) {
        // With no buffer queued the device drops what it hears, as a real one does.
        if (!queue_.HasBuffer()) {
          queue_.Discard(static_cast<std::size_t>(due - producedFrames_));
          producedFrames_ = due;
          break;
        }
        const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, due - producedFrames_));
        std::uint8_t* out = scratch_.data();
        for (std::size_t f = 0; f < frames; ++f) {
          WriteFrame(out, producedFrames_ + f);
          out += frameBytes;
        }
        filled = queue_.Deliver(scratch_.data(), frames).filledBuffers > 0 || filled;
        producedFrames_ += frames;
      }
      if (failing) {
        // The device is gone: nothing more arrives, and the GUI thread is
        // told on its next look.
        failure_ = "simulated input: " + shared_->inputFailReason;
        shared_->inputFailAt.reset();
        failed_.store(true);
      }
    }
    if (filled || failing) pump_.Signal();
  }

 private:
  static constexpr std::size_t kChunkFrames = 1024;

  // GUI thread: the buffers filled since the last look go back in order,
  // then a failure is reported once.
  void PostFilled() {
    while (WaveBuffer* buffer = queue_.TakeFilled()) pump_.Post({MessageKind::WaveInData, 0, buffer->index});
    if (failed_.load() && !failurePosted_) {
      failurePosted_ = true;
      pump_.Post({MessageKind::DeviceFailed, kDeviceInput, 0});
    }
  }

  void Halt() {
    if (thread_.joinable()) {
      stopThread_ = true;
      thread_.join();
    }
    std::lock_guard lock(shared_->mutex);
    running_ = false;
    if (shared_->active == this) shared_->active = nullptr;
  }

  void WriteFrame(std::uint8_t* out, std::uint64_t frame) {
    const SignalSource& s = shared_->source;
    for (int c = 0; c < format_.channels; ++c) {
      double v = 0.0;
      const double amplitude = c == 1 && s.rightAmplitude >= 0.0 ? s.rightAmplitude : s.amplitude;
      switch (s.kind) {
        case SignalSource::Kind::Silence: break;
        case SignalSource::Kind::Tone:
          v = amplitude * std::sin(2.0 * M_PI * s.frequencyHz * static_cast<double>(frame) /
                                   format_.sampleRate);
          break;
        case SignalSource::Kind::Noise:
          noise_ = noise_ * 1664525u + 1013904223u;
          v = amplitude * ((static_cast<double>(noise_ >> 8) / 8388608.0) - 1.0);
          break;
        case SignalSource::Kind::Samples:
          if (!s.samples.empty()) v = s.samples[frame % s.samples.size()] * (amplitude / 32767.0);
          break;
      }
      if (format_.bitsPerSample == 16) {
        const auto x = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
        out[0] = static_cast<std::uint8_t>(x);
        out[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(x) >> 8);
        out += 2;
      } else {
        const auto x = static_cast<std::int32_t>(std::lround(std::clamp(v * 256.0, -8388608.0, 8388607.0)));
        out[0] = static_cast<std::uint8_t>(x);
        out[1] = static_cast<std::uint8_t>(x >> 8);
        out[2] = static_cast<std::uint8_t>(x >> 16);
        out += 3;
      }
    }
  }

  MessagePump& pump_;
  std::shared_ptr<SimulatedDevices::Shared> shared_;
  bool refuse_;
  bool open_ = false;
  bool running_ = false;
  WaveFormat format_;
  InputQueue queue_;
  std::vector<std::uint8_t> scratch_;  // one chunk of generated frames
  std::uint32_t startMs_ = 0;
  std::uint64_t producedFrames_ = 0;
  std::uint32_t noise_ = 12345;
  std::thread thread_;
  std::atomic<bool> stopThread_{false};
  std::atomic<bool> failed_{false};  // the injected failure has happened
  bool failurePosted_ = false;       // GUI thread
  std::string failure_;              // under the shared mutex
};

// Plays as fast as the clock says time passes: every frame it "plays" is read
// from the program's buffer at that moment (so a late refill is heard as
// such) and kept in the shared record of what was played.
class SimulatedOutput final : public WaveOutput {
 public:
  SimulatedOutput(MessagePump& pump, std::shared_ptr<SimulatedDevices::Shared> shared)
      : pump_(pump), shared_(std::move(shared)) {}
  ~SimulatedOutput() override { Close(); }

  WaveResult Open(const WaveFormat& format) override {
    if (open_) return WaveResult::Failed;
    if (shared_->refuseOutput || (format.bitsPerSample != 16 && format.bitsPerSample != 24) ||
        (format.channels != 1 && format.channels != 2) || format.sampleRate == 0) {
      return WaveResult::BadFormat;
    }
    format_ = format;
    open_ = true;
    std::lock_guard lock(shared_->mutex);
    shared_->playedFormat = format;
    return WaveResult::Ok;
  }

  WaveResult Write(WaveBuffer& buffer, int loops) override {
    if (!open_) return WaveResult::NotOpen;
    const std::uint32_t frameBytes = format_.BytesPerFrame();
    if (loops < 1 || buffer.data.size() < frameBytes) return WaveResult::Failed;
    {
      std::lock_guard lock(shared_->mutex);
      if (playing_) return WaveResult::Failed;
    }
    if (thread_.joinable()) {  // the player of the last write, which ended by itself
      stopThread_ = true;
      thread_.join();
    }
    {
      std::lock_guard lock(shared_->mutex);
      buffer_ = &buffer;
      bufferFrames_ = buffer.data.size() / frameBytes;
      totalFrames_ = bufferFrames_ * static_cast<std::uint64_t>(loops);
      consumed_ = 0;
      failure_.clear();
      startMs_ = shared_->clock.NowMs() + shared_->outputStartDelayMs;
      playing_ = true;
      shared_->activeOutput = this;
    }
    if (shared_->virtualClock == nullptr) {
      stopThread_ = false;
      thread_ = std::thread([this] {
        while (!stopThread_) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          Produce();
        }
      });
    }
    return WaveResult::Ok;
  }

  WaveResult Reset() override {
    if (!open_) return WaveResult::NotOpen;
    Produce();
    Halt(true);
    return WaveResult::Ok;
  }

  WaveResult Close() override {
    if (!open_) return WaveResult::NotOpen;
    Halt(true);
    open_ = false;
    return WaveResult::Ok;
  }

  std::uint64_t PositionFrames() const override { return consumed_.load(); }
  bool IsOpen() const override { return open_; }
  std::string Failure() const override {
    std::lock_guard lock(shared_->mutex);
    return failure_;
  }

  // Plays what the clock says has sounded by now; the end of the last loop
  // sends the done notification.
  void Produce() {
    bool ended = false;
    bool failing = false;
    {
      std::lock_guard lock(shared_->mutex);
      if (!playing_) return;
      const std::uint32_t now = shared_->clock.NowMs();
      // Nothing sounds before the (possibly delayed) start.
      const std::uint64_t elapsed = static_cast<std::int32_t>(now - startMs_) > 0 ? now - startMs_ : 0;
      std::uint64_t due = std::min<std::uint64_t>(elapsed * format_.sampleRate / 1000, totalFrames_);
      if (shared_->outputFailAt && due >= *shared_->outputFailAt && *shared_->outputFailAt < totalFrames_) {
        due = *shared_->outputFailAt;
        failing = true;
      }
      const std::uint32_t frameBytes = format_.BytesPerFrame();
      std::uint64_t at = consumed_.load();
      while (at < due) {
        const std::uint64_t inBuffer = at % bufferFrames_;
        const std::uint64_t run = std::min(due - at, bufferFrames_ - inBuffer);
        const std::uint8_t* from = buffer_->data.data() + inBuffer * frameBytes;
        shared_->played.insert(shared_->played.end(), from, from + run * frameBytes);
        at += run;
      }
      consumed_.store(at);
      ended = at >= totalFrames_;
      if (failing) {
        failure_ = "simulated output: " + shared_->outputFailReason;
        shared_->outputFailAt.reset();
      }
    }
    if (failing) {
      pump_.Post({MessageKind::DeviceFailed, kDeviceOutput, 0});
      Halt(true);
    } else if (ended) {
      Halt(true);
    }
  }

 private:
  // Stops playing; notify posts the done notification of the buffer in play.
  void Halt(bool notify) {
    if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) {
      stopThread_ = true;
      thread_.join();
    } else if (thread_.joinable()) {
      stopThread_ = true;  // the thread itself ended the last loop; joined later
    }
    int index = -1;
    {
      std::lock_guard lock(shared_->mutex);
      if (!playing_) return;
      playing_ = false;
      if (shared_->activeOutput == this) shared_->activeOutput = nullptr;
      index = buffer_->index;
    }
    if (notify) pump_.Post({MessageKind::WaveOutDone, 0, index});
  }

  MessagePump& pump_;
  std::shared_ptr<SimulatedDevices::Shared> shared_;
  bool open_ = false;
  bool playing_ = false;
  WaveFormat format_;
  WaveBuffer* buffer_ = nullptr;
  std::uint64_t bufferFrames_ = 0;
  std::uint64_t totalFrames_ = 0;
  std::atomic<std::uint64_t> consumed_{0};
  std::uint32_t startMs_ = 0;
  std::thread thread_;
  std::atomic<bool> stopThread_{false};
  std::string failure_;  // under the shared mutex
};

SimulatedDevices::SimulatedDevices(Clock& clock, VirtualClock* virtualClock)
    : shared_(std::make_shared<Shared>(clock)) {
  shared_->virtualClock = virtualClock;
  if (virtualClock != nullptr) {
    virtualClock->SetListener(
        [](void* context, std::uint32_t now) {
          auto* shared = static_cast<Shared*>(context);
          if (shared->tickHook) shared->tickHook(now);
          SimulatedInput* input = nullptr;
          SimulatedOutput* output = nullptr;
          {
            std::lock_guard lock(shared->mutex);
            input = shared->active;
            output = shared->activeOutput;
          }
          if (input != nullptr) input->Produce();
          if (output != nullptr) output->Produce();
        },
        shared_.get());
  }
}

SimulatedDevices::~SimulatedDevices() {
  if (shared_->virtualClock != nullptr) shared_->virtualClock->SetListener(nullptr, nullptr);
}

void SimulatedDevices::SetTickHook(std::function<void(std::uint32_t)> hook) {
  shared_->tickHook = std::move(hook);
}

void SimulatedDevices::SetDeliveryDelayMs(std::uint32_t delayMs) {
  std::lock_guard lock(shared_->mutex);
  shared_->deliveryDelayMs = delayMs;
}

void SimulatedDevices::FailInputAfterFrames(std::uint64_t frames, std::string reason) {
  std::lock_guard lock(shared_->mutex);
  shared_->inputFailAt = frames;
  shared_->inputFailReason = std::move(reason);
}

void SimulatedDevices::FailOutputAfterFrames(std::uint64_t frames, std::string reason) {
  std::lock_guard lock(shared_->mutex);
  shared_->outputFailAt = frames;
  shared_->outputFailReason = std::move(reason);
}

void SimulatedDevices::SetSource(SignalSource source) {
  std::lock_guard lock(shared_->mutex);
  shared_->source = std::move(source);
}

std::unique_ptr<WaveInput> SimulatedDevices::MakeInput(MessagePump& pump) {
  return std::make_unique<SimulatedInput>(pump, shared_, refuse_);
}

std::unique_ptr<WaveOutput> SimulatedDevices::MakeOutput(MessagePump& pump) {
  return std::make_unique<SimulatedOutput>(pump, shared_);
}

void SimulatedDevices::RefuseOutput(bool refuse) {
  std::lock_guard lock(shared_->mutex);
  shared_->refuseOutput = refuse;
}

void SimulatedDevices::SetOutputStartDelayMs(std::uint32_t delayMs) {
  std::lock_guard lock(shared_->mutex);
  shared_->outputStartDelayMs = delayMs;
}

std::vector<std::uint8_t> SimulatedDevices::PlayedBytes() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->played;
}

WaveFormat SimulatedDevices::PlayedFormat() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->playedFormat;
}

void SimulatedDevices::ClearPlayed() {
  std::lock_guard lock(shared_->mutex);
  shared_->played.clear();
}

}  // namespace sonavue::platform
