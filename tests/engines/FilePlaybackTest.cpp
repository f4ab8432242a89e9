// The Scan File player's loop buffer: its size, the gain in the samples it
// plays, the frame at the play position and the order of the refills.

#include "engines/FilePlayback.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sonavue::engines {
namespace {

std::vector<std::uint8_t> Pcm16(const std::vector<int>& values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) {
    const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(u));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

std::vector<int> Values16(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> values;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    values.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8)));
  }
  return values;
}

std::vector<std::uint8_t> Pcm24(const std::vector<int>& values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) {
    const auto u = static_cast<std::uint32_t>(v);
    bytes.push_back(static_cast<std::uint8_t>(u));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    bytes.push_back(static_cast<std::uint8_t>(u >> 16));
  }
  return bytes;
}

std::vector<int> Values24(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> values;
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t u = bytes[i] << 8 | bytes[i + 1] << 16 | static_cast<std::uint32_t>(bytes[i + 2]) << 24;
    values.push_back(static_cast<std::int32_t>(u) >> 8);
  }
  return values;
}

TEST(FilePlaybackTest, TheLoopHoldsEightSecondsUpTo48kHzAndFourAbove) {
  // 48000 Hz mono 16-bit: 96000 bytes a second, 8 s.
  EXPECT_EQ(LoopBufferBytes(48000, 1, 2, 1024), 768000U);
  // 44100 Hz stereo 24-bit: 264600 bytes a second (a multiple of 12).
  EXPECT_EQ(LoopBufferBytes(44100, 2, 3, 4096), 8U * 264600U);
  // 96000 Hz: 4 s.
  EXPECT_EQ(LoopBufferBytes(96000, 2, 2, 1024), 4U * 384000U);
  // 11025 Hz mono 24-bit: 33075 bytes a second, rounded up to 33084.
  EXPECT_EQ(LoopBytesPerSecond(11025, 1, 3), 33084U);
  EXPECT_EQ(LoopBufferBytes(11025, 1, 3, 1024), 8U * 33084U);
  // Every layout: halves of whole frames and of a multiple of 12 bytes.
  for (int rate : {4000, 8000, 11025, 22050, 44100, 48000, 96000}) {
    for (int channels : {1, 2}) {
      for (int bytes : {2, 3}) {
        const std::uint32_t loop = LoopBufferBytes(rate, channels, bytes, 2048);
        EXPECT_EQ(loop % 24, 0U) << rate << " " << channels << " " << bytes;
        EXPECT_EQ(loop / 2 % static_cast<std::uint32_t>(channels * bytes), 0U);
      }
    }
  }
}

TEST(FilePlaybackTest, AHalfAlwaysHoldsTwoFrames) {
  // 4000 Hz mono 16-bit: 4 s are 16000 frames, fewer than two frames of
  // 16384; the half grows to hold them.
  const std::uint32_t loop = LoopBufferBytes(4000, 1, 2, 16384);
  EXPECT_GE(loop / 2 / 2, 2U * 16384U);
  EXPECT_EQ(loop % 24, 0U);
}

TEST(FilePlaybackTest, SixteenBitGainIsLimitedAndTruncated) {
  std::vector<std::uint8_t> samples = Pcm16({1000, -1000, 32767, -32768, 3, -3});
  ApplyGainInPlace(samples, 2, 0.5F);
  EXPECT_EQ(Values16(samples), (std::vector<int>{500, -500, 16383, -16384, 1, -1}));
  samples = Pcm16({20000, -20000, 7});
  ApplyGainInPlace(samples, 2, 2.0F);
  EXPECT_EQ(Values16(samples), (std::vector<int>{32767, -32767, 14}));
  // Unity gain leaves every sample but the one beyond the analysis range.
  samples = Pcm16({12345, -32768, -1});
  ApplyGainInPlace(samples, 2, 1.0F);
  EXPECT_EQ(Values16(samples), (std::vector<int>{12345, -32767, -1}));
}

