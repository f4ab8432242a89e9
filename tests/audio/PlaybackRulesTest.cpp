#include "audio/Playback.h"
#include "audio/WaveFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sonavue::audio {
namespace {

std::vector<std::uint8_t> Pcm16(const std::vector<int>& samples) {
  std::vector<std::uint8_t> bytes;
  for (int s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s));
    bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(s) >> 8));
  }
  return bytes;
}

std::vector<int> Read16(std::span<const std::uint8_t> bytes) {
  std::vector<int> samples;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
  }
  return samples;
}

std::vector<std::uint8_t> Pcm24(const std::vector<int>& samples) {
  std::vector<std::uint8_t> bytes;
  for (int s : samples) {
    for (int b = 0; b < 3; ++b) bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(s) >> (8 * b)));
  }
  return bytes;
}

std::vector<int> Read24(std::span<const std::uint8_t> bytes) {
  std::vector<int> samples;
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
    const auto word = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[i]) << 8 |
                                                static_cast<std::uint32_t>(bytes[i + 1]) << 16 |
                                                static_cast<std::uint32_t>(bytes[i + 2]) << 24);
    samples.push_back(word / 256);
  }
  return samples;
}

TEST(PlaybackRulesTest, TheLoopBufferHoldsTwoSecondsInWholeFramesAndItsHalvesWholeSamples) {
  // 48000 Hz mono 16 bits: 192000 bytes is already a multiple of 12, so it
  // gets 12 more; 11025 Hz mono 24 bits: 66150 rounds up to 66156.
  EXPECT_EQ(LoopBufferBytes(48000, 2, 1), 192012U);
  EXPECT_EQ(LoopBufferBytes(11025, 3, 1), 66156U);
  for (std::uint32_t rate : {8000U, 11025U, 22050U, 44100U, 48000U, 96000U}) {
    for (int bytes : {2, 3}) {
      for (int channels : {1, 2}) {
        const std::uint32_t twoSeconds = rate * static_cast<std::uint32_t>(bytes * channels) * 2;
        const std::uint32_t length = LoopBufferBytes(rate, bytes, channels);
        EXPECT_EQ(length % 12, 0U);
        EXPECT_GT(length, twoSeconds);
        EXPECT_LE(length, twoSeconds + 12);
        EXPECT_EQ(length % static_cast<std::uint32_t>(bytes * channels), 0U);
        // Each half holds whole samples (a 16-bit stereo frame may straddle
        // the middle: the halves are refilled as one continuous stream).
        EXPECT_EQ(length / 2 % static_cast<std::uint32_t>(bytes), 0U);
      }
    }
  }
}

TEST(PlaybackRulesTest, LoopCountsCoverTheSignalOrTheVisibleSpanPlusOne) {
  EXPECT_EQ(WholePlayLoops(0, 192012), 1);
  EXPECT_EQ(WholePlayLoops(192011, 192012), 1);
  EXPECT_EQ(WholePlayLoops(192012, 192012), 2);
  EXPECT_EQ(WholePlayLoops(3 * 192012 + 5, 192012), 4);
  // 1000 columns of 10 ms at 48000 Hz mono 16 bits: 960000 bytes, 4.9997
  // loop buffers, so 4 + 1.
  EXPECT_EQ(WindowPlayLoops(10.0, 1000, 48000, 1, 2, 192012), 5);
  EXPECT_EQ(WindowPlayLoops(10.0, 10, 48000, 1, 2, 192012), 1);
}

TEST(PlaybackRulesTest, PlayWindowStartsAtTheFirstVisibleColumnInWholeFrames) {
  // 10 ms columns at 48000 Hz mono 16 bits are 960 bytes: column 7 starts at 6720.
  EXPECT_EQ(WindowStartByte(7, 10.0, 48000, 1, 2, 1000000), 6720U);
  // 2.3 ms at 44100 Hz stereo 24 bits: 608.58 bytes a column; column 3 is
  // 1825.74, rounded 1826, down to 1824.
  EXPECT_EQ(WindowStartByte(3, 2.3, 44100, 2, 3, 1000000), 1824U);
  EXPECT_EQ(WindowStartByte(0, 2.3, 44100, 2, 3, 1000000), 0U);
  // Never past the signal.
  EXPECT_EQ(WindowStartByte(5000, 10.0, 48000, 1, 2, 96000), 96000U);
}

