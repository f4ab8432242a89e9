#pragma once

#include <functional>
#include <memory>

namespace sonavue::platform {

// Runs a function on the GUI thread soon after Wake() or WakeFromAudio() is
// called from any thread. Calls still queued when the waker is destroyed are
// dropped.
class GuiWaker {
 public:
  explicit GuiWaker(std::function<void()> onWake);
  ~GuiWaker();
  GuiWaker(const GuiWaker&) = delete;
  GuiWaker& operator=(const GuiWaker&) = delete;

  // Queues a call of the function to the GUI thread's event loop (allocates).
  void Wake();
  // For an audio callback: never allocates, locks or throws. Raises a flag
  // and wakes the GUI thread's event loop, which runs the function the next
  // time it goes round.
  void WakeFromAudio() noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sonavue::platform
