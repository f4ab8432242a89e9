#include "engines/Batch.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "app/CommandTable.h"
#include "app/WayCommands.h"
#include "context/CommandIds.h"
#include "dialogs/ImageDialog.h"
#include "support/AppFixture.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::app {
namespace {

using sonavue::testing::WavBuilder;

class BatchTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
    wavs_ = *folders_ / "wavs";
    std::filesystem::create_directories(wavs_);
  }

  std::filesystem::path Tone(const std::string& name, int rate, double seconds, int channels = 1) {
    const int frames = static_cast<int>(rate * seconds);
    std::vector<std::int16_t> samples;
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) {
        samples.push_back(static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2 * M_PI * 1500.0 * i / rate))));
      }
    }
    const auto path = wavs_ / name;
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate), 16)
        .Data(WavBuilder::Pcm16(samples))
        .Write(path);
    return path;
  }

  void AnalyzeByHand(const std::filesystem::path& path) {
    prompts_.QueueFile({path.string()});
    SendCommand(IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }

  // Answers the batch's "Image Characteristics" dialog with times the
  // width it opens with.
  void AnswerImageDialog(int times, bool ok = true) {
    prompts_.QueueDialog([times, ok, this](platform::ModalDialog& shown) {
      auto& model = dynamic_cast<dialogs::ImageDialog&>(shown).Model();
      openedWidth_ = model.WidthPixels();
      openedHeight_ = model.HeightPixels();
      model.SetWidthPixels(times * model.WidthPixels());
      return ok;
    });
  }

  void ChooseBatch(const std::vector<std::string>& names) {
    std::vector<std::string> answer{wavs_.string()};
    answer.insert(answer.end(), names.begin(), names.end());
    prompts_.QueueFile(answer);
  }

  QImage Image(const std::string& name) { return QImage(QString::fromStdString((wavs_ / "images" / name).string())); }

  int W() { return App().layout.displayWidth; }
  int H() { return App().layout.displayHeight; }

  std::filesystem::path wavs_;
  int openedWidth_ = 0;
  int openedHeight_ = 0;
};

TEST_F(BatchTest, EveryFileBecomesAnImageBesideItScaledAlike) {
  const auto a = Tone("a.wav", 48000, 1.5);
  Tone("b.wav", 44100, 1.0);
  AnalyzeByHand(a);
  const int reference = App().display.Width();
  ChooseBatch({"a.wav", "b.wav"});
  AnswerImageDialog(2);
  SendCommand(IDM_ANALYZE_BATCH);

  EXPECT_EQ(prompts_.Choosers().back().title, "Open Multiple Wave Files");
  EXPECT_TRUE(prompts_.Choosers().back().multiSelect);
  // The dialog opens at the reference picture's width and the display's height.
  EXPECT_EQ(openedWidth_, reference);
  EXPECT_EQ(openedHeight_, H());
  EXPECT_EQ(prompts_.Dialogs(), std::vector<int>{151});
  EXPECT_TRUE(std::filesystem::is_directory(wavs_ / "images"));
  // Both fit the window: the window at twice the size (scale 2 exactly).
  for (const char* name : {"a.jpg", "b.jpg"}) {
    const QImage image = Image(name);
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_EQ(image.width(), 2 * W()) << name;
    EXPECT_EQ(image.height(), 2 * H()) << name;
  }
  EXPECT_EQ(Window().Caption(), "Batch Complete");
  EXPECT_FALSE(App().batch.running);
  // Each file was opened anew: the band of the last one is its own.
  EXPECT_EQ(App().params.highBandHz, 22050);
  EXPECT_EQ(App().image.timeOriginId, ID_ORIGIN_ZERO_YES);
}

TEST_F(BatchTest, AFileTooLongForTheWindowIsSavedWhole) {
  const auto a = Tone("a.wav", 48000, 1.0);
  Tone("long.wav", 48000, 5.0);
  AnalyzeByHand(a);
  ChooseBatch({"a.wav", "long.wav"});
  AnswerImageDialog(1);
  SendCommand(IDM_ANALYZE_BATCH);
  const int columns = static_cast<int>(App().analysis.columns);
  ASSERT_GT(columns, W() - App().layout.leftMargin);
  EXPECT_EQ(Image("long.jpg").width(), columns + App().layout.leftMargin);
  EXPECT_EQ(Image("a.jpg").width(), W());
}

TEST_F(BatchTest, WithoutAnAnalysisFromTheMenuTheBatchIsRefused) {
  SendCommand(IDM_ANALYZE_BATCH);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "First Analyze One File From Batch");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_TRUE(prompts_.Choosers().empty());
}

TEST_F(BatchTest, AStereoPictureInDualViewIsRefused) {
  App().params.channelsId = ID_CHANNELS_DUAL;
  AnalyzeByHand(Tone("st.wav", 48000, 1.0, 2));
  SendCommand(IDM_ANALYZE_BATCH);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Dual channels cannot be processed as a batch.");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
}

TEST_F(BatchTest, OneFileIsNoBatchAndACancelledChooserNothing) {
  AnalyzeByHand(Tone("a.wav", 48000, 1.0));
  ChooseBatch({"a.wav"});
  SendCommand(IDM_ANALYZE_BATCH);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Multiple Files Required");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  prompts_.QueueFileCancel();
  SendCommand(IDM_ANALYZE_BATCH);
  EXPECT_FALSE(std::filesystem::exists(wavs_ / "images"));
}

