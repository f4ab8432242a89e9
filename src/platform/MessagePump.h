#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace sonavue::platform {

// What a queued message stands for. Commands are posted by the program
// itself; the device notifications come from the sound-card threads.
enum class MessageKind {
  Command,       // id = command identifier, param = reason
  WaveInData,    // a filled input buffer came back; param = buffer index
  WaveInClose,   // the input device closed
  WaveOutDone,   // an output buffer finished playing; param = buffer index
};

struct Message {
  MessageKind kind = MessageKind::Command;
  std::int32_t id = 0;
  std::int64_t param = 0;
};

// The program's message queue. Any thread may post; messages are handled on
// the GUI thread, one at a time, in the order they were posted. Engine loops
// call DispatchOne() between frames so that window events and device
// notifications are handled while they run; a handler may itself run such a
// loop (re-entrancy is allowed).
class MessagePump {
 public:
  using Handler = std::function<void(const Message&)>;
  using Hook = std::function<void()>;

  // processWindowEvents runs pending window-system events (keys, mouse,
  // paints); wake asks the GUI thread to drain the queue soon. Either may be
  // empty.
  MessagePump(Hook processWindowEvents, Hook wake);

  void SetHandler(Handler handler) { handler_ = std::move(handler); }

  // Thread-safe.
  void Post(const Message& message);

  // Runs pending window events, then hands at most one queued message to the
  // handler. Returns whether a message was handled. GUI thread only.
  bool DispatchOne();

  // Hands every queued message to the handler, including those posted while
  // it runs, then returns. GUI thread only.
  void DispatchAll();

  // Number of messages waiting. Thread-safe.
  std::size_t Pending() const;

 private:
  bool TakeNext(Message& message);

  Hook processWindowEvents_;
  Hook wake_;
  Handler handler_;
  mutable std::mutex mutex_;
  std::deque<Message> queue_;
};

}  // namespace sonavue::platform
