#include <gtest/gtest.h>

#include <memory>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "engines/ScanInput.h"
#include "support/AppFixture.h"

namespace sonavue::engines {
namespace {

// A live sonogram fed by a device that delivers its input later than the
// clock says it was heard.
class ScanInputDeliveryTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
    auto& p = App().params;
    p.displayId = app::ID_DISPLAY_SCROLL1;
    p.displayWidthS = 2.0F;
    p.lowBandHz = 0;
    p.highBandHz = 8000;
    p.sampleRateHz = 48000;
    p.fftSize = 1024;
    p.resolutionHz = 100.0F;
    p.variables = app::IDM_VARIABLES_FREEZE;
  }
};

TEST_F(ScanInputDeliveryTest, ALateDeviceHasItsNewestDeliveredFrameAnalysed) {
  // Half a second late: the clock's frame (120 ms old) has not arrived yet,
  // and the part of the buffer where it would lie still holds silence.
  devices_.SetDeliveryDelayMs(500);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 2000.0, 10000.0, -1.0, {}});
  double levelDb = 0.0;
  auto stopped = std::make_shared<bool>(false);
  devices_.SetTickHook([this, &levelDb, stopped](std::uint32_t now) {
    if (!*stopped && now >= 2400) {
      *stopped = true;
      levelDb = App().render.view.frameTotalLevelDb;
      app::PostCommand(App(), app::IDC_STOP);
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(*stopped);
  EXPECT_GT(App().scanStats.analysed, 100);
  // The mean level of the last 20 frames is the tone's: 20 log10(7071).
  EXPECT_NEAR(levelDb, 76.99, 0.2);
  EXPECT_FALSE(App().frame.inputOpen);
}

}  // namespace
}  // namespace sonavue::engines
