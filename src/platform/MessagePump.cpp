#include "platform/MessagePump.h"

namespace sonavue::platform {

MessagePump::MessagePump(Hook processWindowEvents, Hook wake)
    : processWindowEvents_(std::move(processWindowEvents)), wake_(std::move(wake)) {}

void MessagePump::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(message);
  }
  if (wake_) wake_();
}

bool MessagePump::TakeNext(Message& message) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  message = queue_.front();
  queue_.pop_front();
  return true;
}

bool MessagePump::DispatchOne() {
  if (processWindowEvents_) processWindowEvents_();
  Message message;
  if (!TakeNext(message)) return false;
  if (handler_) handler_(message);
  return true;
}

void MessagePump::DispatchAll() {
  Message message;
  while (TakeNext(message)) {
    if (handler_) handler_(message);
  }
}

std::size_t MessagePump::Pending() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace sonavue::platform
