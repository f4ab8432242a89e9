#include "audio/SampleScaling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace sonavue::audio {
namespace {

std::vector<std::uint8_t> Pcm16(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

std::int16_t At16(const std::vector<std::uint8_t>& bytes, std::size_t i) {
  return static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

std::int32_t At24(const std::vector<std::uint8_t>& bytes, std::size_t i) {
  const std::uint32_t u = bytes[3 * i] | (bytes[3 * i + 1] << 8) | (bytes[3 * i + 2] << 16);
  return static_cast<std::int32_t>(u << 8) >> 8;
}

TEST(SampleScalingTest, SixteenBitSamplesScaleRoundAndClampAtTheFullScale) {
  std::vector<std::uint8_t> bytes = Pcm16({1000, -1000, 20000, -20000, 3, 0});
  ScaleSamplesInPlace(bytes, 2, 2.0);
  EXPECT_EQ(At16(bytes, 0), 2000);
  EXPECT_EQ(At16(bytes, 1), -2000);
  EXPECT_EQ(At16(bytes, 2), 32767);
  EXPECT_EQ(At16(bytes, 3), -32767);
  EXPECT_EQ(At16(bytes, 4), 6);
  EXPECT_EQ(At16(bytes, 5), 0);
  ScaleSamplesInPlace(bytes, 2, 0.25);
  EXPECT_EQ(At16(bytes, 4), 2);  // 1.5 rounds away from zero
  EXPECT_EQ(At16(bytes, 0), 500);
}

TEST(SampleScalingTest, TwentyFourBitSamplesKeepTheirSignAndClampAt24Bits) {
  std::vector<std::uint8_t> bytes;
  for (std::int32_t v : {100000, -100000, 8000000, -3}) {
    const auto u = static_cast<std::uint32_t>(v);
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((u >> 16) & 0xFF));
  }
  bytes.push_back(0x7F);  // a stray byte that makes no sample stays as it is
  ScaleSamplesInPlace(bytes, 3, 2.0);
  EXPECT_EQ(At24(bytes, 0), 200000);
  EXPECT_EQ(At24(bytes, 1), -200000);
  EXPECT_EQ(At24(bytes, 2), 8388607);
  EXPECT_EQ(At24(bytes, 3), -6);
  EXPECT_EQ(bytes.back(), 0x7F);
}

TEST(SampleScalingTest, TheGainChangeFactorUndoesTheOldGainAndAppliesTheNew) {
  // A higher gain setting attenuates: 0 → 6 dB and −6 → 0 dB both take 6 dB off.
  EXPECT_NEAR(GainChangeFactor(0, 6), std::pow(10.0, -6.0 / 20.0), 1e-12);
  EXPECT_NEAR(GainChangeFactor(-6, 0), std::pow(10.0, -6.0 / 20.0), 1e-12);
  EXPECT_DOUBLE_EQ(GainChangeFactor(12, 12), 1.0);
  EXPECT_NEAR(GainChangeFactor(-30, 30) * GainChangeFactor(30, -30), 1.0, 1e-12);
}

}  // namespace
}  // namespace sonavue::audio
