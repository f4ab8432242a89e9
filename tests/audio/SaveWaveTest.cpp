#include "audio/SaveWave.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/CommandTable.h"
#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "support/RecordingFixture.h"

namespace sonavue::audio {
namespace {

using sonavue::testing::RecordingFixture;
using sonavue::testing::ReadFileBytes;
using sonavue::testing::WavBuilder;

TEST(SavedSignalHeaderTest, OnlyWholeSampleFramesOfWhatIsHeldAreSaved) {
  app::AnalysisRecord a;
  a.valid = true;
  a.channels = 2;
  a.bitsPerSample = 24;
  a.analysisRate = 44100;
  a.signal.assign(68 + 6000, 0);
  a.dataLength = 1003;  // a part frame of 6-byte frames
  std::uint32_t length = 0;
  std::vector<std::uint8_t> header = SavedSignalHeader(a, length);
  EXPECT_EQ(length, 1002U);
  ASSERT_EQ(header.size(), 46U);
  EXPECT_EQ(ReadU32(header.data() + 42), 1002U);
  EXPECT_EQ(ReadU32(header.data() + 4), 1002U + 38U);
  // A length beyond the samples held is cut to them.
  a.dataLength = 100000;
  header = SavedSignalHeader(a, length);
  EXPECT_EQ(length, 6000U);
  // No signal, no header.
  a.valid = false;
  EXPECT_TRUE(SavedSignalHeader(a, length).empty());
  EXPECT_EQ(length, 0U);
}

// Files analysed by Analyze File and then saved with Save Wave. The
// samples follow a pattern, so a saved file can be compared byte for byte.
class SaveWaveTest : public RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    out_ = *folders_ / "saved.wav";
  }
  std::filesystem::path Make(const std::string& name, int rate, int channels, int bits, double seconds) {
    const auto path = *folders_ / name;
    const auto bytes = static_cast<std::size_t>(rate * seconds) * static_cast<std::size_t>(channels * bits / 8);
    source_.resize(bytes);
    for (std::size_t i = 0; i < bytes; ++i) source_[i] = static_cast<std::uint8_t>((i * 7919U) >> 3);
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(bits))
        .Data(source_)
        .Write(path);
    return path;
  }
  void Analyze(const std::filesystem::path& path) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  }
  Wav Save() {
    prompts_.QueueFile({out_.string()});
    SendCommand(app::IDM_SAVE_WAVE);
    return ReadWav(out_);
  }
  // The saved samples are the analysed ones: the file's first bytes.
  ::testing::AssertionResult SavedAsAnalysed(const Wav& wav, int frameBytes) {
    const app::AnalysisRecord& a = App().analysis;
    const std::uint32_t expected = a.dataLength - a.dataLength % static_cast<std::uint32_t>(frameBytes);
    if (wav.data.size() != expected) {
      return ::testing::AssertionFailure() << wav.data.size() << " bytes saved, " << expected << " analysed";
    }
    if (!std::equal(wav.data.begin(), wav.data.end(), source_.begin())) {
      return ::testing::AssertionFailure() << "the samples differ from the file's";
    }
    return ::testing::AssertionSuccess();
  }
  std::filesystem::path out_;
  std::vector<std::uint8_t> source_;
};

TEST_F(SaveWaveTest, A44100HzFileGetsThePlainHeader) {
  Analyze(Make("cd.wav", 44100, 2, 16, 3.0));
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_TRUE(MenuEnabled(app::IDM_SAVE_WAVE));
  const Wav wav = Save();
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.headerBytes, 46U);
  EXPECT_EQ(wav.formatTag, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.sampleRate, 44100U);
  EXPECT_EQ(wav.byteRate, 176400U);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_EQ(ReadFileBytes(out_)[36], 0);  // extension size
  EXPECT_TRUE(SavedAsAnalysed(wav, 4));
  EXPECT_GT(wav.data.size(), 400000U);
  ASSERT_EQ(prompts_.Choosers().size(), 2U);
  EXPECT_EQ(prompts_.Choosers()[1].title, "Record Wave File");
  EXPECT_EQ(App().params.lastFolders[0], folders_->Path().string());
}

TEST_F(SaveWaveTest, A96000HzFileKeepsTheWorkingHeaderAt96000Hz) {
  Analyze(Make("hi.wav", 96000, 2, 24, 2.0));
  ASSERT_TRUE(App().analysis.valid);
  const Wav wav = Save();
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.headerBytes, 68U);
  EXPECT_EQ(wav.formatTag, 0xFFFE);
  EXPECT_EQ(wav.sampleRate, 96000U);
  EXPECT_EQ(wav.byteRate, 96000U * 6U);
  EXPECT_EQ(wav.bits, 24);
  EXPECT_EQ(wav.validBits, 24);
  EXPECT_TRUE(SavedAsAnalysed(wav, 6));
}

