#include "platform/InputQueue.h"

#include <algorithm>
#include <cstring>

namespace sonavue::platform {

void InputQueue::Configure(std::uint32_t frameBytes) {
  slots_.fill(nullptr);
  frameBytes_ = std::max<std::uint32_t>(1, frameBytes);
  tail_.store(0, std::memory_order_relaxed);
  head_.store(0, std::memory_order_relaxed);
  taken_ = 0;
  headBytes_.store(0, std::memory_order_relaxed);
  Restart();
}

void InputQueue::Restart() {
  delivered_.store(0, std::memory_order_release);
  dropped_.store(0, std::memory_order_relaxed);
  overflows_.store(0, std::memory_order_relaxed);
  dropping_ = false;
}

bool InputQueue::Add(WaveBuffer& buffer) {
  const std::uint64_t tail = tail_.load(std::memory_order_relaxed);
  if (tail - taken_ >= kCapacity) return false;
  buffer.bytesRecorded = 0;
  slots_[tail % kCapacity] = &buffer;
  // Publishes the slot and the buffer to the producer.
  tail_.store(tail + 1, std::memory_order_release);
  return true;
}

WaveBuffer* InputQueue::TakeFilled() {
  if (taken_ >= head_.load(std::memory_order_acquire)) return nullptr;
  return slots_[taken_++ % kCapacity];
}

WaveBuffer* InputQueue::TakeQueued() {
  const std::uint64_t head = head_.load(std::memory_order_acquire);
  if (taken_ >= tail_.load(std::memory_order_relaxed)) return nullptr;
  WaveBuffer* buffer = slots_[taken_ % kCapacity];
  if (taken_ >= head) {
    // With the producer stopped the head may be moved from this side.
    buffer->bytesRecorded = taken_ == head ? headBytes_.load(std::memory_order_acquire) : 0;
    headBytes_.store(0, std::memory_order_relaxed);
    head_.store(taken_ + 1, std::memory_order_release);
  }
  ++taken_;
  return buffer;
}

void InputQueue::Clear() {
  const std::uint64_t tail = tail_.load(std::memory_order_relaxed);
  taken_ = tail;
  head_.store(tail, std::memory_order_release);
  headBytes_.store(0, std::memory_order_relaxed);
  dropping_ = false;
}

InputQueue::Delivery InputQueue::Deliver(const std::uint8_t* data, std::size_t frames) noexcept {
  Delivery result;
  std::uint64_t head = head_.load(std::memory_order_relaxed);  // written only here while running
  std::size_t fill = headBytes_.load(std::memory_order_relaxed);
  while (frames > 0) {
    if (head == tail_.load(std::memory_order_acquire)) {
      Drop(frames);
      break;
    }
    WaveBuffer* buffer = slots_[head % kCapacity];
    const std::size_t capacity = buffer->data.size() - buffer->data.size() % frameBytes_;
    const std::size_t taken = std::min(frames, (capacity - fill) / frameBytes_);
    if (taken > 0) {
      const std::size_t bytes = taken * frameBytes_;
      std::memcpy(buffer->data.data() + fill, data, bytes);
      data += bytes;
      frames -= taken;
      fill += bytes;
      result.acceptedFrames += taken;
      dropping_ = false;
      // Publishes the bytes just copied to readers of the counts.
      headBytes_.store(fill, std::memory_order_release);
      delivered_.store(delivered_.load(std::memory_order_relaxed) + taken, std::memory_order_release);
    }
    if (fill == capacity) {
      buffer->bytesRecorded = fill;
      fill = 0;
      headBytes_.store(0, std::memory_order_relaxed);
      // Hands the buffer (and its bytesRecorded) back to the GUI thread.
      head_.store(++head, std::memory_order_release);
      ++result.filledBuffers;
    }
  }
  return result;
}

void InputQueue::Discard(std::size_t frames) noexcept { Drop(frames); }

void InputQueue::Drop(std::size_t frames) noexcept {
  if (frames == 0) return;
  dropped_.fetch_add(frames, std::memory_order_relaxed);
  if (!dropping_) overflows_.fetch_add(1, std::memory_order_relaxed);
  dropping_ = true;
}

void InputQueue::NoteDeviceOverflow() noexcept { overflows_.fetch_add(1, std::memory_order_relaxed); }

bool InputQueue::HasBuffer() const noexcept {
  return head_.load(std::memory_order_relaxed) != tail_.load(std::memory_order_acquire);
}

}  // namespace sonavue::platform
