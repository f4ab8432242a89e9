#include "output/DataLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "support/AppFixture.h"
#include "support/FileSizeLimit.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ReadFileBytes;
using sonavue::testing::WavBuilder;

// 3000 Hz lies exactly on bin 64 of a 1024-point frame at 48 kHz. With a
// resolution of one bin (46.875 Hz) the Hann window spans the whole frame,
// and a sine of amplitude a on a bin shows a magnitude of a/4 there and a/8
// in its two neighbours, whatever its phase. For a = 16000 that is
// 10·log10(1024 · 4000² / 48000) = 55.3 dB on bin 64 and 6.02 dB less,
// 49.3 dB, on bin 63: relative to 90, −35 and −41.
constexpr int kRate = 48000;
constexpr double kToneHz = 3000.0;
constexpr double kLoud = 16000.0;
constexpr double kQuarter = 4000.0;  // 12 dB lower: −47 and −53

std::string Text(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

class DataLogTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
    app::CurrentParameters& p = App().params;
    p.fftSize = 1024;
    p.resolutionHz = 46.875F;
  }

  // A 48 kHz file with the tone at amplitude left (and right for stereo).
  std::filesystem::path Tone(const std::string& name, int channels, double left, double right = 0.0,
                             double seconds = 1.0) {
    std::vector<std::int16_t> samples;
    const int frames = static_cast<int>(kRate * seconds);
    for (int i = 0; i < frames; ++i) {
      const double s = std::sin(2 * M_PI * kToneHz * i / kRate);
      samples.push_back(static_cast<std::int16_t>(std::lround(left * s)));
      if (channels == 2) samples.push_back(static_cast<std::int16_t>(std::lround(right * s)));
    }
    const auto path = *folders_ / name;
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), kRate, 16)
        .Data(WavBuilder::Pcm16(samples))
        .Write(path);
    return path;
  }

  // Analyses the file, then again over the band lowHz … highHz.
  void Analyze(const std::filesystem::path& path, int lowHz, int highHz) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
    App().params.lowBandHz = lowHz;
    App().params.highBandHz = highHz;
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonReanalysis);
    ASSERT_TRUE(App().analysis.valid);
    ASSERT_EQ(App().analysis.lowHz, lowHz);
  }

  void LogTo(const std::filesystem::path& log) {
    prompts_.QueueFile({log.string()});
    SendCommand(app::IDM_LOG_SPECTRUM);
  }

  // The log as it must read for the columns of the shown picture, with the
  // levels of bins 63 and 64 of every column as given.
  std::string ExpectedToneLog(const std::filesystem::path& wav, const std::string& levels) {
    const float stepMs = App().analysis.columnMs;
    char step[32];
    std::snprintf(step, sizeof step, "%-4.2f", static_cast<double>(stepMs));
    std::string text = "Sonavue 15 Data\r\n" + wav.string() + "\r\n48000 Hz Sampling Rate\r\n";
    text += "1024 Point FFT\r\nFFT Points 63 to 65 Recorded\r\n0 msec Sample Start\r\n";
    text += std::string(step) + " msec Time Step\r\nComma Delimited Values\r\n";
    text += "Relative Spectrum Level in Decibels/Hz vs. Time and Frequency\r\n\r\n";
    text += "Freq, 2976.6 Hz, 3023.4 Hz, \r\n";
    for (std::int64_t i = 0; i < App().analysis.columns; ++i) {
      const float t = std::floor(static_cast<float>(i) * stepMs + 0.5F);
      text += "Time " + std::to_string(static_cast<unsigned>(t)) + " msec, " + levels + "\r\n";
    }
    return text;
  }
};

TEST_F(DataLogTest, ASonogramLogHasTheHeaderAndTheToneOnItsBinInEveryColumn) {
  const auto wav = Tone("tone.wav", 1, kLoud);
  Analyze(wav, 2950, 3050);
  ASSERT_GT(App().analysis.columns, 100);
  const auto log = *folders_ / "tone.txt";
  LogTo(log);
  EXPECT_EQ(Text(log), ExpectedToneLog(wav, "-41, -35, "));
  EXPECT_FALSE(std::filesystem::exists(log.string() + ".new"));
  // The window is back as it was: idle, the picture and its file unchanged.
  EXPECT_TRUE(MenuEnabled(app::IDM_LOG_SPECTRUM));
  EXPECT_FALSE(ButtonEnabled(app::IDC_STOP));
  EXPECT_FALSE(App().frame.engineLoop);
  EXPECT_EQ(App().frame.fileName, wav.string());
}

