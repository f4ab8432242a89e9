#include "engines/Snapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "context/App.h"
#include "context/CommandIds.h"
#include "context/WorkingFiles.h"
#include "dialogs/DialogControls.h"
#include "dialogs/ParameterDialog.h"
#include "support/AppFixture.h"
#include "support/FileSizeLimit.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::ReadFileBytes;
using sonavue::testing::WavBuilder;

// The pixels of an image top row first, red, green, blue.
std::vector<std::uint8_t> Pixels(const platform::DisplayBitmap& image) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const platform::Rgb c = image.Pixel(x, y);
      pixels.insert(pixels.end(), {c.r, c.g, c.b});
    }
  }
  return pixels;
}

// The same pixels as a snapshot file holds them: bottom row first, blue,
// green, red.
std::vector<std::uint8_t> SnapshotBytes(const platform::DisplayBitmap& image) {
  std::vector<std::uint8_t> bytes;
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      const platform::Rgb c = image.Pixel(x, y);
      bytes.insert(bytes.end(), {c.b, c.g, c.r});
    }
  }
  return bytes;
}

std::vector<std::uint8_t> FloatBytes(const std::vector<float>& values) {
  std::vector<std::uint8_t> bytes(values.size() * sizeof(float));
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

void Overwrite(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What F6 must bring back exactly.
struct Shown {
  std::vector<std::uint8_t> pixels;
  int width = 0;
  int height = 0;
  std::array<std::vector<float>, 2> levels;
  std::int64_t columns = 0;
  float columnMs = 0.0F;
  float displayWidthS = 0.0F;
  int fftSize = 0;
  float resolutionHz = 0.0F;
  int levelMax = 0;
  int lowHz = 0;
  int highHz = 0;
  float beginS = 0.0F;
  float endS = 0.0F;
  int horizontalScroll = 0;
};

class SnapshotsTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    // The first picture's parameters come from the test; F5 shows its dialog.
    StartPictureWindow();
    App().params.analysisControls = app::IDM_CONTROLS_MANUAL;
    wav_ = *folders_ / "tone.wav";
    WriteTone(wav_, 12000.0);
    prompts_.QueueFile({wav_.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
    ASSERT_TRUE(App().analysis.valid);
  }

  static void WriteTone(const std::filesystem::path& path, double amplitude) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 3 * 48000; ++i) {
      samples.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * 3000.0 * i / 48000))));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
  }

  Shown Now() {
    const app::AnalysisRecord& a = App().analysis;
    const app::CurrentParameters& p = App().params;
    return {Pixels(App().display), App().display.Width(), App().display.Height(), a.totalLevels, a.columns,
            a.columnMs, p.displayWidthS, p.fftSize, p.resolutionHz, p.sonogramLevelMax, p.lowBandHz, p.highBandHz,
            p.beginS, p.endS, a.horizontalScroll};
  }

  void ExpectShown(const Shown& expected) {
    const Shown now = Now();
    EXPECT_EQ(now.width, expected.width);
    EXPECT_EQ(now.height, expected.height);
    EXPECT_TRUE(now.pixels == expected.pixels) << "the picture differs";
    EXPECT_EQ(now.levels, expected.levels);
    EXPECT_EQ(now.columns, expected.columns);
    EXPECT_EQ(now.columnMs, expected.columnMs);
    EXPECT_EQ(now.displayWidthS, expected.displayWidthS);
    EXPECT_EQ(now.fftSize, expected.fftSize);
    EXPECT_EQ(now.resolutionHz, expected.resolutionHz);
    EXPECT_EQ(now.levelMax, expected.levelMax);
    EXPECT_EQ(now.lowHz, expected.lowHz);
    EXPECT_EQ(now.highHz, expected.highHz);
    EXPECT_NEAR(now.beginS, expected.beginS, 1e-6);
    EXPECT_NEAR(now.endS, expected.endS, 1e-4);
    EXPECT_EQ(now.horizontalScroll, expected.horizontalScroll);
  }

  // F5 with the dialog: the display width typed in, OK.
  void ChangeWidth(const std::string& width) {
    prompts_.QueueDialog([width](platform::ModalDialog& d) {
      EXPECT_EQ(d.ResourceId(), 102);
      static_cast<dialogs::ParameterDialog&>(d).Model().SetText(dialogs::IDC_EDIT_WIDTH, width);
      return true;
    });
    SendCommand(app::IDM_CHANGE_PARAMETERS);
  }

  std::filesystem::path Working(const std::string& name) { return app::WorkingFilePath(App(), name); }

  std::filesystem::path wav_;
};

