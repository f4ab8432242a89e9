#include "dialogs/ColorsDialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dialogs/ColorsDialogView.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::dialogs {
namespace {

using sonavue::testing::WavBuilder;

class ColorsDialogTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
  }
  void AnalyzeTone() {
    App().params.displayWidthS = 2.0F;
    App().params.displayId = app::ID_DISPLAY_SCROLL1;
    App().params.variables = app::IDM_VARIABLES_FREEZE;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 48000 * 2; ++i) {
      samples.push_back(static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * 3000.0 * i / 48000))));
    }
    const auto path = *folders_ / "tone.wav";
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }
  ColorsDialog* Open() {
    SendKey(Qt::Key_F7);
    return static_cast<ColorsDialog*>(prompts_.ShownModeless(kColorsDialogId));
  }
  // The pixels of the whole display image, row by row.
  std::vector<platform::Rgb> Picture() {
    std::vector<platform::Rgb> pixels;
    const platform::DisplayBitmap& image = App().display;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) pixels.push_back(image.Pixel(x, y));
    }
    return pixels;
  }
  // A pixel of the tone's row in the picture.
  platform::Point TonePixel() {
    const app::AnalysisRecord& a = App().analysis;
    const int row = static_cast<int>(std::lround(3000.0 / 24000.0 * a.rows));
    return {a.leftMargin + 50, App().display.Height() - a.bottomStrip - row - 1};
  }
};

TEST_F(ColorsDialogTest, F7OpensTheDialogOnceWithTheCurrentPalette) {
  ColorsDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->IsOpen());
  EXPECT_EQ(dialog->Model().Current(), App().render.current);
  EXPECT_EQ(dialog->Model().Choice(), App().params.paletteId);
  EXPECT_EQ(dialog->Model().Selected(), 0);
  SendKey(Qt::Key_F7);
  SendCommand(app::IDM_COLOR_SCALE);
  EXPECT_EQ(prompts_.ModelessShown().size(), 1U);
  dialog->Cancel();
  EXPECT_FALSE(dialog->IsOpen());
  SendKey(Qt::Key_F7);
  EXPECT_EQ(prompts_.ModelessShown().size(), 2U);
  EXPECT_EQ(prompts_.ShownModeless(kColorsDialogId), dialog);  // the same dialog, opened again
}

TEST_F(ColorsDialogTest, AColourEditRecoloursThePictureAtOnceWithoutAnalysingIt) {
  AnalyzeTone();
  const platform::Point tone = TonePixel();
  const platform::Rgb before = App().display.Pixel(tone.x, tone.y);
  int entry = -1;
  for (int i = 5; i < platform::kColorTableSize; ++i) {
    if (App().colors[static_cast<std::size_t>(i)] == before) entry = i;
  }
  ASSERT_GE(entry, 5);
  const std::int64_t columns = App().analysis.columns;
  ColorsDialog* dialog = Open();
  // Spread the scale between two new ends: every scale colour changes.
  dialog->SelectColor(12);
  dialog->ScrollColor(0, ScrollAction::Thumb, 10);
  dialog->ScrollColor(1, ScrollAction::Thumb, 20);
  dialog->ScrollColor(2, ScrollAction::Thumb, 30);
  dialog->SelectColor(0);
  dialog->ScrollColor(0, ScrollAction::Thumb, 250);
  dialog->ScrollColor(1, ScrollAction::Thumb, 250);
  dialog->ScrollColor(2, ScrollAction::Thumb, 250);
  dialog->Arm(ColorOperation::SpreadTo);
  dialog->SelectColor(12);
  EXPECT_EQ(App().display.Pixel(tone.x, tone.y), App().colors[static_cast<std::size_t>(entry)]);
  EXPECT_NE(App().display.Pixel(tone.x, tone.y), before);
  EXPECT_EQ(App().analysis.columns, columns);
  EXPECT_EQ(App().window->Surface().Pixel(tone.x, tone.y), App().colors[static_cast<std::size_t>(entry)]);
  dialog->Cancel();
}

TEST_F(ColorsDialogTest, CancelRestoresEveryColourItChanged) {
  App().params.paletteId = app::ID_PALETTE_USER;
  App().params.userPalette[7] = {1, 2, 3};
  render::SelectPaletteColors(App(), app::ID_PALETTE_USER);
  AnalyzeTone();
  const render::ColorRecord current = App().render.current;
  const render::ColorRecord user = App().params.userPalette;
  const platform::ColorTable table = App().colors;
  const std::vector<platform::Rgb> picture = Picture();

  ColorsDialog* dialog = Open();
  for (int color = 0; color < kColorCount; ++color) {
    dialog->SelectColor(color);
    dialog->ScrollColor(color % 3, ScrollAction::PageUp, 0);
  }
  dialog->SelectColor(2);
  dialog->Arm(ColorOperation::CopyTo);
  dialog->SelectColor(9);
  dialog->ChoosePalette(IDC_CHOICE_BW);  // saves the edits as the User palette
  dialog->ScrollLevel(true, ScrollAction::PageDown, 0);
  ASSERT_NE(App().render.current, current);
  ASSERT_NE(App().params.userPalette, user);
  dialog->Cancel();
  ProcessEvents();

  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_EQ(App().render.current, current);
  EXPECT_EQ(App().params.userPalette, user);
  EXPECT_EQ(App().params.paletteId, app::ID_PALETTE_USER);
  EXPECT_EQ(App().colors, table);
  EXPECT_EQ(App().params.sonogramLevelMax, 90);
  // The picture, cleared by the level bar, is drawn again as it was.
  EXPECT_EQ(Picture(), picture);
}

