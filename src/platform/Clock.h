#pragma once

#include <cstdint>
#include <memory>

namespace sonavue::platform {

// A day of the local calendar.
struct CalendarDate {
  int year = 2000;
  int month = 1;  // 1 … 12
  int day = 1;    // 1 … 31
  bool operator==(const CalendarDate&) const = default;
};

// The millisecond clock. Only differences of NowMs() carry meaning; the
// value wraps around after 2^32 ms like the system's multimedia timer.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t NowMs() = 0;
  // Gives up the processor for about timeMs milliseconds.
  virtual void SleepMs(std::uint32_t timeMs) = 0;
  // Today's date in the local time zone (calibrations are stamped with it).
  virtual CalendarDate Today();
};

// The steady clock of the operating system.
std::unique_ptr<Clock> MakeRealClock();

// A clock that moves only when the program sleeps or a test advances it.
// Listeners (simulated devices) are told each time it moves.
class VirtualClock final : public Clock {
 public:
  using Listener = void (*)(void* context, std::uint32_t nowMs);

  explicit VirtualClock(std::uint32_t startMs = 0) : nowMs_(startMs) {}
  std::uint32_t NowMs() override { return nowMs_; }
  void SleepMs(std::uint32_t timeMs) override { Advance(timeMs); }
  // A fixed day, 7 March 2026 unless a test sets another.
  CalendarDate Today() override { return today_; }
  void SetToday(CalendarDate today) { today_ = today; }

  // Moves the clock forward and tells the listener.
  void Advance(std::uint32_t timeMs);
  // One listener at a time; pass nullptr to remove it.
  void SetListener(Listener listener, void* context);

 private:
  std::uint32_t nowMs_;
  CalendarDate today_{2026, 3, 7};
  Listener listener_ = nullptr;
  void* listenerContext_ = nullptr;
};

}  // namespace sonavue::platform
