#include "audio/LiveFrame.h"
#include "audio/WaveFormat.h"

#include <gtest/gtest.h>

#include <vector>

#include "context/LiveInput.h"

namespace sonavue::audio {
namespace {

constexpr std::uint8_t kStale = 0xEE;

// Two input buffers of `perBuffer` frames as the device leaves them after
// delivering `delivered` frames: buffer A holds the even-numbered buffers of
// the stream, B the odd ones; each frame's bytes hold its stream position
// (low byte first); what was never written holds kStale.
app::LiveInput MakeLive(int channels, int bits, std::int32_t perBuffer, std::int64_t delivered) {
  app::LiveInput live;
  live.format = {48000, static_cast<std::uint16_t>(channels), static_cast<std::uint16_t>(bits)};
  live.samplesPerBuffer = perBuffer;
  const std::uint32_t frameBytes = live.format.BytesPerFrame();
  live.bufferBytes = static_cast<std::int32_t>(perBuffer * frameBytes);
  live.headerBytes = audio::kWorkingHeaderBytes;
  live.block.assign(live.headerBytes + 2 * static_cast<std::size_t>(live.bufferBytes), kStale);
  for (std::int64_t p = std::max<std::int64_t>(0, delivered - 2 * perBuffer); p < delivered; ++p) {
    std::uint8_t* buffer = (p / perBuffer) % 2 == 0 ? live.BufferA() : live.BufferB();
    std::uint8_t* frame = buffer + (p % perBuffer) * frameBytes;
    for (std::uint32_t i = 0; i < frameBytes; ++i) frame[i] = static_cast<std::uint8_t>(p >> (8 * (i % 2)));
  }
  return live;
}

// The stream positions of the frames in out; -1 for a frame that was never
// written.
std::vector<int> Positions(const std::vector<std::uint8_t>& out, std::uint32_t frameBytes) {
  std::vector<int> positions;
  for (std::size_t at = 0; at < out.size(); at += frameBytes) {
    bool stale = true;
    for (std::uint32_t i = 0; i < frameBytes; ++i) stale = stale && out[at + i] == kStale;
    positions.push_back(stale ? -1 : out[at] | out[at + 1] << 8);
  }
  return positions;
}

TEST(LiveFrameTest, TheFrameEndsWhereTheClockSaysWithinTheBufferBeingFilled) {
  // Buffers of 10 frames; 25 delivered: buffer 2 (in A) holds 20 … 24.
  const app::LiveInput live = MakeLive(1, 16, 10, 25);
  std::vector<std::uint8_t> out(4 * 2);
  ASSERT_TRUE(LatestFrame(live, 25, 25, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{21, 22, 23, 24}));
  ASSERT_TRUE(LatestFrame(live, 25, 24, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{20, 21, 22, 23}));
}

TEST(LiveFrameTest, AFrameAcrossABufferBoundaryJoinsBothBuffersWithoutAGap) {
  // From B (buffer 1) into A (buffer 2).
  const app::LiveInput live = MakeLive(1, 16, 10, 25);
  std::vector<std::uint8_t> out(4 * 2);
  ASSERT_TRUE(LatestFrame(live, 25, 22, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{18, 19, 20, 21}));
  // From A (buffer 0) into B (buffer 1).
  const app::LiveInput early = MakeLive(1, 16, 10, 13);
  ASSERT_TRUE(LatestFrame(early, 13, 12, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{8, 9, 10, 11}));
}

TEST(LiveFrameTest, WhenTheDeviceLagsTheClockTheNewestDeliveredFrameIsTaken) {
  const app::LiveInput live = MakeLive(1, 16, 10, 25);
  std::vector<std::uint8_t> out(4 * 2);
  // The clock says 40, the device has delivered 25: frames 25 … 29 of
  // buffer A still hold what it held before and are never taken.
  ASSERT_TRUE(LatestFrame(live, 25, 40, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{21, 22, 23, 24}));
  // Just after a buffer has filled, the count alone places the frame: it
  // ends in the buffer that has just filled, not in the next one.
  const app::LiveInput turned = MakeLive(1, 16, 10, 30);
  ASSERT_TRUE(LatestFrame(turned, 30, 33, 4, out));
  EXPECT_EQ(Positions(out, 2), (std::vector<int>{26, 27, 28, 29}));
}

TEST(LiveFrameTest, FramesBeforeTheStreamStartAreSilence) {
  const app::LiveInput live = MakeLive(1, 16, 10, 2);
  std::vector<std::uint8_t> out(4 * 2, 0x55);
  ASSERT_TRUE(LatestFrame(live, 2, 2, 4, out));
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_FALSE(LatestFrame(live, 2, -30, 4, out));
  ASSERT_TRUE(LatestFrame(live, 2, -3, 4, out));
  EXPECT_EQ(out, std::vector<std::uint8_t>(8, 0));
}

TEST(LiveFrameTest, AFrameMoreThanABufferBehindTheNewestIsNotTaken) {
  const app::LiveInput live = MakeLive(1, 16, 10, 25);
  std::vector<std::uint8_t> out(4 * 2, 0x55);
  // 14 … 17: the device may already be writing buffer 3 over buffer 1.
  EXPECT_FALSE(LatestFrame(live, 25, 18, 4, out));
  EXPECT_EQ(out, std::vector<std::uint8_t>(8, 0x55));
  EXPECT_TRUE(LatestFrame(live, 25, 19, 4, out));
}

TEST(LiveFrameTest, StereoTwentyFourBitFramesAreCopiedWhole) {
  const app::LiveInput live = MakeLive(2, 24, 10, 17);
  std::vector<std::uint8_t> out(3 * 6);
  ASSERT_TRUE(LatestFrame(live, 17, 17, 3, out));
  EXPECT_EQ(Positions(out, 6), (std::vector<int>{14, 15, 16}));
  ASSERT_TRUE(LatestFrame(live, 17, 11, 3, out));
  EXPECT_EQ(Positions(out, 6), (std::vector<int>{8, 9, 10}));
}

TEST(LiveFrameTest, NothingIsCopiedWithoutRoomOrInput) {
  const app::LiveInput live = MakeLive(1, 16, 10, 25);
  std::vector<std::uint8_t> small(3 * 2);
  EXPECT_FALSE(LatestFrame(live, 25, 25, 4, small));
  std::vector<std::uint8_t> out(11 * 2);
  EXPECT_FALSE(LatestFrame(live, 25, 25, 11, out));  // longer than a buffer
  EXPECT_FALSE(LatestFrame(app::LiveInput{}, 25, 25, 4, out));
}

}  // namespace
}  // namespace sonavue::audio
