#include "audio/WaveConversion.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavue::audio {
namespace {

using sonavue::testing::ReadFileBytes;
using sonavue::testing::TempFolder;
using sonavue::testing::WavBuilder;

TEST(WaveConversionTest, EightBitSamplesBecomeSigned16Bit) {
  TempFolder folder;
  WavBuilder().Format(1, 2, 22050, 8).Data({128, 255, 0, 129, 127}).Write(folder / "in.wav");
  ASSERT_TRUE(Convert8BitTo16(folder / "in.wav", folder / "mod.wav"));
  const auto out = ReadFileBytes(folder / "mod.wav");
  ASSERT_EQ(out.size(), 68U + 10U);
  EXPECT_EQ(ReadU16(&out[20]), 0xFFFE);
  EXPECT_EQ(ReadU16(&out[22]), 2);
  EXPECT_EQ(ReadU32(&out[24]), 22050U);
  EXPECT_EQ(ReadU16(&out[34]), 16);
  EXPECT_EQ(ReadU32(&out[64]), 10U);
  const auto sample = [&](int i) { return static_cast<std::int16_t>(ReadU16(&out[68 + 2 * i])); };
  EXPECT_EQ(sample(0), 0);
  EXPECT_EQ(sample(1), 32512);
  EXPECT_EQ(sample(2), -32768);
  EXPECT_EQ(sample(3), 256);
  EXPECT_EQ(sample(4), -256);
}

TEST(WaveConversionTest, FloatSamplesBecome24Bit) {
  TempFolder folder;
  WavBuilder().Format(3, 1, 44100, 32).Data(WavBuilder::Float32({0.5F, -1.0F, 0.0F, 1.0F, 2.5F, -3.0F}))
      .Write(folder / "in.wav");
  ASSERT_TRUE(ConvertFloatTo24(folder / "in.wav", folder / "mod.wav"));
  const auto out = ReadFileBytes(folder / "mod.wav");
  ASSERT_EQ(out.size(), 68U + 18U);
  EXPECT_EQ(ReadU16(&out[34]), 24);
  EXPECT_EQ(ReadU16(&out[32]), 3);
  EXPECT_EQ(ReadU32(&out[64]), 18U);
  const auto sample = [&](int i) {
    const std::uint8_t* p = &out[68 + 3 * i];
    return static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<std::uint32_t>(p[2]) << 24)) >> 8;
  };
  EXPECT_EQ(sample(0), 4194304);
  EXPECT_EQ(sample(1), -8388608);
  EXPECT_EQ(sample(2), 0);
  // Full scale and beyond saturate rather than wrap around.
  EXPECT_EQ(sample(3), 8388607);
  EXPECT_EQ(sample(4), 8388607);
  EXPECT_EQ(sample(5), -8388608);
}

TEST(WaveConversionTest, FloatTo24TruncatesTowardZero) {
  EXPECT_EQ(FloatTo24(1.0F / 8388608.0F * 2.75F), 2);
  EXPECT_EQ(FloatTo24(-1.0F / 8388608.0F * 2.75F), -2);
  EXPECT_EQ(FloatTo24(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(FloatTo24(-std::numeric_limits<float>::infinity()), -8388608);
}

TEST(WaveConversionTest, ADataChunkLongerThanTheFileFailsAndKeepsTheOldConversion) {
  TempFolder folder;
  std::ofstream(folder / "mod.wav") << "earlier conversion";
  WavBuilder().Format(1, 1, 8000, 8).DataHeader(1000).Raw({1, 2, 3}).Write(folder / "cut.wav");
  EXPECT_FALSE(Convert8BitTo16(folder / "cut.wav", folder / "mod.wav"));
  const auto kept = ReadFileBytes(folder / "mod.wav");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier conversion");
  EXPECT_FALSE(std::filesystem::exists(folder / "mod.wav.new"));
  EXPECT_FALSE(Convert8BitTo16(folder / "missing.wav", folder / "mod.wav"));
  // A huge stored length is refused without trying to hold it.
  WavBuilder().Format(3, 1, 8000, 32).DataHeader(0xFFFFFFF0U).Write(folder / "huge.wav");
  EXPECT_FALSE(ConvertFloatTo24(folder / "huge.wav", folder / "mod.wav"));
}

TEST(WaveConversionTest, LongFilesConvertAcrossBlocks) {
  TempFolder folder;
  std::vector<std::uint8_t> samples(700'001);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
  WavBuilder().Format(1, 1, 8000, 8).Data(samples).Write(folder / "long.wav");
  ASSERT_TRUE(Convert8BitTo16(folder / "long.wav", folder / "mod.wav"));
  const auto out = ReadFileBytes(folder / "mod.wav");
  ASSERT_EQ(out.size(), 68U + 2 * samples.size());
  for (std::size_t i : {std::size_t{0}, std::size_t{262143}, std::size_t{262144}, samples.size() - 1}) {
    EXPECT_EQ(static_cast<std::int16_t>(ReadU16(&out[68 + 2 * i])), (samples[i] - 128) * 256) << i;
  }
}

}  // namespace
}  // namespace sonavue::audio
