#include <gtest/gtest.h>

#include "context/CommandIds.h"
#include "dialogs/ColorsDialog.h"
#include "plans/PaletteIndex.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

class UserPaletteTest : public sonavue::testing::AppFixture {};

TEST_F(UserPaletteTest, TheUserPaletteOfTheColoursDialogOutlivesARestart) {
  Start();
  SendCommand(IDM_COLOR_SCALE);
  auto* dialog = static_cast<dialogs::ColorsDialog*>(prompts_.ShownModeless(dialogs::kColorsDialogId));
  ASSERT_NE(dialog, nullptr);
  dialog->SelectColor(13);  // Background
  dialog->ScrollColor(0, dialogs::ScrollAction::Thumb, 40);
  dialog->ScrollColor(1, dialogs::ScrollAction::Thumb, 50);
  dialog->ScrollColor(2, dialogs::ScrollAction::Thumb, 60);
  dialog->SelectColor(0);
  dialog->Arm(dialogs::ColorOperation::SpreadTo);
  dialog->SelectColor(12);
  const render::ColorRecord edited = dialog->Model().Current();
  dialog->Ok();

  Restart();
  EXPECT_EQ(App().params.paletteId, ID_PALETTE_USER);
  EXPECT_EQ(App().params.userPalette, edited);
  EXPECT_EQ(App().render.current, edited);
  EXPECT_EQ(App().colors[render::kBackgroundIndex], (platform::Rgb{40, 50, 60}));
  // The next opening starts from it.
  SendCommand(IDM_COLOR_SCALE);
  auto* again = static_cast<dialogs::ColorsDialog*>(prompts_.ShownModeless(dialogs::kColorsDialogId));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Model().Current(), edited);
  EXPECT_EQ(again->Model().Choice(), ID_PALETTE_USER);
  again->Cancel();
}

}  // namespace
}  // namespace sonavue::app
