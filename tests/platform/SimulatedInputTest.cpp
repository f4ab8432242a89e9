#include "platform/SimulatedWave.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sonavue::platform
