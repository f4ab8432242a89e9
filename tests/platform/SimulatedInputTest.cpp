#include "platform/SimulatedWave.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/MessagePump.h"

namespace sonavue::platform {
namespace {

// The simulated input on the virtual clock at 1000 frames a second (one a
// millisecond), mono 16 bits, with two buffers of 100 frames.
class SimulatedInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pump_.SetHandler([this](const Message& m) { messages_.push_back(m); });
    input_ = devices_.MakeInput(pump_);
    ASSERT_EQ(input_->Open({1000, 1, 16}), WaveResult::Ok);
    ASSERT_EQ(input_->AddBuffer(a_), WaveResult::Ok);
    ASSERT_EQ(input_->AddBuffer(b_), WaveResult::Ok);
  }

  VirtualClock clock_;
  SimulatedDevices devices_{clock_, &clock_};
  int signals_ = 0;
  MessagePump pump_{{}, {}, [this] { ++signals_; }};
  std::vector<Message> messages_;
  std::unique_ptr<WaveInput> input_;
  std::vector<std::uint8_t> memoryA_ = std::vector<std::uint8_t>(200);
  std::vector<std::uint8_t> memoryB_ = std::vector<std::uint8_t>(200);
  WaveBuffer a_{memoryA_, 0, 0};
  WaveBuffer b_{memoryB_, 0, 1};
};

TEST_F(SimulatedInputTest, FilledBuffersComeBackThroughThePumpInTheOrderQueued) {
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  clock_.Advance(150);
  EXPECT_EQ(input_->DeliveredFrames(), 150U);
  // The device only signals; the notification is posted from the GUI side.
  EXPECT_EQ(signals_, 1);
  EXPECT_TRUE(messages_.empty());
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 1U);
  EXPECT_EQ(messages_[0].kind, MessageKind::WaveInData);
  EXPECT_EQ(messages_[0].param, 0);
  EXPECT_EQ(a_.bytesRecorded, 200U);

  ASSERT_EQ(input_->AddBuffer(a_), WaveResult::Ok);
  clock_.Advance(100);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 2U);
  EXPECT_EQ(messages_[1].param, 1);
  EXPECT_EQ(input_->DeliveredFrames(), 250U);
  EXPECT_EQ(input_->Overflows(), 0U);
}

TEST_F(SimulatedInputTest, WhatArrivesWithNoBufferQueuedIsCountedAsAnOverflow) {
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  // Both buffers fill at 200 ms; nobody queues them again.
  clock_.Advance(250);
  EXPECT_EQ(input_->DeliveredFrames(), 200U);
  EXPECT_EQ(input_->Overflows(), 1U);
  clock_.Advance(50);
  EXPECT_EQ(input_->Overflows(), 1U);  // the same gap
  pump_.DispatchAll();
  EXPECT_EQ(messages_.size(), 2U);
  ASSERT_EQ(input_->AddBuffer(a_), WaveResult::Ok);
  clock_.Advance(10);
  EXPECT_EQ(input_->DeliveredFrames(), 210U);
}

TEST_F(SimulatedInputTest, AFailingInputStopsAtItsFrameHandsBackWhatFilledAndSaysSoOnce) {
  devices_.FailInputAfterFrames(137, "unplugged");
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  EXPECT_EQ(input_->Failure(), "");
  clock_.Advance(500);
  // Nothing arrives past the failure, however long the clock runs.
  EXPECT_EQ(input_->DeliveredFrames(), 137U);
  pump_.DispatchAll();
  // The full buffer A, then the failure; B stays queued with its 37 frames.
  ASSERT_EQ(messages_.size(), 2U);
  EXPECT_EQ(messages_[0].kind, MessageKind::WaveInData);
  EXPECT_EQ(messages_[0].param, 0);
  EXPECT_EQ(messages_[1].kind, MessageKind::DeviceFailed);
  EXPECT_EQ(messages_[1].id, kDeviceInput);
  EXPECT_EQ(input_->Failure(), "simulated input: unplugged");
  clock_.Advance(100);
  pump_.DispatchAll();
  EXPECT_EQ(messages_.size(), 2U) << "the failure is reported once";
  // The program's reset hands back the partly filled buffer as usual.
  ASSERT_EQ(input_->Reset(), WaveResult::Ok);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 3U);
  EXPECT_EQ(messages_[2].kind, MessageKind::WaveInData);
  EXPECT_EQ(messages_[2].param, 1);
  EXPECT_EQ(b_.bytesRecorded, 74U);
  ASSERT_EQ(input_->Close(), WaveResult::Ok);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 4U);
  EXPECT_EQ(messages_[3].kind, MessageKind::WaveInClose);
  // The failure happens once: the next start runs normally.
  messages_.clear();
  ASSERT_EQ(input_->Open({1000, 1, 16}), WaveResult::Ok);
  ASSERT_EQ(input_->AddBuffer(a_), WaveResult::Ok);
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  clock_.Advance(100);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 1U);
  EXPECT_EQ(messages_[0].kind, MessageKind::WaveInData);
  EXPECT_EQ(input_->Failure(), "");
}