TEST_F(SnapshotsTest, F5SavesThePictureAndAnalysesAgainWithTheDialogsValues) {
  const Shown before = Now();
  std::string begin;
  std::string end;
  prompts_.QueueDialog([&](platform::ModalDialog& d) {
    EXPECT_EQ(d.ResourceId(), 102);
    auto& model = static_cast<dialogs::ParameterDialog&>(d).Model();
    begin = model.State(dialogs::IDC_EDIT_BEGIN).text;
    end = model.State(dialogs::IDC_EDIT_END).text;
    model.SetText(dialogs::IDC_EDIT_WIDTH, "1");
    return true;
  });
  SendCommand(app::IDM_CHANGE_PARAMETERS);
  // The dialog showed the segment on show.
  EXPECT_EQ(begin, "0.000");
  EXPECT_EQ(end, "3.000");

  // The saved picture: its pixels and column levels in the working files.
  EXPECT_EQ(ReadFileBytes(Working("bitmap1.dat")), SnapshotBytes([&] {
              platform::DisplayBitmap image;
              EXPECT_TRUE(image.Allocate(before.width, before.height));
              for (int y = 0; y < before.height; ++y) {
                std::memcpy(image.Row(y), before.pixels.data() + static_cast<std::size_t>(y) * before.width * 3,
                            static_cast<std::size_t>(before.width) * 3);
              }
              return image;
            }()));
  EXPECT_EQ(ReadFileBytes(Working("spl1.dat")), FloatBytes(before.levels[0]));
  EXPECT_EQ(App().frame.snapshotIndex, 0);
  EXPECT_TRUE(App().frame.snapshotPushed);

  // The new picture: half the width on the same plot, so twice the columns.
  const app::AnalysisRecord& a = App().analysis;
  EXPECT_EQ(App().params.displayWidthS, 1.0F);
  const int plotWidth = App().layout.displayWidth - App().layout.leftMargin;
  EXPECT_FLOAT_EQ(a.columnMs, 1000.0F / static_cast<float>(plotWidth));
  EXPECT_NEAR(static_cast<double>(a.columns), 2.0 * static_cast<double>(before.columns), 3.0);
  EXPECT_EQ(Window().Caption(), "Choose 'F6' or 'Restore Parameters' to return");
  EXPECT_TRUE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(SnapshotsTest, F6BringsBackThePictureAndParametersFromTheFilesWithoutAnalysing) {
  const Shown before = Now();
  ASSERT_GT(before.horizontalScroll, 0);  // the view was scrolled to the end
  ChangeWidth("1");
  ASSERT_EQ(App().frame.snapshotIndex, 0);
  // The file now holds silence: an analysis would draw an empty picture.
  WriteTone(wav_, 0.0);
  SendCommand(app::IDM_RESTORE_PARAMETERS);
  ExpectShown(before);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_FALSE(App().frame.snapshotPushed);
  EXPECT_EQ(Window().Caption(), "tone.wav");
  EXPECT_FALSE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));
  EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
  // The signal in memory is the segment of the file again.
  EXPECT_EQ(App().analysis.dataLength, App().analysis.signal.size() - 68U);
  EXPECT_TRUE(TakeBoxes().empty());

  // With the stack empty F6 does nothing.
  SendCommand(app::IDM_RESTORE_PARAMETERS);
  ExpectShown(before);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(SnapshotsTest, CancelInTheDialogKeepsTheSnapshotAndThePicture) {
  const Shown before = Now();
  prompts_.QueueDialog([](platform::ModalDialog&) { return false; });
  SendCommand(app::IDM_CHANGE_PARAMETERS);
  ExpectShown(before);
  EXPECT_EQ(App().frame.snapshotIndex, 0);
  EXPECT_EQ(Window().Caption(), "Choose 'F6' or 'Restore Parameters' to return");
  EXPECT_TRUE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));
  SendCommand(app::IDM_RESTORE_PARAMETERS);
  ExpectShown(before);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
}

