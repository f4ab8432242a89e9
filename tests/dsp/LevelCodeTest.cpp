#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

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

// The coder's results are LevelCode's, checked value by value.
void ExpectCoderMatches(const LevelCoder& coder, const std::vector<double>& powers, int fftSize, float fs,
                        float correctionDb) {
  std::vector<std::int16_t> codes(powers.size(), -999);
  coder.Codes(powers, codes);
  for (std::size_t i = 0; i < powers.size(); ++i) {
    ASSERT_EQ(codes[i], LevelCode(powers[i], fftSize, fs, correctionDb)) << "power " << powers[i];
  }
}

TEST(LevelCodeTest, TheCoderGivesLevelCodeForPowersOfEveryMagnitude) {
  std::mt19937_64 generator(5);
  std::uniform_real_distribution<double> decades(-40.0, 40.0);
  for (const auto& [n, fs, w] : {std::tuple{1024, 48000.0f, 0.0f}, std::tuple{16384, 44100.0f, 4.77f},
                                 std::tuple{512, 8000.0f, 10.0f}}) {
    const LevelCoder coder(n, fs, w);
    std::vector<double> powers;
    for (int i = 0; i < 20000; ++i) powers.push_back(std::pow(10.0, decades(generator)));
    ExpectCoderMatches(coder, powers, n, fs, w);
  }
}

TEST(LevelCodeTest, TheCoderGivesLevelCodeAtAndAroundEveryHalfCode) {
  // Powers whose exact code lies on a half code, and their neighbours one
  // and a few units in the last place away: where an estimate would fail.
  const LevelCoder coder(kN, kFs, 3.0f);
  std::vector<double> powers;
  for (int code = -600; code <= 600; ++code) {
    const double boundary =
        kFs / kN * std::pow(10.0, (code + 0.5 - 4.0 * static_cast<double>(3.0f)) / 40.0);
    double below = boundary;
    double above = boundary;
    powers.push_back(boundary);
    for (int step = 0; step < 4; ++step) {
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, 1e300);
      powers.push_back(below);
      powers.push_back(above);
    }
  }
  ExpectCoderMatches(coder, powers, kN, kFs, 3.0f);
}

TEST(LevelCodeTest, TheCoderGivesLevelCodeForValuesWithoutALevelOrOutOfRange) {
  const LevelCoder coder(kN, kFs, 0.0f);
  const std::vector<double> powers = {0.0,
                                      -0.0,
                                      -5.0,
                                      std::nan(""),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::denorm_min(),
                                      std::numeric_limits<double>::min() / 3.0,
                                      std::numeric_limits<double>::min(),
                                      std::numeric_limits<double>::max(),
                                      1.0};
  ExpectCoderMatches(coder, powers, kN, kFs, 0.0f);
  // A correction that saturates every code takes the exact formula's limits.
  const LevelCoder saturated(kN, kFs, 9000.0f);
  ExpectCoderMatches(saturated, {1.0, 1e-30, 1e30}, kN, kFs, 9000.0f);
  // Only as many codes as both spans hold are written.
  std::vector<std::int16_t> codes(2, 77);
  coder.Codes(std::vector<double>{46.875e6}, codes);
  EXPECT_EQ(codes, (std::vector<std::int16_t>{240, 77}));
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
