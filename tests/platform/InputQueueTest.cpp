#include "platform/InputQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace sonavue::platform {
namespace {

// Frames of 6 bytes (stereo, 24 bits) that carry their own stream position.
constexpr std::uint32_t kFrameBytes = 6;

void PutFrame(std::uint8_t* out, std::uint64_t position) {
  for (std::uint32_t i = 0; i < kFrameBytes; ++i) out[i] = static_cast<std::uint8_t>(position >> (8 * i));
}

std::uint64_t FrameAt(const std::uint8_t* in) {
  std::uint64_t position = 0;
  for (std::uint32_t i = 0; i < kFrameBytes; ++i) position |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  return position;
}

// Frames [from, from + count) of the stream.
std::vector<std::uint8_t> Frames(std::uint64_t from, std::size_t count) {
  std::vector<std::uint8_t> bytes(count * kFrameBytes);
  for (std::size_t f = 0; f < count; ++f) PutFrame(bytes.data() + f * kFrameBytes, from + f);
  return bytes;
}

// A buffer of `frames` frames (plus `extraBytes` less than a frame).
struct TestBuffer {
  std::vector<std::uint8_t> memory;
  WaveBuffer buffer;
  TestBuffer(std::size_t frames, int index, std::size_t extraBytes = 0)
      : memory(frames * kFrameBytes + extraBytes, 0xEE) {
    buffer.data = memory;
    buffer.index = index;
  }
};

// Whether the first bytesRecorded bytes of the buffer are stream frames
// from `from` on.
::testing::AssertionResult HoldsStream(const WaveBuffer& buffer, std::uint64_t from) {
  if (buffer.bytesRecorded % kFrameBytes != 0) {
    return ::testing::AssertionFailure() << buffer.bytesRecorded << " bytes are not whole frames";
  }
  for (std::size_t f = 0; f < buffer.bytesRecorded / kFrameBytes; ++f) {
    if (FrameAt(buffer.data.data() + f * kFrameBytes) != from + f) {
      return ::testing::AssertionFailure() << "frame " << f << " of buffer " << buffer.index << " is not "
                                           << from + f;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(InputQueueTest, FilledBuffersComeBackInTheOrderQueued) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  TestBuffer a(100, 0), b(100, 1), c(100, 2);
  ASSERT_TRUE(queue.Add(a.buffer));
  ASSERT_TRUE(queue.Add(b.buffer));
  ASSERT_TRUE(queue.Add(c.buffer));
  EXPECT_EQ(queue.TakeFilled(), nullptr);

  // 250 frames in pieces that do not line up with the buffers.
  const auto stream = Frames(0, 250);
  EXPECT_EQ(queue.Deliver(stream.data(), 70).filledBuffers, 0U);
  const InputQueue::Delivery delivery = queue.Deliver(stream.data() + 70 * kFrameBytes, 180);
  EXPECT_EQ(delivery.acceptedFrames, 180U);
  EXPECT_EQ(delivery.filledBuffers, 2U);

  WaveBuffer* first = queue.TakeFilled();
  WaveBuffer* second = queue.TakeFilled();
  ASSERT_EQ(first, &a.buffer);
  ASSERT_EQ(second, &b.buffer);
  EXPECT_EQ(queue.TakeFilled(), nullptr);
  EXPECT_EQ(first->bytesRecorded, 100 * kFrameBytes);
  EXPECT_TRUE(HoldsStream(*first, 0));
  EXPECT_TRUE(HoldsStream(*second, 100));
  // The third is being filled: 50 frames so far, never handed back early.
  EXPECT_EQ(c.memory[50 * kFrameBytes], 0xEE);
  EXPECT_EQ(FrameAt(c.memory.data() + 49 * kFrameBytes), 249U);
  EXPECT_EQ(queue.FilledBuffers(), 2U);
}

TEST(InputQueueTest, AResetHandsBackEveryBufferWithWhatItHolds) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  TestBuffer a(100, 0), b(100, 1), c(100, 2);
  queue.Add(a.buffer);
  queue.Add(b.buffer);
  queue.Add(c.buffer);
  const auto stream = Frames(0, 130);
  queue.Deliver(stream.data(), 130);

  // Filled, partly filled, empty: in queue order.
  WaveBuffer* taken = queue.TakeQueued();
  ASSERT_EQ(taken, &a.buffer);
  EXPECT_EQ(taken->bytesRecorded, 100 * kFrameBytes);
  taken = queue.TakeQueued();
  ASSERT_EQ(taken, &b.buffer);
  EXPECT_EQ(taken->bytesRecorded, 30 * kFrameBytes);
  EXPECT_TRUE(HoldsStream(*taken, 100));
  taken = queue.TakeQueued();
  ASSERT_EQ(taken, &c.buffer);
  EXPECT_EQ(taken->bytesRecorded, 0U);
  EXPECT_EQ(queue.TakeQueued(), nullptr);
  EXPECT_EQ(queue.TakeFilled(), nullptr);
  EXPECT_FALSE(queue.HasBuffer());

  // The queue works on afterwards, from the start of a fresh buffer.
  ASSERT_TRUE(queue.Add(a.buffer));
  queue.Deliver(Frames(500, 100).data(), 100);
  ASSERT_EQ(queue.TakeFilled(), &a.buffer);
  EXPECT_TRUE(HoldsStream(a.buffer, 500));
}

TEST(InputQueueTest, AResetAfterFilledBuffersWereTakenReturnsOnlyTheRest) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  TestBuffer a(10, 0), b(10, 1);
  queue.Add(a.buffer);
  queue.Add(b.buffer);
  queue.Deliver(Frames(0, 14).data(), 14);
  ASSERT_EQ(queue.TakeFilled(), &a.buffer);
  WaveBuffer* taken = queue.TakeQueued();
  ASSERT_EQ(taken, &b.buffer);
  EXPECT_EQ(taken->bytesRecorded, 4 * kFrameBytes);
  EXPECT_EQ(queue.TakeQueued(), nullptr);
}

TEST(InputQueueTest, FramesWithNoBufferQueuedAreDroppedAndCountedAsOneOverflow) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  const auto stream = Frames(0, 64);
  InputQueue::Delivery delivery = queue.Deliver(stream.data(), 10);
  EXPECT_EQ(delivery.acceptedFrames, 0U);
  queue.Deliver(stream.data(), 5);
  EXPECT_EQ(queue.DroppedFrames(), 15U);
  EXPECT_EQ(queue.Overflows(), 1U);  // one gap, however many deliveries it spans
  EXPECT_EQ(queue.DeliveredFrames(), 0U);

