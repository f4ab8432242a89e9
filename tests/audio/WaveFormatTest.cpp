#include "audio/WaveFormat.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavue::audio {
namespace {

using sonavue::testing::TempFolder;
using sonavue::testing::WavBuilder;

class WaveFormatTest : public ::testing::Test {
 protected:
  // Reads a built file through the header reader; returns its error.
  WaveError Read(const WavBuilder& builder, WaveFileInfo& info) {
    builder.Write(folder_ / "t.wav");
    ChunkLayout layout;
    return ReadHeaderBlock(folder_ / "t.wav", info, layout);
  }
  TempFolder folder_;
};

TEST_F(WaveFormatTest, PlainPcmFileReportsItsFields) {
  WaveFileInfo info;
  ASSERT_EQ(Read(WavBuilder().Format(1, 2, 44100, 16).Data(std::vector<std::uint8_t>(17640, 0)), info),
            WaveError::None);
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.sampleRate, 44100);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.bytesPerSample, 2U);
  EXPECT_EQ(info.sourceBits, 16);
  EXPECT_EQ(info.firstSampleOffset, 44U);  // 12 + 8 + 16 + 8
  EXPECT_EQ(info.dataLength, 17640U);
  EXPECT_FLOAT_EQ(info.durationS, 0.1F);
}

TEST_F(WaveFormatTest, FormatChunkBehindALargeChunkIsFound) {
  WaveFileInfo info;
  const auto builder = WavBuilder()
                           .Chunk("LIST", std::vector<std::uint8_t>(7000, 'x'))
                           .Format(1, 1, 48000, 24)
                           .Data(std::vector<std::uint8_t>(30, 0));
  ASSERT_EQ(Read(builder, info), WaveError::None);
  EXPECT_EQ(info.bitsPerSample, 24);
  EXPECT_EQ(info.firstSampleOffset, 12U + 7008U + 24U + 8U);
}

TEST_F(WaveFormatTest, FormatChunkBeyondTheFirst8192BytesIsNotFound) {
  WaveFileInfo info;
  const auto builder = WavBuilder()
                           .Chunk("LIST", std::vector<std::uint8_t>(8200, 'x'))
                           .Format(1, 1, 48000, 16)
                           .Data(std::vector<std::uint8_t>(30, 0));
  EXPECT_EQ(Read(builder, info), WaveError::NoFormatBlock);
  EXPECT_EQ(WaveErrorMessage(WaveError::NoFormatBlock, WaveCommand::ScanFile),
            "File is not PCM Wave Format");
  EXPECT_EQ(WaveErrorMessage(WaveError::NoFormatBlock, WaveCommand::AnalyzeFile),
            "Unsupported wave file format");
}

TEST_F(WaveFormatTest, TheFormatIdIsFoundAnywhereAndInAnyCase) {
  // "FMT " inside the bytes of another chunk is taken, as a plain scan does.
  WaveFileInfo info;
  std::vector<std::uint8_t> junk = {'a', 'b', 'F', 'M', 'T', ' '};
  const std::vector<std::uint8_t> fmt = {1, 0, 1, 0, 0x80, 0xBB, 0, 0, 0, 0, 0, 0, 2, 0, 16, 0};
  junk.push_back(16);
  junk.insert(junk.end(), {0, 0, 0});
  junk.insert(junk.end(), fmt.begin(), fmt.end());
  junk.insert(junk.end(), {'D', 'a', 'T', 'a', 4, 0, 0, 0, 1, 2, 3, 4});
  ASSERT_EQ(Read(WavBuilder().Raw(junk), info), WaveError::None);
  EXPECT_EQ(info.sampleRate, 48000);
  EXPECT_EQ(info.dataLength, 4U);
}

TEST_F(WaveFormatTest, ADataHeaderAtOrBeyond8184IsRefused) {
  // The filler chunk ends so that "data" sits at offset 8180: its length
  // field at 8184 may not be read.
  WaveFileInfo info;
  const std::size_t fillerBody = 8180 - (12 + 24) - 8;
  auto builder = WavBuilder().Format(1, 1, 48000, 16).Chunk("junk", std::vector<std::uint8_t>(fillerBody, 0))
                     .Data(std::vector<std::uint8_t>(100, 0));
  EXPECT_EQ(Read(builder, info), WaveError::NoFormatBlock);
  // Four bytes earlier it is read.
  builder = WavBuilder().Format(1, 1, 48000, 16).Chunk("junk", std::vector<std::uint8_t>(fillerBody - 4, 0))
                .Data(std::vector<std::uint8_t>(100, 0));
  ASSERT_EQ(Read(builder, info), WaveError::None);
  EXPECT_EQ(info.firstSampleOffset, 8184U);
}

