// The calibration sound file: how its chunks are found, what plays, and
// every refusal.

#include "calibration/CalibrationSound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::calibration {
namespace {

using sonavue::testing::WavBuilder;

std::vector<std::uint8_t> Samples(std::size_t frames, int channels = 1) {
  std::vector<std::int16_t> s(frames * static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(i * 37 % 2000 - 1000);
  return WavBuilder::Pcm16(s);
}

TEST(FindCalibrationSoundTest, FindsTheFormatAndTheDataAfterOtherChunks) {
  const auto bytes = WavBuilder()
                         .Chunk("LIST", std::vector<std::uint8_t>(30, 7))
                         .Format(1, 2, 44100, 24)
                         .Chunk("fact", {1, 2, 3, 4})
                         .Data(std::vector<std::uint8_t>(600, 0))
                         .Bytes();
  const auto layout = FindCalibrationSound(bytes);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->format.channels, 2);
  EXPECT_EQ(layout->format.sampleRate, 44100U);
  EXPECT_EQ(layout->format.bitsPerSample, 24);
  EXPECT_EQ(layout->dataLength, 600U);
  EXPECT_EQ(layout->dataOffset, bytes.size() - 600);
}

TEST(FindCalibrationSoundTest, IdentifiersInAnyLetterCase) {
  auto bytes = WavBuilder().Format(1, 1, 48000, 16).Data(std::vector<std::uint8_t>(10, 0)).Bytes();
  for (std::size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (std::equal(bytes.begin() + i, bytes.begin() + i + 4, "fmt ")) std::copy_n("FMT ", 4, bytes.begin() + i);
    if (std::equal(bytes.begin() + i, bytes.begin() + i + 4, "data")) std::copy_n("DaTa", 4, bytes.begin() + i);
  }
  EXPECT_TRUE(FindCalibrationSound(bytes).has_value());
}

TEST(FindCalibrationSoundTest, RefusesWhatIsNotAWaveWithFormatAndData) {
  EXPECT_FALSE(FindCalibrationSound(std::vector<std::uint8_t>(8192, 0)).has_value());
  EXPECT_FALSE(FindCalibrationSound(WavBuilder().Format(1, 1, 48000, 16).Bytes()).has_value());
  // A format block cut off by the end of the file.
  auto cut = WavBuilder().Format(1, 1, 48000, 16).Bytes();
  cut.resize(cut.size() - 6);
  EXPECT_FALSE(FindCalibrationSound(cut).has_value());
  // A data chunk beyond the first 8192 bytes.
  const auto far = WavBuilder()
                       .Format(1, 1, 48000, 16)
                       .Chunk("junk", std::vector<std::uint8_t>(9000, 0))
                       .Data(std::vector<std::uint8_t>(10, 0))
                       .Bytes();
  EXPECT_FALSE(FindCalibrationSound(far).has_value());
  // A chunk length that points past everything.
  const auto huge = WavBuilder()
                        .Format(1, 1, 48000, 16)
                        .Raw({'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF})
                        .Data(std::vector<std::uint8_t>(10, 0))
                        .Bytes();
  EXPECT_FALSE(FindCalibrationSound(huge).has_value());
  EXPECT_FALSE(FindCalibrationSound({}).has_value());
}

class CalibrationSoundTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
  std::filesystem::path SoundFile() { return environment_.executableFolder / "cal.wav"; }
  void ExpectBox(const std::string& text, platform::BoxIcon icon) {
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, "VOLSK");
    EXPECT_EQ(boxes[0].icon, icon);
  }
};

TEST_F(CalibrationSoundTest, TheFileLoopsUntilStoppedAndTheOutputIsFreedByItsNotification) {
  const auto data = Samples(4800);  // 0.1 s
  WavBuilder().Format(1, 1, 48000, 16).Data(data).Write(SoundFile());
  ASSERT_TRUE(StartCalibrationSound(App()));
  EXPECT_TRUE(CalibrationSoundPlaying(App()));
  EXPECT_EQ(App().output.user, app::OutputUser::CalibrationSound);
  clock_.Advance(250);
  StopCalibrationSound(App());
  EXPECT_FALSE(CalibrationSoundPlaying(App()));
  // Until its notification arrives the output stays the sound's.
  EXPECT_EQ(App().output.user, app::OutputUser::CalibrationSound);
  ProcessEvents();
  EXPECT_EQ(App().output.user, app::OutputUser::None);
  const auto played = devices_.PlayedBytes();
  ASSERT_EQ(played.size(), 2U * 12000U);  // 250 ms
  EXPECT_TRUE(std::equal(data.begin(), data.end(), played.begin()));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), played.begin() + static_cast<std::ptrdiff_t>(data.size())));
}

