#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/TimeAverage.h"

namespace sonavue::dsp {
namespace {

// Feeds a one-bin spectrum per frame and returns the average after each.
std::vector<double> AveragesAfterEachFrame(const AveragingWeights& weights,
                                           const std::vector<float>& frames) {
  std::vector<double> average(1, 0.0);
  std::vector<double> seen;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const float value = frames[i];
    AccumulateAverage(average, std::span<const float>(&value, 1), static_cast<std::int64_t>(i),
                      weights);
    seen.push_back(average[0]);
  }
  return seen;
}

TEST(TimeAverageTest, OffLeavesEachFrameAlone) {
  const AveragingWeights off = AveragingWeightsFor(12.0f, 0.0f);
  EXPECT_EQ(off.newest, 1.0);
  EXPECT_EQ(off.runningMeanFrames, 1);
  EXPECT_EQ(AveragesAfterEachFrame(off, {5, -3, 7, 2}), (std::vector<double>{5, -3, 7, 2}));
}

TEST(TimeAverageTest, FourStepsRunningMeanThenQuarterWeight) {
  const AveragingWeights w = AveragingWeightsFor(12.0f, 48.0f);
  EXPECT_EQ(w.newest, 0.25);
  EXPECT_EQ(w.runningMeanFrames, 4);
  // Means of 4; 4,8; 4,8,0; 4,8,0,12 — then ¾ of 6 plus ¼ of 10, ¾ of 7 plus ¼ of 3.
  EXPECT_EQ(AveragesAfterEachFrame(w, {4, 8, 0, 12, 10, 3}),
            (std::vector<double>{4, 6, 4, 6, 7, 6}));
}

TEST(TimeAverageTest, AveragingShorterThanAStepMeansNoAveraging) {
  const AveragingWeights w = AveragingWeightsFor(50.0f, 20.0f);
  EXPECT_EQ(w.newest, 1.0);
  EXPECT_EQ(AveragesAfterEachFrame(w, {1, 9}), (std::vector<double>{1, 9}));
}

TEST(TimeAverageTest, RunningMeanLengthRoundsHalfAwayFromZero) {
  // D = 0.4: 1/D = 2.5 → 3 frames of running mean.
  EXPECT_EQ(AveragingWeightsFor(10.0f, 25.0f).runningMeanFrames, 3);
  // D = 0.3: 1/D = 3.33 → 3.
  EXPECT_EQ(AveragingWeightsFor(3.0f, 10.0f).runningMeanFrames, 3);
}

TEST(TimeAverageTest, LiveInputSkipsBinsThatAreNotANumberOrNotAboveZero) {
  const AveragingWeights w = AveragingWeightsFor(10.0f, 40.0f);
  std::vector<double> average(3, 0.0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<std::vector<float>> frames{{4, 4, 4}, {8, nan, 0}, {0, 8, -1}};
  for (std::size_t i = 0; i < frames.size(); ++i) {
    AccumulateAverage(average, frames[i], static_cast<std::int64_t>(i), w, true);
  }
  // Bin 0 averages 4 and 8; the 0 after them is skipped.
  EXPECT_DOUBLE_EQ(average[0], 6.0);
  // Bin 1 skipped the NaN: the mean of 4 and 8 at frame 2 is (2·4 + 8)/3.
  EXPECT_DOUBLE_EQ(average[1], 16.0 / 3.0);
  // Bin 2 kept its first value.
  EXPECT_DOUBLE_EQ(average[2], 4.0);
  // Without skipping, a NaN spoils the average for good.
  std::vector<double> plain(1, 4.0);
  const float value = nan;
  AccumulateAverage(plain, std::span<const float>(&value, 1), 1, w);
  EXPECT_TRUE(std::isnan(plain[0]));
}

}  // namespace
}  // namespace sonavue::dsp