  // A buffer that fills part way through a delivery: the rest is dropped.
  TestBuffer a(8, 0);
  queue.Add(a.buffer);
  delivery = queue.Deliver(stream.data(), 12);
  EXPECT_EQ(delivery.acceptedFrames, 8U);
  EXPECT_EQ(delivery.filledBuffers, 1U);
  EXPECT_EQ(queue.DroppedFrames(), 19U);
  EXPECT_EQ(queue.Overflows(), 2U);
  EXPECT_EQ(queue.DeliveredFrames(), 8U);

  // Dropping without looking at the frames, and an overflow the device saw.
  queue.Discard(100);
  EXPECT_EQ(queue.Overflows(), 2U);  // the same gap goes on
  queue.NoteDeviceOverflow();
  EXPECT_EQ(queue.Overflows(), 3U);
  EXPECT_EQ(queue.DroppedFrames(), 119U);

  queue.Restart();
  EXPECT_EQ(queue.Overflows(), 0U);
  EXPECT_EQ(queue.DroppedFrames(), 0U);
  EXPECT_EQ(queue.DeliveredFrames(), 0U);
}

TEST(InputQueueTest, TheDeliveredCountPlacesEveryFrameInItsBuffer) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  constexpr std::size_t kPerBuffer = 50;
  TestBuffer a(kPerBuffer, 0), b(kPerBuffer, 1);
  queue.Add(a.buffer);
  queue.Add(b.buffer);
  std::uint64_t sent = 0;
  std::uint64_t previous = 0;
  for (std::size_t block : {7U, 43U, 1U, 60U, 29U, 13U, 50U, 3U}) {
    queue.Deliver(Frames(sent, block).data(), block);
    sent += block;
    const std::uint64_t delivered = queue.DeliveredFrames();
    EXPECT_GE(delivered, previous);
    previous = delivered;
    // The newest delivered frame sits where the count says: buffer
    // (k / S) of the two queued in turn, at frame k % S.
    const std::uint64_t newest = delivered - 1;
    const TestBuffer& holder = (newest / kPerBuffer) % 2 == 0 ? a : b;
    EXPECT_EQ(FrameAt(holder.memory.data() + (newest % kPerBuffer) * kFrameBytes), newest);
    // Re-queue what has filled, as the GUI thread does.
    while (WaveBuffer* filled = queue.TakeFilled()) ASSERT_TRUE(queue.Add(*filled));
  }
  EXPECT_EQ(queue.DeliveredFrames(), sent);
  EXPECT_EQ(queue.DroppedFrames(), 0U);
}

TEST(InputQueueTest, ABufferIsFullWhenLessThanAFrameOfRoomIsLeft) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  TestBuffer odd(10, 0, 4);  // 64 bytes: 10 frames and 4 spare bytes
  queue.Add(odd.buffer);
  EXPECT_EQ(queue.Deliver(Frames(0, 12).data(), 12).acceptedFrames, 10U);
  WaveBuffer* filled = queue.TakeFilled();
  ASSERT_NE(filled, nullptr);
  EXPECT_EQ(filled->bytesRecorded, 60U);
  EXPECT_EQ(odd.memory[60], 0xEE);
}

