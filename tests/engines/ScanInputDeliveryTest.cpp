#include <gtest/gtest.h>

#include <memory>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "engines/ScanInput.h"
#include "support/LiveScanFixture.h"

namespace sonavue::engines {
namespace {

// A live sonogram fed by a device that delivers its input later than the
// clock says it was heard.
class ScanInputDeliveryTest : public sonavue::testing::LiveScanFixture {};

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