TEST_F(DataLogTest, TheRightChannelIsLoggedWhenTheRightChannelIsShown) {
  App().params.channelsId = app::ID_CHANNELS_RIGHT;
  const auto wav = Tone("stereo.wav", 2, kLoud, kQuarter);
  Analyze(wav, 2950, 3050);
  const auto log = *folders_ / "right.txt";
  LogTo(log);
  EXPECT_EQ(Text(log), ExpectedToneLog(wav, "-53, -47, "));

  App().params.channelsId = app::ID_CHANNELS_LEFT;
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonReanalysis);
  LogTo(log);
  EXPECT_EQ(Text(log), ExpectedToneLog(wav, "-41, -35, "));
}

TEST_F(DataLogTest, BothChannelsSideBySideWriteTheHeaderOnly) {
  App().params.channelsId = app::ID_CHANNELS_DUAL;
  const auto wav = Tone("dual.wav", 2, kLoud, kQuarter);
  Analyze(wav, 2950, 3050);
  ASSERT_TRUE(App().analysis.dual);
  const auto log = *folders_ / "dual.txt";
  // The command-line path: the menu grays Log Spectrum in this view.
  EXPECT_EQ(WriteSpectrumLog(App(), log), LogOutcome::Written);
  const std::string all = Text(log);
  EXPECT_TRUE(all.ends_with("\r\n\r\nFreq, 2976.6 Hz, 3023.4 Hz, \r\n")) << all;
  EXPECT_EQ(all.find("\r\nTime "), std::string::npos);
}

TEST_F(DataLogTest, TheChooserIsTheDataLogChooserAndCancellingWritesNothing) {
  Analyze(Tone("tone.wav", 1, kLoud), 2950, 3050);
  App().params.lastFolders[2] = folders_->Path().string();
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_LOG_SPECTRUM);
  ASSERT_EQ(prompts_.Choosers().size(), 2U);  // the wave file's, then the log's
  const platform::FileChooserRequest& request = prompts_.Choosers().back();
  EXPECT_EQ(request.title, "Save Data Log");
  EXPECT_EQ(request.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(request.defaultExtension, "txt");
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_EQ(request.startFolder, folders_->Path().string());
  EXPECT_TRUE(TakeBoxes().empty());
  for (const auto& entry : std::filesystem::directory_iterator(folders_->Path())) {
    EXPECT_NE(entry.path().extension(), ".txt") << entry.path();
    EXPECT_NE(entry.path().extension(), ".new") << entry.path();
  }
}

TEST_F(DataLogTest, TheLogsFolderBecomesTheStartOfTheNextLogChooser) {
  Analyze(Tone("tone.wav", 1, kLoud), 2950, 3050);
  std::filesystem::create_directory(*folders_ / "logs");
  LogTo(*folders_ / "logs" / "a.txt");
  EXPECT_EQ(App().params.lastFolders[2], (*folders_ / "logs").string());
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_LOG_SPECTRUM);
  EXPECT_EQ(prompts_.Choosers().back().startFolder, (*folders_ / "logs").string());
}