TEST_F(SaveWaveTest, A192000HzFileAnalysedAt48000HzIsSavedAt48000Hz) {
  Analyze(Make("bat.wav", 192000, 1, 16, 1.0));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_NE(boxes[0].text.find("UltraSound"), std::string::npos);
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_EQ(App().analysis.analysisRate, 48000);
  ASSERT_EQ(App().analysis.multiplier, 4);
  const Wav wav = Save();
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.headerBytes, 46U);
  EXPECT_EQ(wav.formatTag, 1);
  EXPECT_EQ(wav.sampleRate, 48000U);
  EXPECT_EQ(wav.byteRate, 96000U);
  EXPECT_TRUE(SavedAsAnalysed(wav, 2));
}

TEST_F(SaveWaveTest, A250000HzFileAnalysedAt50000HzTimesFiveSaysSoInItsHeader) {
  Analyze(Make("wide.wav", 250000, 1, 16, 1.0));
  ASSERT_EQ(TakeBoxes().size(), 1U);
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_EQ(App().analysis.analysisRate, 50000);
  ASSERT_EQ(App().analysis.multiplier, 5);
  const Wav wav = Save();
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_EQ(wav.headerBytes, 68U);
  EXPECT_EQ(wav.sampleRate, 250000U);
  EXPECT_EQ(wav.byteRate, 500000U);
  EXPECT_TRUE(SavedAsAnalysed(wav, 2));
}

TEST_F(SaveWaveTest, AnOldFileIsReplacedWholeAndNothingElseIsLeft) {
  std::ofstream(out_) << std::string(5000000, 'x');
  Analyze(Make("cd.wav", 44100, 1, 16, 2.0));
  const Wav wav = Save();
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_TRUE(SavedAsAnalysed(wav, 2));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folders_->Path())) {
    if (entry.is_regular_file()) ++files;
  }
  EXPECT_EQ(files, 2);  // cd.wav and saved.wav
}

TEST_F(SaveWaveTest, ATargetThatCannotBeMadeIsCannotOpenFile) {
  Analyze(Make("cd.wav", 44100, 1, 16, 2.0));
  out_ = *folders_ / "missing" / "saved.wav";
  Save();
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(SaveWaveTest, ACancelledChooserSavesNothing) {
  Analyze(Make("cd.wav", 44100, 1, 16, 2.0));
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_SAVE_WAVE);
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(SaveWaveTest, AfterAScopeScanTheCaptureIsSavedAsItWasWritten) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  StopAt(3000);
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_FALSE(App().analysis.valid);
  ASSERT_TRUE(MenuEnabled(app::IDM_SAVE_WAVE));
  const auto temp = ReadFileBytes(App().workingFolder / "temp.wav");
  ASSERT_GT(temp.size(), 68U + 96000U);
  Save();
  EXPECT_EQ(ReadFileBytes(out_), temp);
}

// Save Wave onto a disk that fills up: a small memory file system mounted
// for the test.
class SaveWaveFullDiskTest : public SaveWaveTest {
 protected:
  void SetUp() override {
    SaveWaveTest::SetUp();
    mountPoint_ = *folders_ / "small";
    std::filesystem::create_directories(mountPoint_);
    if (::mount("sonavue-test", mountPoint_.c_str(), "tmpfs", 0, "size=64k") != 0) {
      const std::string reason = std::strerror(errno);
      std::filesystem::remove(mountPoint_);
      GTEST_SKIP() << "cannot mount a 64 KB tmpfs here (" << reason << ")";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) ::umount2(mountPoint_.c_str(), MNT_DETACH);
    SaveWaveTest::TearDown();
  }
  std::filesystem::path mountPoint_;
  bool mounted_ = false;
};

TEST_F(SaveWaveFullDiskTest, AFailedWriteSaysWhyAndLeavesTheOldFile) {
  Analyze(Make("cd.wav", 44100, 1, 16, 2.0));
  out_ = mountPoint_ / "saved.wav";
  std::ofstream(out_) << "older";
  Save();
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot write the wave file: disk full\n" + out_.string());
  EXPECT_EQ(std::filesystem::file_size(out_), 5U);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(mountPoint_)) {
    static_cast<void>(entry);
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace sonavue::audio
