#include "engines/AnalysisPlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonavue::engines {
namespace {

TEST(AnalysisPlanTest, SixtySecondsAtTenMillisecondsGive5998Columns) {
  // 48000 Hz mono, 10 s across 1000 pixels: Δt = 10 ms, h = 480 samples.
  const FramePlan plan = PlanFrames(1, 10.0F, 48000, 2'880'000, 1024);
  EXPECT_FLOAT_EQ(plan.hop, 480.0F);
  EXPECT_EQ(plan.columns, 5998);  // round((2880000 − 1024) ÷ 480) = round(5997.87)
  EXPECT_TRUE(plan.Valid());
}

TEST(AnalysisPlanTest, StereoHopsOverBothChannels) {
  // "Dual" doubles the column step for the same display width: 20 ms.
  const FramePlan plan = PlanFrames(2, 20.0F, 44100, 2 * 441000, 2048);
  EXPECT_FLOAT_EQ(plan.hop, 1764.0F);
  EXPECT_EQ(plan.columns, 498);  // (882000 − 4096) ÷ 1764 = 497.68
  EXPECT_EQ(FrameStart(3, 1764.0F, 2), 5292);
  // An odd start is moved back to the left channel's sample.
  EXPECT_EQ(FrameStart(1, 442.5F, 2), 442);  // 443 is a right-channel sample
  EXPECT_EQ(FrameStart(3, 0.5F, 1), 2);  // 1.5 rounds away from zero
}

TEST(AnalysisPlanTest, ASegmentShorterThanOneFrameIsTooSmall) {
  EXPECT_FALSE(PlanFrames(1, 10.0F, 48000, 1000, 1024).Valid());
  EXPECT_FALSE(PlanFrames(2, 10.0F, 48000, 2047, 1024).Valid());
  // A hop that rounds to nothing.
  EXPECT_FALSE(PlanFrames(1, 0.001F, 8000, 100000, 512).Valid());
}

TEST(AnalysisPlanTest, SegmentsAreWholeSampleFramesAndCutToTheData) {
  // 44100 Hz stereo 24-bit: 264600 bytes per second, 6 bytes per frame.
  SegmentBytes s = SegmentForSpan(44100, 2, 24, 0.5F, 1.25F, 1'000'000);
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.beginByte, 132300U);
  EXPECT_EQ(s.endByte, 330750U);
  EXPECT_EQ(s.beginByte % 6, 0U);
  // An end past the data is cut to the last whole frame, and its time too.
  s = SegmentForSpan(48000, 1, 16, 0.0F, 10.0F, 96001);
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.endByte, 96000U);
  EXPECT_FLOAT_EQ(s.endS, 1.0F);
  EXPECT_FALSE(SegmentForSpan(48000, 1, 16, 2.0F, 1.0F, 960000).ok);
  EXPECT_FALSE(SegmentForSpan(48000, 1, 16, -1.0F, 1.0F, 960000).ok);
  EXPECT_FALSE(SegmentForSpan(48000, 1, 16, 20.0F, 30.0F, 960000).ok);
}

TEST(AnalysisPlanTest, FramesTakeOneChannelWithGainAndSilenceBeyondTheData) {
  // Interleaved 16-bit: left 1000, right −2000, left 3000, right −32768.
  const std::vector<std::uint8_t> data = {0xE8, 0x03, 0x30, 0xF8, 0xB8, 0x0B, 0x00, 0x80};
  std::vector<float> frame(3);
  FillFrame(data, 2, 2, 1, 0, 1.0F, frame);
  EXPECT_EQ(frame, (std::vector<float>{-2000.0F, -32767.0F, 0.0F}));
  FillFrame(data, 2, 2, 0, 0, 0.5F, frame);
  EXPECT_EQ(frame, (std::vector<float>{500.0F, 1500.0F, 0.0F}));
  // 24-bit mono: 0x400000 is 4194304, analysed as 16384.
  const std::vector<std::uint8_t> deep = {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0};
  FillFrame(deep, 3, 1, 0, 0, 1.0F, frame);
  EXPECT_EQ(frame, (std::vector<float>{16384.0F, -16384.0F, 0.0F}));
}

TEST(AnalysisPlanTest, FramesStartingBeforeOrEndingAfterTheDataReadSilenceThere) {
  // Stereo 16-bit samples 1, −1, 2, −2, … 5, −5 (left positive).
  std::vector<std::uint8_t> data;
  for (int i = 1; i <= 5; ++i) {
    for (const int v : {i, -i}) {
      data.push_back(static_cast<std::uint8_t>(v & 0xFF));
      data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
  }
  std::vector<float> frame(6, 99.0F);
  FillFrame(data, 2, 2, 1, -4, 1.0F, frame);  // right channel from two frames before the data
  EXPECT_EQ(frame, (std::vector<float>{0.0F, 0.0F, -1.0F, -2.0F, -3.0F, -4.0F}));
  FillFrame(data, 2, 2, 0, 6, 1.0F, frame);  // left channel from the fourth frame on
  EXPECT_EQ(frame, (std::vector<float>{4.0F, 5.0F, 0.0F, 0.0F, 0.0F, 0.0F}));
  FillFrame(data, 2, 2, 0, 40, 1.0F, frame);  // wholly after the data
  EXPECT_EQ(frame, std::vector<float>(6, 0.0F));
  FillFrame(data, 2, 2, 0, -40, 1.0F, frame);  // wholly before it
  EXPECT_EQ(frame, std::vector<float>(6, 0.0F));
  FillFrame({}, 2, 1, 0, 0, 1.0F, frame);
  EXPECT_EQ(frame, std::vector<float>(6, 0.0F));
}

}  // namespace
}  // namespace sonavue::engines
