#include "app/PointerInput.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dialogs/MarkerDialog.h"
#include "plans/PaletteIndex.h"
#include "render/Axes.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::app {
namespace {

using platform::MouseAction;
using platform::Point;
using platform::ScrollAction;
using platform::ScrollBarId;
using sonavue::testing::WavBuilder;

class PointerInputTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
    App().params.displayId = ID_DISPLAY_SCROLL1;
    App().params.variables = IDM_VARIABLES_FREEZE;
  }
  void AnalyzeTone(double seconds, float widthS) {
    App().params.displayWidthS = widthS;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < static_cast<int>(48000 * seconds); ++i) {
      samples.push_back(static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * 3000.0 * i / 48000))));
    }
    const auto path = *folders_ / "tone.wav";
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    prompts_.QueueFile({path.string()});
    SendCommand(IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }
  // The readout box's value cells as the window shows them.
  std::vector<platform::Rgb> ReadoutPixels() {
    const platform::DisplayBitmap& image = WindowImage();
    const LayoutValues& v = App().layout;
    std::vector<platform::Rgb> pixels;
    for (int y = v.displayHeight + v.scrollThickness; y < v.clientHeight; ++y) {
      for (int x = v.clientWidth / 2; x < v.clientWidth; ++x) pixels.push_back(image.Pixel(x, y));
    }
    return pixels;
  }
  void Scroll(ScrollBarId bar, ScrollAction action) {
    Window().TriggerScrollAction(bar, action);
    ProcessEvents();
  }
  void Thumb(ScrollBarId bar, ScrollAction action, int position) {
    App().procedure->OnScroll(bar, action, position);
    ProcessEvents();
  }
  int Gain() { return App().params.gainDb; }
  int GainBar() { return Window().ScrollPosition(ScrollBarId::Vertical); }
};

TEST_F(PointerInputTest, TheReadoutsShowValuesOnlyInsideThePlot) {
  AnalyzeTone(3.0, 2.0F);
  const LayoutValues& v = App().layout;
  const int axisBottom = v.displayHeight - 2 * v.charHeight;
  SendMouse(MouseAction::Move, {v.leftMargin + 100, 100});
  EXPECT_TRUE(App().lastCursorValid);
  const auto atPlot = ReadoutPixels();

  SendMouse(MouseAction::Move, {v.leftMargin + 100, 0});  // the top row
  EXPECT_FALSE(App().lastCursorValid);
  const auto blank = ReadoutPixels();
  EXPECT_NE(blank, atPlot);
  SendMouse(MouseAction::Move, {v.leftMargin + 100, axisBottom - 1});
  EXPECT_TRUE(App().lastCursorValid);
  SendMouse(MouseAction::Move, {v.leftMargin + 100, axisBottom});  // the time strip
  EXPECT_FALSE(App().lastCursorValid);
  EXPECT_EQ(ReadoutPixels(), blank);
  SendMouse(MouseAction::Move, {v.leftMargin - 1, 100});  // the frequency labels
  EXPECT_FALSE(App().lastCursorValid);
  EXPECT_EQ(ReadoutPixels(), blank);
  SendMouse(MouseAction::Move, {v.leftMargin, 100});
  EXPECT_TRUE(App().lastCursorValid);

  // Leaving the client area blanks them too.
  App().procedure->OnNonClientMouseMove();
  EXPECT_FALSE(App().lastCursorValid);
  EXPECT_EQ(ReadoutPixels(), blank);
}

TEST_F(PointerInputTest, TheGainBarRunsFromMinusThirtyToThirtyInItsSteps) {
  EXPECT_EQ(GainBar(), 30);
  Scroll(ScrollBarId::Vertical, ScrollAction::LineDown);
  EXPECT_EQ(Gain(), 1);
  EXPECT_EQ(GainBar(), 31);
  Scroll(ScrollBarId::Vertical, ScrollAction::PageUp);
  EXPECT_EQ(Gain(), -4);
  EXPECT_EQ(GainBar(), 26);
  // Dragging the thumb does nothing until it is released.
  Thumb(ScrollBarId::Vertical, ScrollAction::ThumbTrack, 50);
  EXPECT_EQ(Gain(), -4);
  Thumb(ScrollBarId::Vertical, ScrollAction::ThumbPosition, 50);
  EXPECT_EQ(Gain(), 20);
  for (int i = 0; i < 5; ++i) Scroll(ScrollBarId::Vertical, ScrollAction::PageDown);
  EXPECT_EQ(Gain(), 30);
  EXPECT_EQ(GainBar(), 60);
  for (int i = 0; i < 20; ++i) Scroll(ScrollBarId::Vertical, ScrollAction::PageUp);
  EXPECT_EQ(Gain(), -30);
  EXPECT_EQ(GainBar(), 0);
}