TEST_F(CalibrationSoundTest, ASoundThatRanThroughAllItsRepetitionsReleasesTheDevice) {
  WavBuilder().Format(1, 1, 48000, 16).Data(Samples(48)).Write(SoundFile());  // 1 ms
  ASSERT_TRUE(StartCalibrationSound(App()));
  clock_.Advance(1100);  // 1000 repetitions of 1 ms
  ProcessEvents();
  EXPECT_FALSE(CalibrationSoundPlaying(App()));
  EXPECT_EQ(App().output.user, app::OutputUser::None);
  EXPECT_FALSE(App().output.device);
  EXPECT_EQ(devices_.PlayedBytes().size(), 1000U * 96U);
}

TEST_F(CalibrationSoundTest, AStaleNotificationLeavesANewerSoundPlaying) {
  WavBuilder().Format(1, 1, 48000, 16).Data(Samples(4800)).Write(SoundFile());
  ASSERT_TRUE(StartCalibrationSound(App()));
  StopCalibrationSound(App());
  ASSERT_TRUE(StartCalibrationSound(App()));  // before the first one's notification
  ProcessEvents();
  EXPECT_TRUE(CalibrationSoundPlaying(App()));
  StopCalibrationSound(App());
  ProcessEvents();
  EXPECT_EQ(App().output.user, app::OutputUser::None);
}

TEST_F(CalibrationSoundTest, AMissingFileIsNotAvailable) {
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("Recording Not Available", platform::BoxIcon::Warning);
  EXPECT_EQ(App().output.user, app::OutputUser::None);
}

TEST_F(CalibrationSoundTest, AFileWithoutChunksMayNotBePcm) {
  std::ofstream(SoundFile()) << "This is not a sound.";
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("File may not be PCM Wave Format", platform::BoxIcon::Warning);
}

TEST_F(CalibrationSoundTest, FormatsTheOutputRefusesCannotOpenTheDevice) {
  WavBuilder().Format(1, 1, 48000, 8).Data(std::vector<std::uint8_t>(100, 128)).Write(SoundFile());
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("Cannot Open Audio Device", platform::BoxIcon::Error);
  WavBuilder().Format(1, 0, 48000, 16).Data(Samples(100)).Write(SoundFile());
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("Cannot Open Audio Device", platform::BoxIcon::Error);
  WavBuilder().Format(1, 1, 48000, 16).Data({}).Write(SoundFile());
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("Cannot Open Audio Device", platform::BoxIcon::Error);
  WavBuilder().Format(1, 1, 48000, 16).Data(Samples(100)).Write(SoundFile());
  devices_.RefuseOutput(true);
  EXPECT_FALSE(StartCalibrationSound(App()));
  ExpectBox("Cannot Open Audio Device", platform::BoxIcon::Error);
  EXPECT_EQ(App().output.user, app::OutputUser::None);
  EXPECT_FALSE(App().output.device);
}

TEST_F(CalibrationSoundTest, ADataChunkThatClaimsTooMuchPlaysWhatTheFileHolds) {
  const auto data = Samples(480);
  WavBuilder().Format(1, 1, 48000, 16).DataHeader(1000000).Raw(data).Raw({1}).Write(SoundFile());
  ASSERT_TRUE(StartCalibrationSound(App()));
  // Whole sample frames only: the odd byte at the end is left out.
  EXPECT_EQ(App().output.loopBuffer.size(), data.size());
  StopCalibrationSound(App());
  ProcessEvents();
}

}  // namespace
}  // namespace sonavue::calibration
