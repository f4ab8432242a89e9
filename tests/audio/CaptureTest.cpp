#include "audio/Capture.h"
#include "audio/WaveFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "context/App.h"
#include "context/CommandIds.h"
#include "support/AppFixture.h"

namespace sonavue::audio {
namespace {

// Stream byte q of the test input: a value that differs between nearby
// positions and does not repeat with any buffer or ring period used here.
std::uint8_t Pattern(std::uint64_t q) {
  std::uint64_t x = q + 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return static_cast<std::uint8_t>(x ^ (x >> 31));
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The capture of a live input without a device: the test fills the two
// input buffers with the stream pattern and hands them to the completion
// handler as the device would.
class CaptureTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }

  void Prepare(int rate, int channels, int bits) {
    app::App& app = App();
    app.params.sampleRateHz = rate;
    app.params.typeId = channels == 2 ? app::ID_TYPE_STEREO : app::ID_TYPE_MONO;
    app.params.resolutionId = bits == 24 ? app::ID_BITS_24 : app::ID_BITS_16;
    ASSERT_TRUE(AllocateCapture(app));
    app::LiveInput& live = app.live;
    live.format = {static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels),
                   static_cast<std::uint16_t>(bits)};
    live.spanS = rate > 48000 ? 2 : 4;
    live.samplesPerBuffer = live.spanS * rate;
    live.bufferBytes = static_cast<std::int32_t>(live.samplesPerBuffer * live.format.BytesPerFrame());
    live.headerBytes = kWorkingHeaderBytes;
    live.block.assign(live.headerBytes + 2 * static_cast<std::size_t>(live.bufferBytes), 0);
    const auto length = static_cast<std::size_t>(live.bufferBytes);
    live.headerA = {std::span<std::uint8_t>(live.BufferA(), length), 0, 0};
    live.headerB = {std::span<std::uint8_t>(live.BufferB(), length), 0, 1};
    live.bufferStartMs = clock_.NowMs();
    app.frame.stopRequest = false;  // as when the input starts
    bytesPerSecond_ = static_cast<std::uint64_t>(rate) * live.format.BytesPerFrame();
  }

  // The device hands back the next buffer (A, B, A, …) holding `bytes` of
  // the stream, elapsedMs after the previous one (by default the time those
  // bytes take).
  void Complete(std::size_t bytes, std::uint32_t elapsedMs = 0) {
    app::LiveInput& live = App().live;
    platform::WaveBuffer& buffer = next_ % 2 == 0 ? live.headerA : live.headerB;
    for (std::size_t i = 0; i < bytes; ++i) buffer.data[i] = Pattern(streamBytes_ + i);
    buffer.bytesRecorded = bytes;
    streamBytes_ += bytes;
    clock_.Advance(elapsedMs != 0 ? elapsedMs : static_cast<std::uint32_t>(bytes * 1000 / bytesPerSecond_));
    HandleWaveInData(App(), buffer.index);
    ++next_;
  }
  void CompleteWholeBuffers(int count) {
    for (int i = 0; i < count; ++i) Complete(static_cast<std::size_t>(App().live.bufferBytes));
  }

  // temp.wav as written: its header's data length and its samples.
  struct Written {
    std::uint32_t dataLength = 0;
    std::vector<std::uint8_t> data;
  };
  Written ReadTemp() {
    std::ifstream in(App().workingFolder / "temp.wav", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Written written;
    if (bytes.size() < 68) return written;
    written.dataLength = ReadU32(bytes, 64);
    written.data.assign(bytes.begin() + 68, bytes.end());
    return written;
  }

  // Whether data is stream bytes [start, start + data.size()).
  static ::testing::AssertionResult IsStream(const std::vector<std::uint8_t>& data, std::uint64_t start) {
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (data[i] != Pattern(start + i)) {
        return ::testing::AssertionFailure() << "byte " << i << " is not stream byte " << start + i;
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::uint64_t bytesPerSecond_ = 0;
  std::uint64_t streamBytes_ = 0;
  int next_ = 0;
};

TEST_F(CaptureTest, ASpanAcrossTheRingsEndComesOutInStreamOrder) {
  Prepare(48000, 1, 16);  // 96000 bytes a second, a ring of 60 s
  CompleteWholeBuffers(16);  // 64 s: the ring has wrapped
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 58000.0, 62000.0), 4000.0);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 4U * 96000U);
  EXPECT_EQ(written.dataLength, 4U * 96000U);
  EXPECT_TRUE(IsStream(written.data, 58U * 96000U));
}

TEST_F(CaptureTest, TheWholeRingIsASixtySecondSpan) {
  Prepare(48000, 1, 16);
  CompleteWholeBuffers(16);
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 4000.0, 64000.0), 60000.0);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 60U * 96000U);
  EXPECT_TRUE(IsStream(written.data, 4U * 96000U));
}

TEST_F(CaptureTest, ASixtySecondSpanEndingBeforeTheNewestByteKeepsOnlyWhatTheRingHolds) {
  Prepare(48000, 1, 16);
  CompleteWholeBuffers(16);
  // Stream 3 … 63 s was asked for, but the ring holds 4 … 64 s: the first
  // second was overwritten by 63 … 64 s and must not come back as data.
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 3000.0, 63000.0), 59000.0);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 59U * 96000U);
  EXPECT_EQ(written.dataLength, 59U * 96000U);
  EXPECT_TRUE(IsStream(written.data, 4U * 96000U));
}

TEST_F(CaptureTest, ASpanOlderThanTheRingHoldsIsCutToWhatItHolds) {
  Prepare(48000, 1, 16);
  CompleteWholeBuffers(16);
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 0.0, 30000.0), 26000.0);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 26U * 96000U);
  EXPECT_TRUE(IsStream(written.data, 4U * 96000U));
  // Entirely older than the ring: nothing is left of it.
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 1000.0, 3000.0), 0.0);
  EXPECT_EQ(ReadTemp().dataLength, 0U);
}

TEST_F(CaptureTest, AStopInTheMiddleOfABufferKeepsWhatWasRecordedUpToIt) {
  Prepare(48000, 2, 16);  // 192000 bytes a second, buffers of 4 s
  CompleteWholeBuffers(1);
  // The device has filled 1.6 s of buffer B when STOP is pressed 1.5 s in:
  // the capture takes the 1.5 s the clock says were recorded.
  App().frame.stopRequest = true;
  Complete(192000 * 16 / 10, 1500);
  EXPECT_TRUE(App().capture.closed);
  EXPECT_DOUBLE_EQ(WriteCaptureFile(App(), 0.0, 10000.0), 5500.0);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 55U * 19200U);
  EXPECT_TRUE(IsStream(written.data, 0));
}

TEST_F(CaptureTest, TwentyFourBitStereoSpansAreWholeTwelveByteGroups) {
  Prepare(48000, 2, 24);  // 288000 bytes a second, 6 bytes a frame
  CompleteWholeBuffers(2);
  // 1000.01 ms is stream byte 288002.88, 5000.03 ms byte 1440008.64: the
  // span ends on the last whole group before its end and holds whole groups.
  const double kept = WriteCaptureFile(App(), 1000.01, 5000.03);
  const Written written = ReadTemp();
  ASSERT_EQ(written.data.size(), 1152000U);
  EXPECT_EQ(written.dataLength, 1152000U);
  EXPECT_DOUBLE_EQ(kept, 4000.0);
  EXPECT_TRUE(IsStream(written.data, 1440000U - 1152000U));
}

}  // namespace
}  // namespace sonavue::audio