TEST_F(PointerInputTest, AGainChangeAnalysesTheShownFileAgainWithTheNewGain) {
  AnalyzeTone(2.0, 2.0F);
  const float before = App().analysis.totalLevels[0][10];
  Thumb(ScrollBarId::Vertical, ScrollAction::ThumbPosition, 36);  // gain +6 dB: 6 dB lower
  EXPECT_EQ(Gain(), 6);
  EXPECT_NEAR(App().analysis.totalLevels[0][10], before - 6.0F, 0.01F);
}

TEST_F(PointerInputTest, WithTheGainLockOnTheBarAsksOnceAndNoLeavesItWhereItWas) {
  SendCommand(IDM_GAIN_LOCK_ON);
  ASSERT_EQ(App().params.gainLock, IDM_GAIN_LOCK_ON);
  const int gain = Gain();
  prompts_.QueueBoxAnswer(platform::BoxResult::No);
  Scroll(ScrollBarId::Vertical, ScrollAction::LineDown);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Preferences - SPL Cal Gain Lock is \"On\".\n  Do you wish to unlock gain control?");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_EQ(boxes[0].buttons, platform::BoxButtons::YesNo);
  EXPECT_EQ(Gain(), gain);
  EXPECT_EQ(GainBar(), gain + 30);
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_ON));

  prompts_.QueueBoxAnswer(platform::BoxResult::Yes);
  Scroll(ScrollBarId::Vertical, ScrollAction::LineDown);
  EXPECT_EQ(TakeBoxes().size(), 1U);
  EXPECT_EQ(Gain(), gain + 1);
  EXPECT_EQ(App().params.gainLock, IDM_GAIN_LOCK_OFF);
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_OFF));
  // Unlocked: no more questions.
  Scroll(ScrollBarId::Vertical, ScrollAction::LineDown);
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(Gain(), gain + 2);
}

TEST_F(PointerInputTest, APanMovesFourColumnsALineAndStopsAtTheRange) {
  AnalyzeTone(6.0, 2.0F);
  const AnalysisRecord& a = App().analysis;
  const int range = a.leftMargin + static_cast<int>(a.columns) - App().layout.displayWidth;
  ASSERT_GT(range, 200);
  Thumb(ScrollBarId::Horizontal, ScrollAction::ThumbPosition, 0);
  EXPECT_EQ(a.horizontalScroll, 0);
  Scroll(ScrollBarId::Horizontal, ScrollAction::LineDown);
  EXPECT_EQ(a.horizontalScroll, 4);
  Scroll(ScrollBarId::Horizontal, ScrollAction::PageDown);
  EXPECT_EQ(a.horizontalScroll, 104);
  EXPECT_EQ(Window().ScrollPosition(ScrollBarId::Horizontal), 104);
  EXPECT_EQ(App().render.view.horizontalOffset, 104);
  Thumb(ScrollBarId::Horizontal, ScrollAction::ThumbTrack, range - 2);
  Scroll(ScrollBarId::Horizontal, ScrollAction::LineDown);
  EXPECT_EQ(a.horizontalScroll, range);
  Scroll(ScrollBarId::Horizontal, ScrollAction::LineUp);
  EXPECT_EQ(a.horizontalScroll, range - 4);
  // The window shows the image from the new offset on.
  const platform::DisplayBitmap& window = WindowImage();
  EXPECT_EQ(window.Pixel(a.leftMargin + 10, 50), App().display.Pixel(a.leftMargin + range - 4 + 10, 50));
}

TEST_F(PointerInputTest, APanLeavesTheGridForTheNextPointerMove) {
  AnalyzeTone(6.0, 2.0F);
  SendCommand(IDC_GRID);
  ASSERT_TRUE(App().frame.grid);
  Scroll(ScrollBarId::Horizontal, ScrollAction::PageDown);
  EXPECT_TRUE(App().pointer.overlaysStale);
  SendMouse(MouseAction::Move, {300, 100});
  EXPECT_FALSE(App().pointer.overlaysStale);
}

TEST_F(PointerInputTest, ADragShowsTheSelectedColumnsInvertedInTheWindow) {
  AnalyzeTone(3.0, 2.0F);
  const LayoutValues& v = App().layout;
  const int x0 = v.leftMargin + 50;
  const int x1 = v.leftMargin + 150;
  const Point inside{v.leftMargin + 100, 60};
  const Point outside{v.leftMargin + 200, 60};
  const platform::Rgb original = WindowImage().Pixel(inside.x, inside.y);
  const platform::Rgb untouched = WindowImage().Pixel(outside.x, outside.y);
  SendMouse(MouseAction::LeftDown, {x0, 60});
  EXPECT_EQ(App().pointer.mode, MouseMode::DragSelect);
  EXPECT_TRUE(App().render.view.dragSelect);
  SendMouse(MouseAction::Move, {x1, 60});
  const platform::Rgb inverted = WindowImage().Pixel(inside.x, inside.y);
  EXPECT_EQ(inverted, (platform::Rgb{static_cast<std::uint8_t>(255 - original.r),
                                     static_cast<std::uint8_t>(255 - original.g),
                                     static_cast<std::uint8_t>(255 - original.b)}));
  EXPECT_EQ(WindowImage().Pixel(outside.x, outside.y), untouched);
  // Back over part of the band: that part shows as it was.
  SendMouse(MouseAction::Move, {inside.x - 10, 60});
  EXPECT_EQ(WindowImage().Pixel(inside.x, inside.y), original);
  SendMouse(MouseAction::LeftUp, {inside.x - 10, 60});
  EXPECT_EQ(App().pointer.mode, MouseMode::None);
  EXPECT_FALSE(App().render.view.dragSelect);
}