TEST(PlaybackRulesTest, SixteenBitSamplesAreScaledTruncatedAndLimited) {
  const std::vector<std::uint8_t> signal = Pcm16({1001, -1001, 20000, -20000, -32768, 7});
  std::vector<std::uint8_t> memory(2 * 8 + 4, 0xAB);  // a half of 8 samples and guard bytes
  const std::span<std::uint8_t> half(memory.data(), 16);
  std::size_t position = 0;

  EXPECT_EQ(FillHalf(half, signal, position, 2, 0.5), 12U);
  EXPECT_EQ(position, 12U);
  // Halved and truncated toward zero; the half past the signal is silence.
  EXPECT_EQ(Read16(half), (std::vector<int>{500, -500, 10000, -10000, -16384, 3, 0, 0}));
  for (std::size_t i = 16; i < memory.size(); ++i) EXPECT_EQ(memory[i], 0xAB) << "guard byte " << i;

  // Doubled: held at ±32767; −32768 is held at −32767 even at unit gain.
  position = 0;
  FillHalf(half, signal, position, 2, 2.0);
  EXPECT_EQ(Read16(half), (std::vector<int>{2002, -2002, 32767, -32767, -32767, 14, 0, 0}));
  position = 0;
  FillHalf(half, signal, position, 2, 1.0);
  EXPECT_EQ(Read16(half)[4], -32767);
}

TEST(PlaybackRulesTest, AHalfIsFilledFromTheReadPositionOnAndThenRunsDry) {
  std::vector<int> values;
  for (int i = 0; i < 10; ++i) values.push_back(100 * i);
  const std::vector<std::uint8_t> signal = Pcm16(values);
  std::vector<std::uint8_t> half(8, 0xCD);  // four samples
  std::size_t position = 6;  // the fourth sample
  EXPECT_EQ(FillHalf(half, signal, position, 2, 1.0), 8U);
  EXPECT_EQ(Read16(half), (std::vector<int>{300, 400, 500, 600}));
  EXPECT_EQ(FillHalf(half, signal, position, 2, 1.0), 6U);
  EXPECT_EQ(Read16(half), (std::vector<int>{700, 800, 900, 0}));
  EXPECT_EQ(FillHalf(half, signal, position, 2, 1.0), 0U);
  EXPECT_EQ(Read16(half), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(position, signal.size());
}

TEST(PlaybackRulesTest, TwentyFourBitSamplesAreScaledWithoutLimitAndHeldAtFullScale) {
  const std::vector<int> values{8388607, -8388608, 1234567, -1234567, 3, -3};
  const std::vector<std::uint8_t> signal = Pcm24(values);
  std::vector<std::uint8_t> half(signal.size());
  std::size_t position = 0;
  // +6 dB: every sample × 0.50118723, to within the last bit (the factor is
  // single precision, the value truncated and cut to three bytes); full-scale
  // samples come out near half scale, not limited to any 16-bit range.
  FillHalf(half, signal, position, 3, GainFactor(6));
  const std::vector<int> played = Read24(half);
  ASSERT_EQ(played.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_NEAR(played[i], values[i] * 0.50118723, 1.5) << "sample " << i;
  }
  EXPECT_GT(played[0], 4204000);
  EXPECT_LT(played[1], -4204000);

  // −6 dB, taken as a factor of exactly 2 (amplifying): 1234567 doubles to
  // 2469134 within the 24-bit range; the full-scale samples stay at full
  // scale instead of wrapping round.
  position = 0;
  FillHalf(half, signal, position, 3, 2.0);
  EXPECT_EQ(Read24(half), (std::vector<int>{8388607, -8388608, 2469134, -2469134, 6, -6}));
}

}  // namespace
}  // namespace sonavue::audio