TEST(InputQueueTest, AtMostCapacityBuffersAreQueuedOrWaitingToBeTaken) {
  InputQueue queue;
  queue.Configure(kFrameBytes);
  std::vector<std::unique_ptr<TestBuffer>> buffers;
  for (std::size_t i = 0; i <= InputQueue::kCapacity; ++i) {
    buffers.push_back(std::make_unique<TestBuffer>(2, static_cast<int>(i)));
  }
  for (std::size_t i = 0; i < InputQueue::kCapacity; ++i) EXPECT_TRUE(queue.Add(buffers[i]->buffer));
  EXPECT_FALSE(queue.Add(buffers.back()->buffer));
  queue.Deliver(Frames(0, 2).data(), 2);
  EXPECT_FALSE(queue.Add(buffers.back()->buffer));  // filled, but not yet taken
  ASSERT_EQ(queue.TakeFilled(), &buffers[0]->buffer);
  EXPECT_TRUE(queue.Add(buffers.back()->buffer));
  queue.Clear();
  EXPECT_FALSE(queue.HasBuffer());
  EXPECT_EQ(queue.TakeQueued(), nullptr);
  EXPECT_TRUE(queue.Add(buffers[0]->buffer));
}

// A producer thread delivers blocks of random size while this thread takes
// the filled buffers back, checks them and queues them again, and reads the
// newest delivered frame as the live display does. Frames that find no
// buffer are dropped; the producer sends them again, so every frame of the
// stream must arrive exactly once, in order.
TEST(InputQueueStressTest, EveryFrameArrivesOnceInOrderWhileBuffersCirculate) {
  constexpr std::uint64_t kTotal = 1'500'000;
  constexpr std::size_t kPerBuffer = 997;
  constexpr int kBuffers = 3;
  InputQueue queue;
  queue.Configure(kFrameBytes);
  std::vector<std::unique_ptr<TestBuffer>> buffers;
  for (int i = 0; i < kBuffers; ++i) {
    buffers.push_back(std::make_unique<TestBuffer>(kPerBuffer, i));
    ASSERT_TRUE(queue.Add(buffers.back()->buffer));
  }

  std::atomic<bool> finished{false};
  std::uint64_t resent = 0;  // read after join
  std::thread producer([&] {
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> size(1, 2500);
    std::vector<std::uint8_t> block;
    std::uint64_t next = 0;
    while (next < kTotal) {
      const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(size(random), kTotal - next));
      block.resize(frames * kFrameBytes);
      for (std::size_t f = 0; f < frames; ++f) PutFrame(block.data() + f * kFrameBytes, next + f);
      const InputQueue::Delivery delivery = queue.Deliver(block.data(), frames);
      next += delivery.acceptedFrames;
      if (delivery.acceptedFrames < frames) {
        resent += frames - delivery.acceptedFrames;
        std::this_thread::yield();
      }
    }
    finished.store(true, std::memory_order_release);
  });

  std::uint64_t expected = 0;  // the next frame a filled buffer must start with
  std::uint64_t taken = 0;     // buffers taken back
  std::uint64_t lastDelivered = 0;
  std::uint64_t newestChecks = 0;
  bool ok = true;
  const auto takeFilled = [&] {
    while (WaveBuffer* filled = queue.TakeFilled()) {
      if (filled != &buffers[taken % kBuffers]->buffer || filled->bytesRecorded != kPerBuffer * kFrameBytes ||
          !HoldsStream(*filled, expected)) {
        ok = false;
        return;
      }
      expected += kPerBuffer;
      ++taken;
      // Now and then the GUI thread is late, so that the producer finds no
      // buffer queued.
      if (taken % 97 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
      if (!queue.Add(*filled)) ok = false;
    }
  };
  while (ok && !finished.load(std::memory_order_acquire)) {
    takeFilled();
    const std::uint64_t delivered = queue.DeliveredFrames();
    if (delivered < lastDelivered) ok = false;
    lastDelivered = delivered;
    // The newest frame, when it lies in a buffer not yet taken back (so not
    // queued again and written over).
    if (delivered > 0 && (delivered - 1) / kPerBuffer >= taken) {
      const std::uint64_t newest = delivered - 1;
      const TestBuffer& holder = *buffers[(newest / kPerBuffer) % kBuffers];
      if (FrameAt(holder.memory.data() + (newest % kPerBuffer) * kFrameBytes) != newest) ok = false;
      ++newestChecks;
    }
  }
  producer.join();
  ASSERT_TRUE(ok) << "after " << expected << " frames";
  takeFilled();
  ASSERT_TRUE(ok);
  // The last, partial buffer comes back with the reset.
  while (WaveBuffer* rest = queue.TakeQueued()) {
    EXPECT_TRUE(HoldsStream(*rest, expected));
    expected += rest->bytesRecorded / kFrameBytes;
  }
  EXPECT_EQ(expected, kTotal);
  EXPECT_EQ(queue.DeliveredFrames(), kTotal);
  EXPECT_EQ(queue.DroppedFrames(), resent);
  EXPECT_EQ(queue.Overflows() > 0, resent > 0);
  EXPECT_GT(newestChecks, 0U);
  RecordProperty("resentFrames", std::to_string(resent));
  RecordProperty("newestChecks", std::to_string(newestChecks));
}

