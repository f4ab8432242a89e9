#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace sonavue::platform {
namespace {

class RealClock final : public Clock {
 public:
  std::uint32_t NowMs() override {
    const auto since = std::chrono::steady_clock::now() - start_;
    // Truncation to 32 bits is intended: callers use differences only.
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  void SleepMs(std::uint32_t timeMs) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(timeMs));
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

CalendarDate Clock::Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::unique_ptr<Clock> MakeRealClock() { return std::make_unique<RealClock>(); }

void VirtualClock::Advance(std::uint32_t timeMs) {
  nowMs_ += timeMs;
  if (listener_ != nullptr) listener_(listenerContext_, nowMs_);
}

void VirtualClock::SetListener(Listener listener, void* context) {
  listener_ = listener;
  listenerContext_ = context;
}

}  // namespace sonavue::platform
