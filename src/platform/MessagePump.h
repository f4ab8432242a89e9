#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace sonavue::platform {

// What a queued message stands for. Commands are posted by the program
// itself; the device notifications come from the sound-card threads.
enum class MessageKind {
  Command,       // id = command identifier, param = reason
  WaveInData,    // a filled input buffer came back; param = buffer index
  WaveInClose,   // the input device closed
  WaveOutDone,   // an output buffer finished playing; param = buffer index
  DeviceFailed,  // a device stopped working while in use; id = DeviceSide
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
  // paints); wake asks the GUI thread to drain the queue soon; signal does
  // the same from a thread that must not allocate or lock (it is called
  // from audio callbacks, so it must do neither). Any may be empty.
  MessagePump(Hook processWindowEvents, Hook wake, Hook signal = {});

  void SetHandler(Handler handler) { handler_ = std::move(handler); }

  // Thread-safe; allocates.
  void Post(const Message& message);

  // A source of notifications that cannot post itself (an audio callback):
  // poll runs on the GUI thread before every dispatch and posts what has
  // become due. GUI thread only; owner identifies the source for removal.
  void AddSource(const void* owner, Hook poll);
  void RemoveSource(const void* owner);
  // From any thread, without allocating, locking or throwing: asks the GUI
  // thread to poll the sources soon.
  void Signal() noexcept;

  // Runs pending window events and polls the sources, then hands at most one
  // queued message to the handler. Returns whether a message was handled. GUI thread only.
  bool DispatchOne();

  // Polls the sources, then hands every queued message to the handler,
  // including those posted while it runs, then returns. GUI thread only.
  void DispatchAll();

  // Number of messages waiting. Thread-safe.
  std::size_t Pending() const;

 private:
  bool TakeNext(Message& message);
  void PollSources();

  Hook processWindowEvents_;
  Hook wake_;
  Hook signal_;
  Handler handler_;
  std::vector<std::pair<const void*, Hook>> sources_;
  mutable std::mutex mutex_;
  std::deque<Message> queue_;
};

}  // namespace sonavue::platform