TEST_F(BatchTest, AnUnreadableFileEndsTheBatchAndItsSizing) {
  const auto a = Tone("a.wav", 48000, 1.0);
  Tone("c.wav", 48000, 1.0);
  WavBuilder().Format(1, 1, 48000, 32).Data({0, 0, 0, 0}).Write(wavs_ / "bad.wav");
  AnalyzeByHand(a);
  ChooseBatch({"a.wav", "bad.wav", "c.wav"});
  AnswerImageDialog(1);
  SendCommand(IDM_ANALYZE_BATCH);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Unsupported wave file format");
  EXPECT_FALSE(Image("a.jpg").isNull());
  EXPECT_FALSE(std::filesystem::exists(wavs_ / "images" / "c.jpg"));
  EXPECT_NE(Window().Caption(), "Batch Complete");
  EXPECT_FALSE(App().batch.running);
  // The next batch needs a picture made by hand again.
  SendCommand(IDM_ANALYZE_BATCH);
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "First Analyze One File From Batch");
}

TEST_F(BatchTest, CancellingTheImageDialogEndsTheBatchWithoutImages) {
  AnalyzeByHand(Tone("a.wav", 48000, 1.0));
  Tone("b.wav", 48000, 1.0);
  ChooseBatch({"a.wav", "b.wav"});
  AnswerImageDialog(1, false);
  SendCommand(IDM_ANALYZE_BATCH);
  EXPECT_TRUE(std::filesystem::is_empty(wavs_ / "images"));
  EXPECT_FALSE(App().batch.running);
  EXPECT_NE(Window().Caption(), "Batch Complete");
  // The sizing picture is still there: the batch can be started again.
  EXPECT_GT(App().batch.referenceWidth, 0);
}

TEST_F(BatchTest, StopSavesThePictureOnShowAndStartsNoOtherFile) {
  AnalyzeByHand(Tone("a.wav", 48000, 1.0));
  Tone("b.wav", 48000, 1.0);
  ChooseBatch({"a.wav", "b.wav"});
  AnswerImageDialog(1);
  // Pressed while the first file is being analysed.
  PostCommand(App(), IDC_STOP);
  SendCommand(IDM_ANALYZE_BATCH);
  EXPECT_LT(App().analysis.columns, App().analysis.plannedColumns);
  EXPECT_FALSE(Image("a.jpg").isNull());
  EXPECT_FALSE(std::filesystem::exists(wavs_ / "images" / "b.jpg"));
  EXPECT_EQ(Window().Caption(), "Batch Complete");
}

TEST_F(BatchTest, TheCompanionsBatchGoesOnPastARefusedFile) {
  const auto a = Tone("a.wav", 48000, 1.0);
  const auto c = Tone("c.wav", 48000, 1.0);
  WavBuilder().Format(1, 1, 48000, 32).Data({0, 0, 0, 0}).Write(wavs_ / "bad.wav");
  AnalyzeByHand(a);
  const auto out = *folders_ / "out";
  std::filesystem::create_directories(out);
  AnswerImageDialog(1);
  App().image.formatId = ID_IMAGE_BITMAP;
  const engines::BatchResult result =
      RunBatchOfFiles(App(), {a, wavs_ / "bad.wav", c}, out, engines::BatchFailure::SkipsFile);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Unsupported wave file format");
  EXPECT_EQ(result.analysed, 2);
  EXPECT_EQ(result.saved, 2);
  ASSERT_EQ(result.failed.size(), 1U);
  EXPECT_EQ(result.failed[0], wavs_ / "bad.wav");
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(std::filesystem::exists(out / "a.bmp"));
  EXPECT_TRUE(std::filesystem::exists(out / "c.bmp"));
  EXPECT_EQ(Window().Caption(), "Batch Complete");
}

TEST_F(BatchTest, TheCompanionsBatchKeepsItsSizingPastAFileTooShortToAnalyse) {
  const auto a = Tone("a.wav", 48000, 1.0);
  const auto b = Tone("b.wav", 48000, 1.0);
  WavBuilder().Format(1, 1, 48000, 16).Data(std::vector<std::uint8_t>(200, 0)).Write(wavs_ / "short.wav");
  AnalyzeByHand(a);
  const auto out = *folders_ / "out";
  std::filesystem::create_directories(out);
  AnswerImageDialog(1);
  const engines::BatchResult result =
      RunBatchOfFiles(App(), {wavs_ / "short.wav", b}, out, engines::BatchFailure::SkipsFile);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Time Scale Too Small");
  EXPECT_EQ(result.saved, 1);
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(std::filesystem::exists(out / "b.jpg"));
  EXPECT_EQ(prompts_.Dialogs(), std::vector<int>{151});
}

class BatchAfterScanTest : public sonavue::testing::LiveScanFixture {};

TEST_F(BatchAfterScanTest, AScanReplacesThePictureABatchIsSizedAgainst) {
  const auto path = *folders_ / "a.wav";
  std::vector<std::int16_t> samples(48000, 0);
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
  prompts_.QueueFile({path.string()});
  SendCommand(IDM_ANALYZE_FILE);
  ASSERT_GT(App().batch.referenceWidth, 0);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  RunScan(500);
  SendCommand(IDM_ANALYZE_BATCH);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "First Analyze One File From Batch");
}

}  // namespace
}  // namespace sonavue::app
