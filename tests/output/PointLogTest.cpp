#include "output/PointLog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "context/App.h"
#include "context/CommandIds.h"
#include "render/Panels.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ReadFileBytes;
using sonavue::testing::WavBuilder;

std::string Text(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

std::string Padded(std::string text) {
  text.resize(std::max<std::size_t>(text.size(), 14), ' ');
  return text;
}

class PointLogTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
    app::CurrentParameters& p = App().params;
    p.fftSize = 1024;
    p.resolutionHz = 46.875F;
    wav_ = *folders_ / "tone.wav";
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 48000; ++i) {
      samples.push_back(static_cast<std::int16_t>(std::lround(16000 * std::sin(2 * M_PI * 3000.0 * i / 48000))));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(wav_);
    prompts_.QueueFile({wav_.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
    ASSERT_TRUE(App().analysis.valid);
  }

  // The open point-log window, or nullptr.
  QDialog* Dialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == "Point Log - Click Point on Sonavue") return qobject_cast<QDialog*>(w);
    }
    return nullptr;
  }
  std::string Edit(const char* name) {
    QDialog* dialog = Dialog();
    if (dialog == nullptr) return "(no dialog)";
    const auto* edit = dialog->findChild<QLineEdit*>(name);
    return edit == nullptr ? "(no edit)" : edit->text().toStdString();
  }
  void StartLog(const std::filesystem::path& log) {
    prompts_.QueueFile({log.string()});
    SendCommand(app::IDM_LOG_POINTS);
  }
  void Click(platform::Point at) {
    SendMouse(platform::MouseAction::LeftDown, at);
    SendMouse(platform::MouseAction::LeftUp, at);
  }
  // The row the click at `at` must append: the readouts' values there.
  std::string RowAt(platform::Point at, int expectedTimeMs) {
    const render::ReadoutTexts r = render::ComputeReadouts(App(), at, true);
    EXPECT_EQ(std::lround(r.timeMs), expectedTimeMs);
    return Padded(std::to_string(expectedTimeMs)) + Padded(std::to_string(r.frequencyHz)) + Padded(r.level) + "\r\n";
  }
  // A point on the tone's row, `columns` columns right of the margin.
  platform::Point ToneAt(int columns) {
    const app::AnalysisRecord& a = App().analysis;
    const int row = static_cast<int>(std::lround(3000.0 / 24000.0 * a.rows));
    return {a.leftMargin + columns, App().layout.displayHeight - a.bottomStrip - row - 1};
  }
  int TimeAt(int columns) { return static_cast<int>(std::lround(columns * App().analysis.columnMs)); }

  std::filesystem::path wav_;
};

TEST_F(PointLogTest, ANewFileGetsTheHeaderAndEachClickTheReadoutsOfItsPoint) {
  const auto log = *folders_ / "points.txt";
  StartLog(log);
  ASSERT_NE(App().pointLog, nullptr);
  ASSERT_NE(Dialog(), nullptr);
  const std::string header = "Sonavue 15 Data\r\n" + wav_.string() +
                             "\r\n48000 Hz Sampling Rate\r\n1024 Point FFT\r\n\r\n"
                             "Time (msec),  Freq (Hz),    Level (dB)\r\n\r\n";
  EXPECT_EQ(Text(log), header);

  const platform::Point first = ToneAt(100);
  const std::string firstRow = RowAt(first, TimeAt(100));
  Click(first);
  EXPECT_EQ(Text(log), header + firstRow);
  const render::ReadoutTexts r = render::ComputeReadouts(App(), first, true);
  EXPECT_EQ(Edit("time"), std::to_string(TimeAt(100)));
  EXPECT_EQ(Edit("frequency"), std::to_string(r.frequencyHz));
  EXPECT_EQ(Edit("level"), r.level);
  // The tone's row reads near 3000 Hz and well above the quiet rows.
  EXPECT_NEAR(r.frequencyHz, 3000, 100);

  const platform::Point second{App().analysis.leftMargin + 300, 40};
  const std::string secondRow = RowAt(second, TimeAt(300));
  Click(second);
  EXPECT_EQ(Text(log), header + firstRow + secondRow);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PointLogTest, AnExistingFileGetsAnEmptyLineAndTheRowsWithoutASecondHeader) {
  const auto log = *folders_ / "old.txt";
  {
    std::FILE* file = std::fopen(log.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("earlier points\r\n", file);
    std::fclose(file);
  }
  StartLog(log);
  EXPECT_EQ(Text(log), "earlier points\r\n\r\n");
  const platform::Point at = ToneAt(50);
  const std::string row = RowAt(at, TimeAt(50));
  Click(at);
  EXPECT_EQ(Text(log), "earlier points\r\n\r\n" + row);
}

TEST_F(PointLogTest, ClosingTheWindowEndsTheLog) {
  const auto log = *folders_ / "points.txt";
  StartLog(log);
  Click(ToneAt(10));
  const std::string logged = Text(log);
  QDialog* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  ProcessEvents();
  EXPECT_EQ(App().pointLog, nullptr);
  EXPECT_EQ(Dialog(), nullptr);
  Click(ToneAt(20));
  EXPECT_EQ(Text(log), logged);
}

TEST_F(PointLogTest, ACancelledChooserOpensNoLog) {
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_LOG_POINTS);
  EXPECT_EQ(prompts_.Choosers().back().title, "Save Data Log");
  EXPECT_EQ(App().pointLog, nullptr);
  EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(PointLogTest, AFileThatCannotBeOpenedIsReportedAndOpensNoLog) {
  StartLog(*folders_ / "missing" / "p.txt");
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_EQ(App().pointLog, nullptr);
  EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(PointLogTest, AnExpandedFrequencyScaleIsRefused) {
  App().params.frequencyMultiplier = 3;
  const std::size_t choosers = prompts_.Choosers().size();
  SendCommand(app::IDM_LOG_POINTS);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Log Not Available With Expanded Frequency Scale");
  EXPECT_EQ(prompts_.Choosers().size(), choosers);
  EXPECT_EQ(App().pointLog, nullptr);
}

}  // namespace
}  // namespace sonavue::output
