#include "dialogs/ImageDialogView.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include "dialogs/ImageDialog.h"
#include "support/AppFixture.h"

namespace sonavue::dialogs {
namespace {

template <typename Widget>
Widget* Find(ImageDialogView& view, int id) {
  return view.findChild<Widget*>(QString::number(id));
}

class ImageDialogViewTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }
};

TEST_F(ImageDialogViewTest, TheWidgetsWorkTheModelAndOkKeepsIt) {
  ImageDialogSetup setup;
  setup.sourceWidth = 1000;
  setup.sourceHeight = 600;
  ImageDialog dialog(setup);
  bool checked = false;
  dialog.SetShownHook([&checked](ImageDialogView& view) {
    auto* bitmap = Find<QRadioButton>(view, app::ID_IMAGE_BITMAP);
    auto* inches = Find<QRadioButton>(view, app::ID_UNIT_INCHES);
    auto* quality = Find<QScrollBar>(view, IDC_IMAGE_QUALITY_BAR);
    auto* width = Find<QLineEdit>(view, IDC_IMAGE_WIDTH_EDIT);
    auto* height = Find<QLineEdit>(view, IDC_IMAGE_HEIGHT_EDIT);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(inches, nullptr);
    ASSERT_NE(quality, nullptr);
    ASSERT_NE(width, nullptr);
    ASSERT_NE(height, nullptr);
    EXPECT_EQ(width->text(), "3.3");
    EXPECT_TRUE(height->isReadOnly());
    EXPECT_TRUE(inches->isEnabled());
    bitmap->click();
    EXPECT_FALSE(inches->isEnabled());
    EXPECT_FALSE(quality->isEnabled());
    EXPECT_EQ(width->text(), "1000");
    // A width typed in pixels, read when its editing ends.
    width->setText("1500");
    emit width->editingFinished();
    EXPECT_EQ(height->text(), "900");
    // 30 pixels above the middle of the screen, centred across it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(view.x(), std::max(0, (screen.width() - view.width()) / 2));
    EXPECT_EQ(view.y(), std::max(0, (screen.height() - view.height()) / 2 - 30));
    checked = true;
    Find<QPushButton>(view, IDC_OK)->click();
  });
  EXPECT_TRUE(dialog.Exec(nullptr));
  EXPECT_TRUE(checked);
  app::ImageSettings stored;
  dialog.Model().Commit(stored);
  EXPECT_EQ(stored.formatId, app::ID_IMAGE_BITMAP);
  EXPECT_EQ(stored.outputWidth, 1500);
  EXPECT_EQ(stored.outputHeight, 900);
}

TEST_F(ImageDialogViewTest, CancelThroughThePromptsStoresNothing) {
  prompts_.QueueDialog([](platform::ModalDialog& shown) {
    dynamic_cast<ImageDialog&>(shown).Model().Click(app::ID_IMAGE_BITMAP);
    return false;
  });
  const app::ImageSettings before = App().image;
  EXPECT_FALSE(RunImageDialog(App(), {App().image, 800, 600, false, false}));
  EXPECT_EQ(App().image.formatId, before.formatId);
  EXPECT_EQ(App().image.outputWidth, before.outputWidth);
  EXPECT_EQ(prompts_.Dialogs().back(), 151);
}

}  // namespace
}  // namespace sonavue::dialogs