TEST_F(SimulatedInputTest, AResetReturnsEveryBufferWithWhatItHoldsAndACloseFollows) {
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  clock_.Advance(130);
  ASSERT_EQ(input_->Reset(), WaveResult::Ok);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 2U);
  EXPECT_EQ(messages_[0].param, 0);
  EXPECT_EQ(messages_[1].param, 1);
  EXPECT_EQ(a_.bytesRecorded, 200U);
  EXPECT_EQ(b_.bytesRecorded, 60U);  // 30 frames of B
  // Stopped: the clock moving on delivers nothing more.
  clock_.Advance(100);
  EXPECT_EQ(input_->DeliveredFrames(), 130U);
  ASSERT_EQ(input_->Close(), WaveResult::Ok);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 3U);
  EXPECT_EQ(messages_[2].kind, MessageKind::WaveInClose);
}

TEST_F(SimulatedInputTest, ADelayedDeviceDeliversLaterThanTheClockSays) {
  devices_.SetDeliveryDelayMs(40);
  ASSERT_EQ(input_->Start(), WaveResult::Ok);
  clock_.Advance(30);
  EXPECT_EQ(input_->DeliveredFrames(), 0U);
  clock_.Advance(70);
  EXPECT_EQ(input_->DeliveredFrames(), 60U);
}

// On the real clock the device fills from a thread of its own. This thread
// reads the delivered count and copies the part of the buffer being filled
// that has arrived, as the recording does between completions, and only
// the rest when the buffer comes back: the copy is the signal, sample for
// sample, with nothing twice and nothing missing.
TEST(SimulatedInputThreadTest, TheArrivedPartOfABufferIsReadableWhileTheDeviceThreadFillsIt) {
  constexpr std::uint32_t kRate = 8000;
  constexpr std::size_t kFrames = 1000;  // 125 ms a buffer
  const std::unique_ptr<Clock> clock = MakeRealClock();
  SimulatedDevices devices(*clock, nullptr);
  SignalSource ramp;
  ramp.kind = SignalSource::Kind::Samples;
  ramp.amplitude = 32767.0;
  for (int k = 0; k < 3001; ++k) ramp.samples.push_back(static_cast<std::int16_t>(k));
  devices.SetSource(ramp);
  std::vector<Message> messages;
  MessagePump pump({}, {}, {});
  pump.SetHandler([&messages](const Message& m) { messages.push_back(m); });
  std::vector<std::uint8_t> memory[2] = {std::vector<std::uint8_t>(kFrames * 2),
                                         std::vector<std::uint8_t>(kFrames * 2)};
  WaveBuffer buffers[2] = {{memory[0], 0, 0}, {memory[1], 0, 1}};
  const std::unique_ptr<WaveInput> input = devices.MakeInput(pump);
  ASSERT_EQ(input->Open({kRate, 1, 16}), WaveResult::Ok);
  ASSERT_EQ(input->AddBuffer(buffers[0]), WaveResult::Ok);
  ASSERT_EQ(input->AddBuffer(buffers[1]), WaveResult::Ok);

  std::vector<std::uint8_t> copy;
  std::uint64_t returned = 0;  // the buffer being filled is number `returned`
  std::size_t copied = 0;      // bytes of it copied
  int earlyCopies = 0;
  const auto copyUpTo = [&](std::size_t to) {
    const std::vector<std::uint8_t>& bytes = memory[returned % 2];
    ASSERT_GE(to, copied);
    copy.insert(copy.end(), bytes.begin() + static_cast<std::ptrdiff_t>(copied),
                bytes.begin() + static_cast<std::ptrdiff_t>(to));
    copied = to;
  };
  const auto handBack = [&](bool requeue) {
    for (const Message& m : messages) {
      if (m.kind != MessageKind::WaveInData) continue;
      ASSERT_EQ(m.param, static_cast<std::int64_t>(returned % 2));
      copyUpTo(buffers[returned % 2].bytesRecorded);
      copied = 0;
      ++returned;
      if (requeue) {
        ASSERT_EQ(input->AddBuffer(buffers[m.param]), WaveResult::Ok);
      }
    }
    messages.clear();
  };
  ASSERT_EQ(input->Start(), WaveResult::Ok);
  const std::uint32_t start = clock->NowMs();
  while (clock->NowMs() - start < 700) {
    pump.DispatchAll();
    handBack(true);
    const std::uint64_t delivered = input->DeliveredFrames() * 2;
    const std::uint64_t bufferStart = returned * kFrames * 2;
    if (delivered > bufferStart) {
      const auto arrived = static_cast<std::size_t>(std::min<std::uint64_t>(delivered - bufferStart, kFrames * 2));
      if (arrived > copied) {
        copyUpTo(arrived);
        ++earlyCopies;
      }
    }
    clock->SleepMs(2);
  }
  ASSERT_EQ(input->Reset(), WaveResult::Ok);
  pump.DispatchAll();
  handBack(false);
  ASSERT_EQ(input->Close(), WaveResult::Ok);
  EXPECT_EQ(input->Overflows(), 0U);
  EXPECT_GE(returned, 5U);
  EXPECT_GT(earlyCopies, 20);
  ASSERT_EQ(copy.size(), input->DeliveredFrames() * 2);
  for (std::size_t i = 0; i < copy.size() / 2; ++i) {
    const auto value = static_cast<std::int16_t>(copy[2 * i] | (copy[2 * i + 1] << 8));
    ASSERT_EQ(value, static_cast<std::int16_t>(i % 3001)) << "sample " << i;
  }
}

}  // namespace
}  // namespace sonavue::platform