// (That the User palette outlives a restart is tested with the settings
// file in the application's tests: a restart ends the event loop, which
// would end the modal windows of the tests after it here.)
TEST_F(ColorsDialogTest, OkKeepsTheEditsAsTheUserPalette) {
  ColorsDialog* dialog = Open();
  dialog->SelectColor(13);  // Background
  dialog->ScrollColor(0, ScrollAction::Thumb, 40);
  dialog->ScrollColor(1, ScrollAction::Thumb, 50);
  dialog->ScrollColor(2, ScrollAction::Thumb, 60);
  const render::ColorRecord edited = dialog->Model().Current();
  dialog->Ok();
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_EQ(App().params.paletteId, app::ID_PALETTE_USER);
  EXPECT_EQ(App().params.userPalette, edited);
  EXPECT_EQ(App().colors[render::kBackgroundIndex], (platform::Rgb{40, 50, 60}));
}

TEST_F(ColorsDialogTest, ALevelChangeClearsThePictureAndOkAnalysesItWithTheNewLevels) {
  AnalyzeTone();
  const platform::Point tone = TonePixel();
  ColorsDialog* dialog = Open();
  dialog->ScrollLevel(true, ScrollAction::PageUp, 0);  // Max 100
  const platform::Rgb background = App().colors[render::kBackgroundIndex];
  EXPECT_EQ(App().display.Pixel(tone.x, tone.y), background);
  EXPECT_EQ(App().params.sonogramLevelMax, 90);  // a finished picture takes the levels at OK
  dialog->Ok();
  ProcessEvents();
  EXPECT_EQ(App().params.sonogramLevelMax, 100);
  EXPECT_NE(App().display.Pixel(tone.x, tone.y), background);
}

TEST_F(ColorsDialogTest, OkIsIgnoredWhileAnAnalysisOwnsTheWindow) {
  ColorsDialog* dialog = Open();
  App().frame.analysisPending = true;
  dialog->Ok();
  EXPECT_TRUE(dialog->IsOpen());
  App().frame.analysisPending = false;
  dialog->Ok();
  EXPECT_FALSE(dialog->IsOpen());
}

TEST_F(ColorsDialogTest, AParameterCommandClosesTheDialogAsOk) {
  ColorsDialog* dialog = Open();
  dialog->SelectColor(17);
  dialog->ScrollColor(2, ScrollAction::Thumb, 77);
  SendCommand(app::IDM_CHANGE_PARAMETERS);
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_EQ(App().params.userPalette[17].b, 77);
  EXPECT_EQ(App().params.paletteId, app::ID_PALETTE_USER);
}

TEST_F(ColorsDialogTest, TheWindowsControlsWorkTheModel) {
  ColorsDialog* dialog = Open();
  dialog->Show(Window().NativeHandle());
  ColorsDialogView* view = dialog->View();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle().toStdString(), "Sonavue Colors");
  // The scale buttons carry their levels: "0 dB" at the top is 0.00 dB.
  EXPECT_EQ(static_cast<QPushButton*>(view->Control(1040))->text().toStdString(), "0.00 dB");
  static_cast<QPushButton*>(view->Control(1044))->click();  // Freq Mark
  EXPECT_EQ(dialog->Model().Selected(), 16);
  auto* red = static_cast<QScrollBar*>(view->Control(kRgbBarIds[0]));
  EXPECT_EQ(red->value(), 220);
  red->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(App().render.current[16].r, 219);
  EXPECT_EQ(red->value(), 219);
  EXPECT_TRUE(static_cast<QRadioButton*>(view->Control(IDC_CHOICE_USER))->isChecked());
  auto* max = static_cast<QScrollBar*>(view->Control(IDC_MAX_BAR));
  max->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(dialog->Model().MaxDb(), 80);
  EXPECT_EQ(static_cast<QPushButton*>(view->Control(1040))->text().toStdString(), "-10.00 dB");
  static_cast<QPushButton*>(view->Control(IDC_COLORS_OK))->click();
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_EQ(dialog->View(), nullptr);
  EXPECT_EQ(App().params.userPalette[16].r, 219);
  EXPECT_EQ(App().params.sonogramLevelMax, 80);
}

}  // namespace
}  // namespace sonavue::dialogs
