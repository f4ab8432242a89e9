#include "platform/MessagePump.h"

namespace sonavue::platform {

MessagePump::MessagePump(Hook processWindowEvents, Hook wake, Hook signal)
    : processWindowEvents_(std::move(processWindowEvents)), wake_(std::move(wake)), signal_(std::move(signal)) {}

void MessagePump::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(message);
  }
  if (wake_) wake_();
}

void MessagePump::AddSource(const void* owner, Hook poll) { sources_.emplace_back(owner, std::move(poll)); }

void MessagePump::RemoveSource(const void* owner) {
  std::erase_if(sources_, [owner](const auto& source) { return source.first == owner; });
}

void MessagePump::Signal() noexcept {
  if (signal_) signal_();
}

void MessagePump::PollSources() {
  // A poll only posts: the list does not change while they run.
  for (const auto& source : sources_) source.second();
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
  PollSources();
  Message message;
  if (!TakeNext(message)) return false;
  if (handler_) handler_(message);
  return true;
}

void MessagePump::DispatchAll() {
  PollSources();
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
