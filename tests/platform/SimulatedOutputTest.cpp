#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/MessagePump.h"
#include "platform/SimulatedWave.h"

namespace sonavue::platform {
namespace {

// The simulated output on the virtual clock at 1000 frames a second (one a
// millisecond), mono 16 bits, with a loop buffer of 100 frames whose bytes
// count up so that every played frame says where it came from.
class SimulatedOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pump_.SetHandler([this](const Message& m) { messages_.push_back(m); });
    output_ = devices_.MakeOutput(pump_);
    ASSERT_EQ(output_->Open({1000, 1, 16}), WaveResult::Ok);
    Fill(0, 100, 0);
  }

  // Frames [from, to) of the loop buffer get the values first, first + 1, …
  void Fill(int from, int to, int first) {
    for (int i = from; i < to; ++i) {
      const auto v = static_cast<std::uint16_t>(first + i - from);
      memory_[2 * i] = static_cast<std::uint8_t>(v);
      memory_[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
  }
  static std::vector<int> Frames(const std::vector<std::uint8_t>& bytes) {
    std::vector<int> frames;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) frames.push_back(bytes[i] | bytes[i + 1] << 8);
    return frames;
  }
  int DoneCount() {
    pump_.DispatchAll();
    int count = 0;
    for (const Message& m : messages_) count += m.kind == MessageKind::WaveOutDone ? 1 : 0;
    return count;
  }

  VirtualClock clock_;
  SimulatedDevices devices_{clock_, &clock_};
  MessagePump pump_{{}, {}, {}};
  std::vector<Message> messages_;
  std::unique_ptr<WaveOutput> output_;
  std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(200);
  WaveBuffer buffer_{memory_, 0, 7};
};

TEST_F(SimulatedOutputTest, PlaysTheLoopsAsTheyAreRefilledAndThenSaysDoneOnce) {
  ASSERT_EQ(output_->Write(buffer_, 2), WaveResult::Ok);
  clock_.Advance(60);
  EXPECT_EQ(output_->PositionFrames(), 60U);
  // The first half has sounded: refill it for the second loop while the
  // second half plays, as a player does.
  Fill(0, 50, 100);
  clock_.Advance(90);
  Fill(50, 100, 150);
  EXPECT_EQ(DoneCount(), 0);
  clock_.Advance(500);
  const std::vector<int> played = Frames(devices_.PlayedBytes());
  ASSERT_EQ(played.size(), 200U);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(played[static_cast<std::size_t>(i)], i) << "frame " << i;
  EXPECT_EQ(output_->PositionFrames(), 200U);
  EXPECT_EQ(DoneCount(), 1);
  EXPECT_EQ(messages_.back().param, 7);
}

TEST_F(SimulatedOutputTest, AResetEndsTheSoundAtOnceWithOneDone) {
  ASSERT_EQ(output_->Write(buffer_, 5), WaveResult::Ok);
  clock_.Advance(30);
  ASSERT_EQ(output_->Reset(), WaveResult::Ok);
  clock_.Advance(1000);
  EXPECT_EQ(Frames(devices_.PlayedBytes()).size(), 30U);
  EXPECT_EQ(DoneCount(), 1);
  // The device can play again after the reset.
  devices_.ClearPlayed();
  ASSERT_EQ(output_->Write(buffer_, 1), WaveResult::Ok);
  clock_.Advance(200);
  EXPECT_EQ(Frames(devices_.PlayedBytes()).size(), 100U);
  EXPECT_EQ(DoneCount(), 2);
}

TEST_F(SimulatedOutputTest, AFailingOutputStopsAtItsFrameAndSaysSoBeforeItsDone) {
  devices_.FailOutputAfterFrames(250, "unplugged");
  ASSERT_EQ(output_->Write(buffer_, 5), WaveResult::Ok);
  clock_.Advance(400);
  // Two loops and a half were heard, then nothing.
  const std::vector<int> played = Frames(devices_.PlayedBytes());
  ASSERT_EQ(played.size(), 250U);
  EXPECT_EQ(played[249], 49);
  EXPECT_EQ(output_->PositionFrames(), 250U);
  pump_.DispatchAll();
  ASSERT_EQ(messages_.size(), 2U);
  EXPECT_EQ(messages_[0].kind, MessageKind::DeviceFailed);
  EXPECT_EQ(messages_[0].id, kDeviceOutput);
  EXPECT_EQ(messages_[1].kind, MessageKind::WaveOutDone);
  EXPECT_EQ(messages_[1].param, 7);
  EXPECT_EQ(output_->Failure(), "simulated output: unplugged");
  // The next write plays to its end.
  ASSERT_EQ(output_->Write(buffer_, 1), WaveResult::Ok);
  EXPECT_EQ(output_->Failure(), "");
  clock_.Advance(200);
  EXPECT_EQ(DoneCount(), 2);
  EXPECT_EQ(devices_.PlayedBytes().size(), 2U * 350U);
}

TEST_F(SimulatedOutputTest, RefusesWhatASoundCardWouldRefuse) {
  EXPECT_EQ(output_->Write(buffer_, 0), WaveResult::Failed);
  ASSERT_EQ(output_->Write(buffer_, 1), WaveResult::Ok);
  EXPECT_EQ(output_->Write(buffer_, 1), WaveResult::Failed);  // already playing
  auto other = devices_.MakeOutput(pump_);
  EXPECT_EQ(other->Open({1000, 1, 8}), WaveResult::BadFormat);
  devices_.RefuseOutput(true);
  EXPECT_EQ(other->Open({1000, 1, 16}), WaveResult::BadFormat);
  output_->Close();
  EXPECT_EQ(output_->Write(buffer_, 1), WaveResult::NotOpen);
}

}  // namespace
}  // namespace sonavue::platform