TEST_F(SnapshotsTest, SevenPushesKeepSixAndDropTheOldest) {
  std::vector<Shown> pictures{Now()};
  std::vector<std::vector<std::uint8_t>> files;
  const std::vector<std::string> widths{"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7"};
  for (std::size_t k = 0; k < widths.size(); ++k) {
    if (k == 6) files = {ReadFileBytes(Working("bitmap2.dat")), ReadFileBytes(Working("spl6.dat"))};
    ChangeWidth(widths[k]);
    pictures.push_back(Now());
  }
  EXPECT_EQ(App().frame.snapshotIndex, 5);
  // The oldest picture (the one F3 made) is gone: "bitmap1.dat" holds what
  // "bitmap2.dat" held, and entry 6 the picture before the last F5.
  EXPECT_EQ(ReadFileBytes(Working("bitmap1.dat")), files[0]);
  EXPECT_EQ(ReadFileBytes(Working("spl5.dat")), files[1]);
  EXPECT_EQ(ReadFileBytes(Working("spl6.dat")), FloatBytes(pictures[6].levels[0]));
  EXPECT_FALSE(std::filesystem::exists(Working("bitmap7.dat")));

  // F6 walks back through the six, newest first, and then stops.
  for (int k = 6; k >= 1; --k) {
    SendCommand(app::IDM_RESTORE_PARAMETERS);
    SCOPED_TRACE(k);
    ExpectShown(pictures[static_cast<std::size_t>(k)]);
    EXPECT_EQ(Window().Caption(), k > 1 ? "Choose 'F6' or 'Restore Parameters' to return" : "tone.wav");
  }
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  SendCommand(app::IDM_RESTORE_PARAMETERS);
  ExpectShown(pictures[1]);
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(SnapshotsTest, ATruncatedPictureFileIsRefusedAndTheDisplayStays) {
  ChangeWidth("1");
  const Shown after = Now();
  std::vector<std::uint8_t> bytes = ReadFileBytes(Working("bitmap1.dat"));
  bytes.pop_back();
  Overwrite(Working("bitmap1.dat"), bytes);
  SendCommand(app::IDM_RESTORE_PARAMETERS);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "File Error");
  ExpectShown(after);
  // The damaged entry is gone.
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_EQ(Window().Caption(), "tone.wav");
}

TEST_F(SnapshotsTest, LevelsThatAreNoLevelsOrAMissingFileAreRefused) {
  ChangeWidth("1.5");
  ChangeWidth("1");
  const Shown after = Now();
  ASSERT_EQ(App().frame.snapshotIndex, 1);
  // Entry 2's levels: the right size, but one is not a number.
  std::vector<std::uint8_t> levels = ReadFileBytes(Working("spl2.dat"));
  const float nan = std::nanf("");
  std::memcpy(levels.data() + 8, &nan, sizeof nan);
  Overwrite(Working("spl2.dat"), levels);
  // Entry 1's picture is missing.
  std::filesystem::remove(Working("bitmap1.dat"));
  for (int k = 0; k < 2; ++k) {
    SendCommand(app::IDM_RESTORE_PARAMETERS);
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "File Error");
    ExpectShown(after);
  }
  EXPECT_EQ(App().frame.snapshotIndex, -1);
}

TEST_F(SnapshotsTest, APictureThatCannotBeSavedIsReportedAndF5EndsThere) {
  const Shown before = Now();
  {
    const sonavue::testing::FileSizeLimit limit(1000);
    SendCommand(app::IDM_CHANGE_PARAMETERS);  // no dialog: the save failed first
  }
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Error Writing File");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  ExpectShown(before);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_FALSE(std::filesystem::exists(Working("bitmap1.dat")));
  EXPECT_EQ(Window().Caption(), "tone.wav");
}

TEST_F(SnapshotsTest, ANewAnalysisAndAResizeEmptyTheStack) {
  ChangeWidth("1");
  ASSERT_EQ(App().frame.snapshotIndex, 0);
  prompts_.QueueFile({wav_.string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_EQ(Window().Caption(), "tone.wav");
  EXPECT_FALSE(MenuEnabled(app::IDM_RESTORE_PARAMETERS));

  ChangeWidth("1.5");
  ASSERT_EQ(App().frame.snapshotIndex, 0);
  Resize(880, 600);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_FALSE(App().frame.snapshotPushed);
}

TEST_F(SnapshotsTest, ARefusedAnalysisDropsTheSnapshotAndKeepsThePicture) {
  const Shown before = Now();
  // The file is gone before F5 analyses it again: no dialog, no picture.
  std::filesystem::remove(wav_);
  SendCommand(app::IDM_CHANGE_PARAMETERS);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  ExpectShown(before);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_EQ(Window().Caption(), "tone.wav");
}

}  // namespace
}  // namespace sonavue::engines