TEST_F(WaveFormatTest, ZeroLengthDataAndMissingDataChunks) {
  WaveFileInfo info;
  ASSERT_EQ(Read(WavBuilder().Format(1, 1, 48000, 16).Data({}), info), WaveError::None);
  EXPECT_EQ(info.dataLength, 0U);
  EXPECT_EQ(info.durationS, 0.0F);
  EXPECT_EQ(Read(WavBuilder().Format(1, 1, 48000, 16), info), WaveError::NoFormatBlock);
  // A chunk length that points far beyond the bytes read.
  EXPECT_EQ(Read(WavBuilder().Format(1, 1, 48000, 16).Chunk("big ", {}).Raw({0xFF, 0xFF, 0xFF, 0x7F}),
                 info),
            WaveError::NoFormatBlock);
}

TEST_F(WaveFormatTest, OddChunksAreWalkedWithOrWithoutTheirPadByte) {
  WaveFileInfo info;
  auto padded = WavBuilder().Format(1, 1, 48000, 16).Chunk("note", {'a', 'b', 'c'}, true).Data({1, 2});
  ASSERT_EQ(Read(padded, info), WaveError::None);
  EXPECT_EQ(info.dataLength, 2U);
  auto unpadded = WavBuilder().Format(1, 1, 48000, 16).Chunk("note", {'a', 'b', 'c'}, false).Data({1, 2});
  ASSERT_EQ(Read(unpadded, info), WaveError::None);
  EXPECT_EQ(info.dataLength, 2U);
}

TEST_F(WaveFormatTest, EmptyAndMissingFiles) {
  WaveFileInfo info;
  ChunkLayout layout;
  EXPECT_EQ(ReadHeaderBlock(folder_ / "none.wav", info, layout), WaveError::CannotOpen);
  std::ofstream(folder_ / "empty.wav").close();
  EXPECT_EQ(ReadHeaderBlock(folder_ / "empty.wav", info, layout), WaveError::NoFormatBlock);
}

TEST_F(WaveFormatTest, ChecksComeInEachCommandsOrder) {
  WaveFileInfo ok;
  ok.formatTag = 1;
  ok.channels = 2;
  ok.sampleRate = 96000;
  ok.bitsPerSample = 24;
  EXPECT_EQ(CheckFormat(ok, WaveCommand::ScanFile), WaveError::None);
  EXPECT_EQ(CheckFormat(ok, WaveCommand::AnalyzeFile), WaveError::None);

  WaveFileInfo fast = ok;
  fast.sampleRate = 96001;
  EXPECT_EQ(CheckFormat(fast, WaveCommand::ScanFile), WaveError::RateAboveScan);
  EXPECT_EQ(CheckFormat(fast, WaveCommand::AnalyzeFile), WaveError::None);
  EXPECT_EQ(WaveErrorMessage(WaveError::RateAboveScan, WaveCommand::ScanFile),
            "Sampling rate greater than 96 kHz. Use 'Analyze File' instead.");

  // The format tag is checked before the rate; the rate before the channels.
  WaveFileInfo bad = fast;
  bad.formatTag = 2;
  EXPECT_EQ(CheckFormat(bad, WaveCommand::ScanFile), WaveError::Unsupported);
  bad = fast;
  bad.channels = 3;
  EXPECT_EQ(CheckFormat(bad, WaveCommand::ScanFile), WaveError::RateAboveScan);
  EXPECT_EQ(CheckFormat(bad, WaveCommand::AnalyzeFile), WaveError::Unsupported);

  WaveFileInfo int32 = ok;
  int32.bitsPerSample = 32;
  EXPECT_EQ(CheckFormat(int32, WaveCommand::AnalyzeFile), WaveError::Unsupported);
  int32.formatTag = kFormatExtensible;
  EXPECT_EQ(CheckFormat(int32, WaveCommand::AnalyzeFile), WaveError::Unsupported);
  WaveFileInfo floats = ok;
  floats.formatTag = kFormatFloat;
  floats.bitsPerSample = 32;
  EXPECT_EQ(CheckFormat(floats, WaveCommand::AnalyzeFile), WaveError::None);
  floats.bitsPerSample = 64;
  EXPECT_EQ(CheckFormat(floats, WaveCommand::AnalyzeFile), WaveError::Unsupported);
  for (int bits : {0, 4, 12, 20}) {
    WaveFileInfo odd = ok;
    odd.bitsPerSample = static_cast<std::int16_t>(bits);
    EXPECT_EQ(CheckFormat(odd, WaveCommand::AnalyzeFile), WaveError::Unsupported) << bits;
  }
  WaveFileInfo noRate = ok;
  noRate.sampleRate = 0;
  EXPECT_EQ(CheckFormat(noRate, WaveCommand::AnalyzeFile), WaveError::Unsupported);
}