// The way a recording is written as the input arrives: a producer thread
// fills the buffers while this thread, going by the delivered count alone,
// copies the part of the buffer being filled that has arrived (in pieces,
// as it grows) and, when the buffer comes back, only the rest. The copy
// must be the stream, every frame once and in order; under
// ThreadSanitizer no read of a buffer may race with the producer's writes.
TEST(InputQueueStressTest, TheArrivedPartOfTheBufferBeingFilledCanBeCopiedWhileItFills) {
  constexpr std::uint64_t kTotal = 600'000;
  constexpr std::size_t kPerBuffer = 4001;
  constexpr int kBuffers = 2;
  InputQueue queue;
  queue.Configure(kFrameBytes);
  std::vector<std::unique_ptr<TestBuffer>> buffers;
  for (int i = 0; i < kBuffers; ++i) {
    buffers.push_back(std::make_unique<TestBuffer>(kPerBuffer, i));
    ASSERT_TRUE(queue.Add(buffers.back()->buffer));
  }
  std::atomic<bool> finished{false};
  std::thread producer([&] {
    std::mt19937 random(777);
    std::uniform_int_distribution<std::size_t> size(1, 700);
    std::vector<std::uint8_t> block;
    std::uint64_t next = 0;
    while (next < kTotal) {
      const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(size(random), kTotal - next));
      block.resize(frames * kFrameBytes);
      for (std::size_t f = 0; f < frames; ++f) PutFrame(block.data() + f * kFrameBytes, next + f);
      const InputQueue::Delivery delivery = queue.Deliver(block.data(), frames);
      next += delivery.acceptedFrames;
      if (delivery.acceptedFrames < frames) std::this_thread::yield();
    }
    finished.store(true, std::memory_order_release);
  });

  std::vector<std::uint8_t> copy;
  copy.reserve(kTotal * kFrameBytes);
  std::uint64_t taken = 0;      // buffers taken back: the one being filled is number `taken`
  std::size_t copiedBytes = 0;  // of the buffer being filled
  std::uint64_t earlyCopies = 0;
  bool ok = true;
  const auto copyFrom = [&](const TestBuffer& holder, std::size_t to) {
    copy.insert(copy.end(), holder.memory.begin() + static_cast<std::ptrdiff_t>(copiedBytes),
                holder.memory.begin() + static_cast<std::ptrdiff_t>(to));
    copiedBytes = to;
  };
  const auto takeFilled = [&] {
    while (WaveBuffer* filled = queue.TakeFilled()) {
      const TestBuffer& holder = *buffers[taken % kBuffers];
      if (filled != &holder.buffer || filled->bytesRecorded < copiedBytes) {
        ok = false;
        return;
      }
      copyFrom(holder, filled->bytesRecorded);
      copiedBytes = 0;
      ++taken;
      if (!queue.Add(*filled)) ok = false;
    }
  };
  while (ok && !finished.load(std::memory_order_acquire)) {
    takeFilled();
    const std::uint64_t delivered = queue.DeliveredFrames();
    const std::uint64_t start = taken * kPerBuffer;
    if (delivered > start) {
      const auto arrived =
          static_cast<std::size_t>(std::min<std::uint64_t>(delivered - start, kPerBuffer)) * kFrameBytes;
      if (arrived > copiedBytes) {
        copyFrom(*buffers[taken % kBuffers], arrived);
        ++earlyCopies;
      }
    }
  }
  producer.join();
  ASSERT_TRUE(ok);
  takeFilled();
  ASSERT_TRUE(ok);
  while (WaveBuffer* rest = queue.TakeQueued()) {
    if (rest->bytesRecorded > 0) copyFrom(*buffers[taken % kBuffers], rest->bytesRecorded);
    copiedBytes = 0;
    ++taken;
  }
  ASSERT_EQ(copy.size(), kTotal * kFrameBytes);
  for (std::uint64_t f = 0; f < kTotal; ++f) {
    ASSERT_EQ(FrameAt(copy.data() + f * kFrameBytes), f) << "frame " << f;
  }
  EXPECT_GT(earlyCopies, 0U);
  RecordProperty("earlyCopies", std::to_string(earlyCopies));
}

}  // namespace
}  // namespace sonavue::platform
