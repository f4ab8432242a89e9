#include "plans/RenderMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sonavue::render {
namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

TEST(RenderMathTest, RoundHalfAwayTakesHalvesAwayFromZero) {
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(0.5), 1);
  EXPECT_EQ(RoundHalfAway(-0.5), -1);
  EXPECT_EQ(RoundHalfAway(2.4999), 2);
  EXPECT_EQ(RoundHalfAway(-2.4999), -2);
  EXPECT_EQ(RoundHalfAway(-2.6), -3);
  EXPECT_EQ(RoundHalfAway(0.0), 0);
  EXPECT_EQ(RoundHalfAway(-0.0), 0);
}

TEST(RenderMathTest, RoundHalfAwayStaysInsideTheIntRange) {
  EXPECT_EQ(RoundHalfAway(1e12), kIntMax);
  EXPECT_EQ(RoundHalfAway(-1e12), kIntMin);
  EXPECT_EQ(RoundHalfAway(std::numeric_limits<double>::infinity()), kIntMax);
  EXPECT_EQ(RoundHalfAway(-std::numeric_limits<double>::infinity()), kIntMin);
  EXPECT_EQ(RoundHalfAway(std::nan("")), 0);
}

TEST(RenderMathTest, RoundHalfUpTakesHalvesUpwards) {
  EXPECT_EQ(RoundHalfUp(2.5), 3);
  EXPECT_EQ(RoundHalfUp(-2.5), -2);
  EXPECT_EQ(RoundHalfUp(-2.6), -3);
  EXPECT_EQ(RoundHalfUp(std::nan("")), 0);
}

TEST(RenderMathTest, TruncGoesTowardZero) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Trunc(1e12), kIntMax);
  EXPECT_EQ(Trunc(std::nan("")), 0);
}

TEST(RenderMathTest, FormatMatchesPrintf) {
  EXPECT_EQ(Format("%-4.0f", 12.0), "12  ");
  EXPECT_EQ(Format("%-2.1f kHz", 2.5), "2.5 kHz");
}

TEST(RenderMathTest, SwapRedBlueExchangesTheOuterChannels) {
  EXPECT_EQ(SwapRedBlue({1, 2, 3}), (platform::Rgb{3, 2, 1}));
}

}  // namespace
}  // namespace sonavue::render