TEST(UltrasoundRateTest, WorkedRates) {
  const auto check = [](std::int32_t rate, std::int32_t analysis, std::int32_t multiplier) {
    const UltrasoundRate r = ReduceUltrasoundRate(rate);
    ASSERT_TRUE(r.ok) << rate;
    EXPECT_EQ(r.analysisRate, analysis) << rate;
    EXPECT_EQ(r.multiplier, multiplier) << rate;
  };
  check(96001, 48001, 2);  // no base divides it: 96001 ÷ 2 rounded
  check(192000, 48000, 4);
  check(352800, 44100, 8);
  check(256000, 32000, 8);
  check(250000, 50000, 5);
  check(384000, 48000, 8);
  check(960000, 48000, 20);
  EXPECT_FALSE(ReduceUltrasoundRate(1000000).ok);  // 20.83 → 21
  EXPECT_FALSE(ReduceUltrasoundRate(1008000).ok);  // 21 × 48000
  EXPECT_FALSE(ReduceUltrasoundRate(0).ok);
  EXPECT_FALSE(ReduceUltrasoundRate(-5).ok);
}

TEST(WaveHeaderTest, WorkingHeaderLayout) {
  std::array<std::uint8_t, kWorkingHeaderBytes> h{};
  WriteWorkingHeader(h, 2, 48000, 24, 600);
  EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "RIFF");
  EXPECT_EQ(ReadU32(&h[4]), 660U);
  EXPECT_EQ(std::string(h.begin() + 8, h.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(ReadU32(&h[16]), 40U);
  EXPECT_EQ(ReadU16(&h[20]), 0xFFFE);
  EXPECT_EQ(ReadU16(&h[22]), 2);
  EXPECT_EQ(ReadU32(&h[24]), 48000U);
  EXPECT_EQ(ReadU32(&h[28]), 288000U);
  EXPECT_EQ(ReadU16(&h[32]), 6);
  EXPECT_EQ(ReadU16(&h[34]), 24);
  EXPECT_EQ(ReadU16(&h[36]), 22);
  EXPECT_EQ(ReadU16(&h[38]), 24);
  EXPECT_EQ(ReadU32(&h[40]), 3U);
  const std::uint8_t guid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  EXPECT_TRUE(std::equal(guid, guid + 16, h.begin() + 44));
  EXPECT_EQ(std::string(h.begin() + 60, h.begin() + 64), "data");
  EXPECT_EQ(ReadU32(&h[64]), 600U);
  WriteWorkingHeader(h, 1, 22050, 16, 10);
  EXPECT_EQ(ReadU32(&h[40]), 4U);
}

TEST(WaveHeaderTest, PlainHeaderLayoutIsReadBackByTheReader) {
  std::array<std::uint8_t, kPlainHeaderBytes> h{};
  WritePlainHeader(h, 1, 44100, 16, 8);
  EXPECT_EQ(ReadU32(&h[4]), 46U);
  EXPECT_EQ(ReadU32(&h[16]), 18U);
  EXPECT_EQ(ReadU16(&h[20]), 1);
  EXPECT_EQ(ReadU32(&h[28]), 88200U);
  EXPECT_EQ(ReadU16(&h[32]), 2);
  EXPECT_EQ(ReadU16(&h[36]), 0);
  EXPECT_EQ(ReadU32(&h[42]), 8U);

  std::array<std::uint8_t, kHeaderScanBytes> head{};
  std::copy(h.begin(), h.end(), head.begin());
  ChunkLayout layout;
  ASSERT_TRUE(FindChunks(head, layout));
  WaveFileInfo info;
  FillInfo(head, layout, info);
  EXPECT_EQ(info.firstSampleOffset, 46U);
  EXPECT_EQ(info.sampleRate, 44100);
}

TEST(SampleScaleTest, SixteenAndTwentyFourBitSamples) {
  EXPECT_FLOAT_EQ(Sample16ToNumber(-32768, 1.0F), -32767.0F);
  EXPECT_FLOAT_EQ(Sample16ToNumber(1000, GainFactor(-6)), 1000.0F * 1.9952623F);
  EXPECT_FLOAT_EQ(Sample16ToNumber(30000, GainFactor(-30)), 32767.0F);  // limited
  const std::uint8_t half[3] = {0x00, 0x00, 0x40};     // 4194304
  EXPECT_FLOAT_EQ(Sample24ToNumber(half, 1.0F), 16384.0F);
  const std::uint8_t minimum[3] = {0x00, 0x00, 0x80};  // −8388608
  EXPECT_FLOAT_EQ(Sample24ToNumber(minimum, 1.0F), -32768.0F);  // not limited
  EXPECT_FLOAT_EQ(Sample24ToNumber(minimum, GainFactor(-20)), -327680.0F);
  EXPECT_FLOAT_EQ(GainFactor(20), 0.1F);
}

}  // namespace
}  // namespace sonavue::audio
