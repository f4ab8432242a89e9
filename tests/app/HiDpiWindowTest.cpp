// The main window on a screen with two device pixels per pixel, as the
// user sees it: the sonogram's pixels shown as solid blocks, never
// blurred, and the axis labels and readouts drawn at the screen's
// resolution.

#include <QApplication>
#include <QMainWindow>
#include <QPixmap>
#include <gtest/gtest.h>

#include <cmath>

#include "context/CommandIds.h"
#include "platform/PointerShapes.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::testing {
namespace {

// Qt reads the scale when the application object is made, before any test.
const bool kScaledScreen = qputenv("QT_SCALE_FACTOR", "2");

class HiDpiWindowTest : public AppFixture {
 protected:
  // The window's client area as painted on the screen, in device pixels.
  QImage Screen() {
    QWidget* client = ClientArea();
    return client != nullptr ? client->grab().toImage() : QImage();
  }
  static QWidget* ClientArea() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* frame = qobject_cast<QMainWindow*>(widget);
      if (frame != nullptr && frame->isVisible()) return frame->centralWidget();
    }
    return nullptr;
  }

  // Device pixels inside area (given in window pixels) that differ from
  // the window image's pixel they cover.
  static int OffBlockPixels(const QImage& screen, const platform::DisplayBitmap& image, const platform::Rect& area) {
    int off = 0;
    for (int y = 2 * area.y; y < 2 * (area.y + area.h); ++y) {
      for (int x = 2 * area.x; x < 2 * (area.x + area.w); ++x) {
        const platform::Rgb want = image.Pixel(x / 2, y / 2);
        if (screen.pixelColor(x, y).rgb() != qRgb(want.r, want.g, want.b)) ++off;
      }
    }
    return off;
  }
};

TEST_F(HiDpiWindowTest, TheSonogramIsShownInSolidBlocksAndItsLabelsAtScreenResolution) {
  ASSERT_TRUE(kScaledScreen);
  ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
  StartPictureWindow();
  std::vector<std::int16_t> samples(48000 * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(std::lround(12000 * std::sin(2 * M_PI * 3000 * static_cast<double>(i) / 48000)));
  }
  const auto path = *folders_ / "tone.wav";
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
  prompts_.QueueFile({path.string()});
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
  ASSERT_TRUE(App().analysis.valid);

  const platform::DisplayBitmap& image = WindowImage();
  const QImage screen = Screen();
  ASSERT_EQ(screen.width(), 2 * image.Width());
  ASSERT_EQ(screen.height(), 2 * image.Height());
  const app::LayoutValues& v = App().layout;
  // The plot: the tone's row and the black around it, pixel for block.
  const platform::Rect plot{v.leftMargin + 1, 0, v.displayWidth - v.leftMargin - 1,
                            v.displayHeight - 2 * v.charHeight - 1};
  EXPECT_EQ(OffBlockPixels(screen, image, plot), 0);
  // The frequency labels left of the plot and the readout panel's texts:
  // finer than the window's pixels.
  EXPECT_GT(OffBlockPixels(screen, image, {0, 0, v.leftMargin - 2, v.displayHeight}), 100);
  const int panelTop = v.displayHeight + v.scrollThickness;
  EXPECT_GT(OffBlockPixels(screen, image, {0, panelTop, v.clientWidth, v.clientHeight - panelTop}), 100);

  // The pointer over the plot: its pattern in 2 × 2 blocks of device
  // pixels, the same logical size as on an ordinary screen.
  SendMouse(platform::MouseAction::Move, {v.leftMargin + 100, 100});
  const QPixmap pointer = ClientArea()->cursor().pixmap();
  ASSERT_FALSE(pointer.isNull());
  EXPECT_EQ(pointer.devicePixelRatio(), 2.0);
  const QImage pattern = pointer.toImage();
  ASSERT_EQ(pattern.width(), 2 * platform::kPointerSize);
  int opaque = 0;
  for (int y = 0; y < pattern.height(); y += 2) {
    for (int x = 0; x < pattern.width(); x += 2) {
      const QRgb block = pattern.pixel(x, y);
      opaque += qAlpha(block) != 0 ? 1 : 0;
      ASSERT_EQ(pattern.pixel(x + 1, y), block);
      ASSERT_EQ(pattern.pixel(x, y + 1), block);
      ASSERT_EQ(pattern.pixel(x + 1, y + 1), block);
    }
  }
  EXPECT_GT(opaque, 10);
}

}  // namespace
}  // namespace sonavue::testing