TEST_F(PointerInputTest, TheRightButtonShowsABoxUntilItIsReleased) {
  AnalyzeTone(3.0, 2.0F);
  const LayoutValues& v = App().layout;
  const Point inside{v.leftMargin + 70, 90};
  const platform::Rgb original = WindowImage().Pixel(inside.x, inside.y);
  SendMouse(MouseAction::RightDown, {v.leftMargin + 50, 50});
  EXPECT_EQ(App().pointer.mode, MouseMode::Box);
  SendMouse(MouseAction::Move, {v.leftMargin + 100, 120});
  EXPECT_EQ(App().pointer.boxShown, (platform::Rect{v.leftMargin + 50, 50, 50, 70}));
  EXPECT_NE(WindowImage().Pixel(inside.x, inside.y), original);
  SendMouse(MouseAction::Move, {v.leftMargin + 60, 60});  // smaller: the old box is restored
  EXPECT_EQ(WindowImage().Pixel(inside.x, inside.y), original);
  SendMouse(MouseAction::RightUp, {v.leftMargin + 60, 60});
  EXPECT_EQ(App().pointer.mode, MouseMode::None);
  EXPECT_FALSE(App().frame.snapshotPushed);
}

TEST_F(PointerInputTest, AMarkerOfMinusFiveHundredIsOffAndAPositiveOneIsDrawn) {
  AnalyzeTone(3.0, 2.0F);
  prompts_.QueueDialog([](platform::ModalDialog& d) {
    auto& markers = static_cast<dialogs::FrequencyMarkersDialog&>(d);
    markers.Model().SetText(dialogs::IDC_MARKER1, "-500");
    return true;
  });
  SendCommand(IDM_FREQ_MARK_ON);
  EXPECT_EQ(App().params.frequencyMarker1Hz, 0);
  EXPECT_TRUE(MenuChecked(IDM_FREQ_MARK_OFF));
  EXPECT_FALSE(MenuChecked(IDM_FREQ_MARK_ON));

  prompts_.QueueDialog([](platform::ModalDialog& d) {
    static_cast<dialogs::FrequencyMarkersDialog&>(d).Model().SetText(dialogs::IDC_MARKER2, "12000");
    return true;
  });
  SendCommand(IDM_FREQ_MARK_ON);
  EXPECT_EQ(App().params.frequencyMarker2Hz, 12000);
  EXPECT_TRUE(MenuChecked(IDM_FREQ_MARK_ON));
  // 12000 Hz is half of the 0 … 24000 Hz band: half the rows above the bottom.
  const AnalysisRecord& a = App().analysis;
  const int bottom = App().layout.displayHeight - 2 * App().layout.charHeight;
  const int y = bottom - static_cast<int>(std::lround(a.rows * 0.5));
  const platform::Rgb mark = App().colors[render::kFreqMarkIndex];
  EXPECT_EQ(WindowImage().Pixel(a.leftMargin + 30, y), mark);
  EXPECT_NE(WindowImage().Pixel(a.leftMargin + 30, y - 3), mark);

  // Cancel changes nothing; Off removes the line.
  prompts_.QueueDialog([](platform::ModalDialog&) { return false; });
  SendCommand(IDM_FREQ_MARK_ON);
  EXPECT_EQ(App().params.frequencyMarker2Hz, 12000);
  SendCommand(IDM_FREQ_MARK_OFF);
  EXPECT_NE(WindowImage().Pixel(a.leftMargin + 30, y), mark);
}

TEST_F(PointerInputTest, ThePointerShapeCommandsSetThePointerAtOnce) {
  EXPECT_EQ(Window().PointerShape(), 1);
  SendCommand(IDM_POINTER_BLACK_CROSS);
  EXPECT_EQ(Window().PointerShape(), 3);
  EXPECT_TRUE(MenuChecked(IDM_POINTER_BLACK_CROSS));
  EXPECT_FALSE(MenuChecked(IDM_POINTER_TARGET_BOX));
  SendCommand(IDM_POINTER_WHITE_CROSS);
  EXPECT_EQ(Window().PointerShape(), 2);
  Restart();
  EXPECT_EQ(Window().PointerShape(), 2);  // kept in the settings
}

}  // namespace
}  // namespace sonavue::app
