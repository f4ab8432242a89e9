#include <gtest/gtest.h>

#include "app/WayCommands.h"
#include "dialogs/ImageDialog.h"
#include "output/ScreenImage.h"
#include "render/Palette.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ReadFileBytes;

class ScopeImageTest : public sonavue::testing::LiveScanFixture {};

TEST_F(ScopeImageTest, AScopeIsDrawnWholeAtTheOutputSize) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  app::StoreScanParameters(App().params);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  RunScan(1500);
  ASSERT_FALSE(App().display.IsNull());
  const int w = App().layout.displayWidth;
  const int h = App().layout.displayHeight;

  prompts_.QueueDialog([w](platform::ModalDialog& shown) {
    auto& model = dynamic_cast<dialogs::ImageDialog&>(shown).Model();
    // A scope picture has no time axis to start at zero.
    EXPECT_FALSE(model.State(app::ID_ORIGIN_ZERO_YES).enabled);
    model.Click(app::ID_IMAGE_BITMAP);
    model.SetWidthPixels(2 * w);
    return true;
  });
  const auto path = *folders_ / "scope.bmp";
  prompts_.QueueFile({path.string()});
  SendCommand(app::IDM_SAVE_IMAGE_WINDOW);
  const auto bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 58U);
  const auto u32 = [&bytes](std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  };
  ASSERT_EQ(static_cast<int>(u32(18)), 2 * w);
  ASSERT_EQ(static_cast<int>(u32(22)), 2 * h);
  // The curve is there in its own colour (Signal 2 for one channel), drawn
  // at the new size rather than blended by a resampling.
  const std::size_t row = (6 * static_cast<std::size_t>(w) + 3) / 4 * 4;
  const platform::Rgb signal = App().colors[render::kSignal2Index];
  int curve = 0;
  for (int y = 0; y < 2 * h; ++y) {
    for (int x = 0; x < 2 * w; ++x) {
      const std::uint8_t* p = &bytes[58 + static_cast<std::size_t>(y) * row + 3 * static_cast<std::size_t>(x)];
      const platform::Rgb c{p[2], p[1], p[0]};
      curve += c == signal ? 1 : 0;
    }
  }
  EXPECT_GT(curve, 2 * w);
}

}  // namespace
}  // namespace sonavue::output
