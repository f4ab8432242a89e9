#include <gtest/gtest.h>

#include <Qt>
#include <cmath>

#include "context/App.h"
#include "context/CommandIds.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::app {
namespace {

using sonavue::testing::WavBuilder;

class SnapshotKeysTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
    App().params.displayId = ID_DISPLAY_SCROLL1;
    App().params.variables = IDM_VARIABLES_FREEZE;
  }
  void Analyze(int channels, float widthS, double seconds = 2.0) {
    App().params.displayWidthS = widthS;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < static_cast<int>(16000 * seconds) * channels; ++i) {
      samples.push_back(static_cast<std::int16_t>(std::lround(8000 * std::sin(i * 0.3))));
    }
    const auto path = *folders_ / "f.wav";
    WavBuilder().Format(1, static_cast<std::uint16_t>(channels), 16000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    prompts_.QueueFile({path.string()});
    SendCommand(IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }
};

TEST_F(SnapshotKeysTest, F5ShowsTheAnalyzeDialogOfTheControlsAndF6ReturnsFromIt) {
  Analyze(1, 1.0F);
  EXPECT_TRUE(MenuEnabled(IDM_CHANGE_PARAMETERS));
  EXPECT_FALSE(MenuEnabled(IDM_RESTORE_PARAMETERS));
  App().frame.spaceLatch = true;
  App().params.analysisControls = IDM_CONTROLS_AUTOMATIC;
  prompts_.QueueDialog([](platform::ModalDialog& d) {
    EXPECT_EQ(d.ResourceId(), 172);
    return true;
  });
  SendKey(Qt::Key_F5);
  EXPECT_FALSE(App().frame.spaceLatch);
  EXPECT_EQ(App().frame.snapshotIndex, 0);
  EXPECT_TRUE(MenuEnabled(IDM_RESTORE_PARAMETERS));

  App().params.analysisControls = IDM_CONTROLS_ULTRASOUND;
  prompts_.QueueDialog([](platform::ModalDialog& d) {
    EXPECT_EQ(d.ResourceId(), 171);
    return false;
  });
  SendKey(Qt::Key_F5);
  EXPECT_EQ(App().frame.snapshotIndex, 1);

  SendKey(Qt::Key_F6);
  EXPECT_EQ(App().frame.snapshotIndex, 0);
  EXPECT_EQ(Window().Caption(), "Choose 'F6' or 'Restore Parameters' to return");
  SendKey(Qt::Key_F6);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_EQ(Window().Caption(), "f.wav");
  EXPECT_FALSE(MenuEnabled(IDM_RESTORE_PARAMETERS));
  EXPECT_EQ(prompts_.Dialogs(), (std::vector<int>{172, 171}));
}

TEST_F(SnapshotKeysTest, F5DoesNothingForADisplaySpanningMoreThanAMinute) {
  Analyze(1, 70.0F, 80.0);
  SendKey(Qt::Key_F5);
  SendCommand(IDM_CHANGE_PARAMETERS);
  EXPECT_EQ(App().frame.snapshotIndex, -1);
  EXPECT_TRUE(prompts_.Dialogs().empty());
}

TEST_F(SnapshotKeysTest, TheLogsAreOfferedForOneChannelButNotForBothSideBySide) {
  App().params.channelsId = ID_CHANNELS_DUAL;
  App().params.typeId = ID_TYPE_STEREO;
  Analyze(2, 1.0F);
  EXPECT_FALSE(MenuEnabled(IDM_LOG_SPECTRUM));
  EXPECT_FALSE(MenuEnabled(IDM_LOG_POINTS));
  App().params.channelsId = ID_CHANNELS_RIGHT;
  Analyze(2, 1.0F);
  EXPECT_TRUE(MenuEnabled(IDM_LOG_SPECTRUM));
  EXPECT_TRUE(MenuEnabled(IDM_LOG_POINTS));
}

}  // namespace
}  // namespace sonavue::app
