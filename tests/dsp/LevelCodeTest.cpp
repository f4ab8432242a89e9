#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/LevelCode.h"

namespace sonavue::dsp {
namespace {

// With N = 1024 at 48 kHz a bin is 46.875 Hz wide; a full-frame window
// (R = one bin) needs no correction.
constexpr int kN = 1024;
constexpr float kFs = 48000.0f;

TEST(LevelCodeTest, WindowCorrectionIsTheFrameToWindowRatioInDb) {
  EXPECT_NEAR(WindowCorrectionDb(46.875f, kN, kFs), 0.0f, 1e-6);
  // A window half the frame long: +3.01 dB; a tenth: +10 dB.
  EXPECT_NEAR(WindowCorrectionDb(93.75f, kN, kFs), 3.0103f, 1e-4);
  EXPECT_NEAR(WindowCorrectionDb(468.75f, kN, kFs), 10.0f, 1e-5);
}

TEST(LevelCodeTest, NoPowerIsCodeZero) {
  EXPECT_EQ(LevelCode(0.0, kN, kFs, 0.0f), 0);
  EXPECT_EQ(LevelCode(-1.0, kN, kFs, 0.0f), 0);
  EXPECT_EQ(LevelCode(std::nan(""), kN, kFs, 0.0f), 0);
}

TEST(LevelCodeTest, PowerPerHertzInQuarterDecibels) {
  // P·N/fs is the power per hertz of one bin: 10^6 per Hz is 60 dB/Hz.
  EXPECT_EQ(LevelCode(46.875e6, kN, kFs, 0.0f), 240);
  EXPECT_EQ(LevelCode(46.875e-3, kN, kFs, 0.0f), -120);
  // The window correction adds its own dB: +10 dB is 40 quarter decibels.
  EXPECT_EQ(LevelCode(46.875e6, kN, kFs, 10.0f), 280);
  // Four times the power is 6.02 dB.
  EXPECT_EQ(LevelCode(4 * 46.875e6, kN, kFs, 0.0f), 264);
}

TEST(LevelCodeTest, CodesSaturateAtSixteenBits) {
  // Only an absurd window correction leaves the 16-bit range.
  EXPECT_EQ(LevelCode(1.0, kN, kFs, 9000.0f), std::numeric_limits<std::int16_t>::max());
  EXPECT_EQ(LevelCode(1.0, kN, kFs, -9000.0f), std::numeric_limits<std::int16_t>::min());
}

TEST(LevelCodeTest, BinLevelIsWholeDecibelsRelativeUnlessCalibrated) {
  // A magnitude whose square is 46.875e6 is 60 dB/Hz (see above).
  const float magnitude = static_cast<float>(std::sqrt(46.875e6));
  EXPECT_EQ(BinLevelDb(magnitude, kN, kFs, 0.0f, true), 60);
  EXPECT_EQ(BinLevelDb(magnitude, kN, kFs, 0.0f, false), -30);
  EXPECT_EQ(BinLevelDb(magnitude, kN, kFs, 10.0f, true), 70);
  EXPECT_EQ(BinLevelDb(0.0f, kN, kFs, 0.0f, true), std::nullopt);
}

}  // namespace
}  // namespace sonavue::dsp
