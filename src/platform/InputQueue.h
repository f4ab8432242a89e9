#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/WaveIo.h"

namespace sonavue::platform {

// The queue of input buffers between the GUI thread and the thread that
// delivers samples (an audio callback): a fixed ring of buffer slots with one
// producer and one consumer. The producer only copies samples into the buffer
// at the head and publishes its progress through atomics: it never
// allocates, locks or throws. The GUI thread queues buffers, takes filled
// ones back in queue order and reads the progress counters.
//
// Buffers are filled with whole sample frames; a buffer is full when less
// than a frame of room is left. Frames that arrive while no buffer is queued
// are dropped and counted.
class InputQueue {
 public:
  // At most this many buffers are queued or waiting to be taken back.
  static constexpr std::size_t kCapacity = 8;

  struct Delivery {
    std::size_t acceptedFrames = 0;  // copied into queued buffers; the rest were dropped
    std::size_t filledBuffers = 0;   // buffers that became full
  };

  // --- GUI thread ---

  // Empties the queue and sets the frame size in bytes (>= 1). The producer
  // must not be running.
  void Configure(std::uint32_t frameBytes);
  // Zeroes the delivered, dropped and overflow counts, as at the start of a
  // stream. The producer must not be running.
  void Restart();
  // Queues a buffer (its bytesRecorded becomes 0). False when kCapacity
  // buffers are already queued or not yet taken back.
  bool Add(WaveBuffer& buffer);
  // The next filled buffer in queue order, its bytesRecorded set; nullptr
  // when none has filled since the last call.
  WaveBuffer* TakeFilled();
  // The next buffer in queue order whatever it holds: filled ones, then the
  // one being filled with the bytes written so far, then empty ones; nullptr
  // when the queue is empty. The producer must not be running.
  WaveBuffer* TakeQueued();
  // Forgets every queued buffer. The producer must not be running.
  void Clear();

  // --- producer thread ---

  // Copies `frames` sample frames from `data` into the queued buffers in
  // order; what finds no buffer is dropped and counted.
  Delivery Deliver(const std::uint8_t* data, std::size_t frames) noexcept;
  // Counts `frames` frames lost without looking at any buffer.
  void Discard(std::size_t frames) noexcept;
  // Counts an overflow the device itself reported (input lost before it
  // reached the program).
  void NoteDeviceOverflow() noexcept;
  // Whether a buffer is queued to receive frames.
  bool HasBuffer() const noexcept;

  // --- any thread ---

  // Sample frames copied into buffers since Restart; never decreases. With
  // buffers of equal size S queued in turn, stream frame k lies in the
  // (k / S)-th buffer queued, at frame k % S.
  std::uint64_t DeliveredFrames() const noexcept { return delivered_.load(std::memory_order_acquire); }
  // Frames dropped for want of a queued buffer since Restart.
  std::uint64_t DroppedFrames() const noexcept { return dropped_.load(std::memory_order_relaxed); }
  // Gaps in the input since Restart: each run of dropped frames and each
  // overflow the device reported counts once.
  std::uint64_t Overflows() const noexcept { return overflows_.load(std::memory_order_relaxed); }
  // Buffers filled since Configure.
  std::uint64_t FilledBuffers() const noexcept { return head_.load(std::memory_order_acquire); }

 private:
  void Drop(std::size_t frames) noexcept;

  std::array<WaveBuffer*, kCapacity> slots_{};
  std::size_t frameBytes_ = 1;
  // Counts of buffers since Configure: queued (written by the GUI thread),
  // filled (written by the producer) and taken back (GUI thread only).
  // Slot i % kCapacity holds buffer number i.
  std::atomic<std::uint64_t> tail_{0};
  std::atomic<std::uint64_t> head_{0};
  std::uint64_t taken_ = 0;
  // Bytes written into the buffer at the head.
  std::atomic<std::size_t> headBytes_{0};
  std::atomic<std::uint64_t> delivered_{0};
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<std::uint64_t> overflows_{0};
  bool dropping_ = false;  // producer only: the last frames were dropped

  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
};

}  // namespace sonavue::platform