TEST(FilePlaybackTest, TwentyFourBitGainScalesTheWholeSampleAndClipsInsteadOfWrapping) {
  std::vector<std::uint8_t> samples = Pcm24({4194304, -4194304, 1, 8388607});
  ApplyGainInPlace(samples, 3, 1.0F);
  EXPECT_EQ(Values24(samples), (std::vector<int>{4194304, -4194304, 1, 8388607}));
  ApplyGainInPlace(samples, 3, 0.5F);
  EXPECT_EQ(Values24(samples), (std::vector<int>{2097152, -2097152, 0, 4194303}));
  // +30 dB of boost: a loud sample stays at full scale with its sign.
  samples = Pcm24({6000000, -6000000, 1000});
  ApplyGainInPlace(samples, 3, 31.622776F);
  const std::vector<int> boosted = Values24(samples);
  EXPECT_EQ(boosted[0], 8388607);
  EXPECT_EQ(boosted[1], -8388608);
  EXPECT_EQ(boosted[2], 31622);
}

TEST(FilePlaybackTest, AFrameBeforeTheBufferStartTakesItsHeadFromTheBufferEnd) {
  // Ten mono frames holding 0 … 9.
  const std::vector<std::uint8_t> loop = Pcm16({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  std::vector<std::uint8_t> out(8);
  CopyLoopFrames(loop, 2, 7, 4, out);
  EXPECT_EQ(Values16(out), (std::vector<int>{3, 4, 5, 6}));
  CopyLoopFrames(loop, 2, 2, 4, out);
  EXPECT_EQ(Values16(out), (std::vector<int>{8, 9, 0, 1}));
  CopyLoopFrames(loop, 2, 10, 4, out);
  EXPECT_EQ(Values16(out), (std::vector<int>{6, 7, 8, 9}));
  // Stereo 24-bit frames of 6 bytes: frames 4, then 0 and 1 of five.
  std::vector<std::uint8_t> stereo(30);
  for (std::size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<std::uint8_t>(i);
  std::vector<std::uint8_t> three(18);
  CopyLoopFrames(stereo, 6, 2, 3, three);
  const std::vector<std::uint8_t> expected = {24, 25, 26, 27, 28, 29, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(three, expected);
}

TEST(FilePlaybackTest, EachHalfIsRefilledOncePerPassOfThePositionThroughTheOther) {
  // 100 frames, halves of 50, frames of 8.
  HalfRefill refill;
  std::vector<HalfRefill::Half> order;
  for (int loop = 0; loop < 3; ++loop) {
    for (std::int64_t position = 1; position < 100; position += 3) {
      const HalfRefill::Half half = refill.Next(position, 100, 8);
      if (half == HalfRefill::Half::None) continue;
      order.push_back(half);
      // Never the half that sounds, and never while the frame at the
      // position still reaches into the half refilled.
      if (half == HalfRefill::Half::B) {
        EXPECT_GT(position, 8);
        EXPECT_LT(position, 50);
      } else {
        EXPECT_GT(position, 58);
      }
    }
  }
  using H = HalfRefill::Half;
  EXPECT_EQ(order, (std::vector<H>{H::B, H::A, H::B, H::A, H::B, H::A}));
}

TEST(FilePlaybackTest, TheShownSpanStartsOneFrameEarlyInWholeGroupsOfTwelveBytes) {
  // 48000 Hz mono 16-bit (96000 bytes a second), N = 1024: 2 s shown up to
  // 5 s begin at 3 s less 2048 bytes, rounded down to 12 bytes.
  CaptureSpan span = ShownSpanBytes(5000.0, 2000.0, 96000, 2, 1024, 960000, 5760000);
  EXPECT_EQ(span.beginByte, (288000U - 2048U) / 12U * 12U);
  EXPECT_EQ(span.beginByte + span.length, 480000U);
  // Shown from the start: never before the segment, never past its end.
  span = ShownSpanBytes(1500.0, 2000.0, 96000, 2, 1024, 100000, 5760000);
  EXPECT_EQ(span.beginByte, 0U);
  EXPECT_EQ(span.length, 99996U);
  // A span longer than the buffer keeps its newest part.
  span = ShownSpanBytes(70000.0, 61000.0, 96000, 2, 1024, 96000U * 80U, 5760000);
  EXPECT_EQ(span.length, 5760000U);
  EXPECT_EQ(span.beginByte + span.length, 6720000U);
}

}  // namespace
}  // namespace sonavue::engines
