#pragma once

#include <functional>
#include <memory>

namespace sonavue::platform {

// Runs a function on the GUI thread soon after Wake() is called from any
// thread. Calls still queued when the waker is destroyed are dropped.
class GuiWaker {
 public:
  explicit GuiWaker(std::function<void()> onWake);
  ~GuiWaker();
  GuiWaker(const GuiWaker&) = delete;
  GuiWaker& operator=(const GuiWaker&) = delete;

  void Wake();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sonavue::platform