TEST_F(DataLogTest, AFileThatCannotBeCreatedIsReportedAndNothingIsWritten) {
  Analyze(Tone("tone.wav", 1, kLoud), 2950, 3050);
  const auto log = *folders_ / "missing" / "a.txt";
  LogTo(log);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_EQ(boxes[0].caption, "Sonavue");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(DataLogTest, AFailedWriteIsReportedAndLeavesTheOldFileAsItWas) {
  Analyze(Tone("tone.wav", 1, kLoud), 2950, 3050);
  const auto log = *folders_ / "full.txt";
  {
    std::FILE* old = std::fopen(log.c_str(), "wb");
    ASSERT_NE(old, nullptr);
    std::fputs("an older log\r\n", old);
    std::fclose(old);
  }
  {
    const sonavue::testing::FileSizeLimit limit(2000);  // the header fits, the rows do not
    LogTo(log);
  }
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Error Writing File");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_EQ(Text(log), "an older log\r\n");
  EXPECT_FALSE(std::filesystem::exists(log.string() + ".new"));
}

TEST_F(DataLogTest, AnExpandedFrequencyScaleIsRefusedBeforeTheChooser) {
  Analyze(Tone("tone.wav", 1, kLoud), 2950, 3050);
  const std::size_t choosers = prompts_.Choosers().size();
  App().params.frequencyMultiplier = 2;
  SendCommand(app::IDM_LOG_SPECTRUM);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Log Not Available With Expanded Frequency Scale");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_EQ(prompts_.Choosers().size(), choosers);
  EXPECT_EQ(WriteSpectrumLog(App(), *folders_ / "x.txt"), LogOutcome::NotAvailable);
  EXPECT_FALSE(std::filesystem::exists(*folders_ / "x.txt"));
}

TEST_F(DataLogTest, StopEndsTheLogAfterTheColumnsDoneAndKeepsThem) {
  Analyze(Tone("tone.wav", 1, kLoud, 0.0, 3.0), 2950, 3050);
  const std::int64_t columns = App().analysis.columns;
  ASSERT_GT(columns, 200);
  // STOP waits in the queue until the log's loop serves the window.
  app::PostCommand(App(), app::IDC_STOP);
  const auto log = *folders_ / "stopped.txt";
  LogTo(log);
  const std::string text = Text(log);
  // The rows logged before STOP, each whole, and fewer than the columns.
  const std::string head = "Freq, 2976.6 Hz, 3023.4 Hz, \r\n";
  const std::size_t first = text.find(head);
  ASSERT_NE(first, std::string::npos);
  std::int64_t rows = 0;
  for (std::size_t at = first + head.size(); at < text.size(); ++rows) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string row = text.substr(at, end - at);
    EXPECT_TRUE(row.starts_with("Time ") && row.ends_with(" msec, -41, -35, ")) << row;
    at = end + 2;
  }
  EXPECT_GE(rows, 1);
  EXPECT_LT(rows, columns);
  EXPECT_TRUE(TakeBoxes().empty());
  // The picture and its columns are untouched; the window is idle again.
  EXPECT_EQ(App().analysis.columns, columns);
  EXPECT_TRUE(MenuEnabled(app::IDM_ANALYZE_FILE));
  EXPECT_FALSE(ButtonEnabled(app::IDC_STOP));
}

class ScopeLogTest : public sonavue::testing::LiveScanFixture {};

TEST_F(ScopeLogTest, AScopeLogsItsLastSpectrumOneRowPerBin) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  RunScan(2000);
  ASSERT_TRUE(App().render.scope.hasData);
  ASSERT_TRUE(MenuEnabled(app::IDM_LOG_SPECTRUM));
  const auto log = *folders_ / "scope.txt";
  prompts_.QueueFile({log.string()});
  SendCommand(app::IDM_LOG_SPECTRUM);
  EXPECT_TRUE(TakeBoxes().empty());

  std::vector<std::string> lines;
  const std::string text = Text(log);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  // 0 … 8000 Hz at 46.875 Hz per bin: bins 0 … 170 (8000 × 1024 ÷ 48000 = 170.7 → 171).
  ASSERT_EQ(lines.size(), 10U + 171U);
  EXPECT_EQ(lines[0], "Sonavue 15 Data");
  EXPECT_EQ(lines[2], "48000 Hz Sampling Rate");
  EXPECT_EQ(lines[3], "46.88 Hz Frequency Resolution");
  // RMS of an 8000 sine: 20 log10(5657) = 75.05 dB.
  EXPECT_EQ(lines[4], "75 dB Total SPL");
  EXPECT_TRUE(lines[5].ends_with(" msec Event Time")) << lines[5];
  EXPECT_EQ(lines[6], "Relative Spectrum Level in Decibels/Hz");
  EXPECT_EQ(lines[8], "Num   Hz       dB");
  // The loudest row is the tone's: within a bin of 1000 Hz.
  double loudest = -1e9;
  double loudestHz = 0.0;
  for (std::size_t i = 10; i < lines.size(); ++i) {
    ASSERT_GE(lines[i].size(), 16U) << lines[i];
    const double hz = std::stod(lines[i].substr(6, 9));
    const double db = std::stod(lines[i].substr(15));
    if (db > loudest) {
      loudest = db;
      loudestHz = hz;
    }
  }
  EXPECT_NEAR(loudestHz, 1000.0, 47.0);
}

}  // namespace
}  // namespace sonavue::output
