// What a live scan keeps and shows while it runs: the reference buttons of
// a scope, the per-column level trace, the SPL factor, the pace of its
// columns, and what a resume puts back.

#include <gtest/gtest.h>

#include <Qt>
#include <memory>
#include <vector>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "engines/ScanInput.h"
#include "platform/KeyCodes.h"
#include "support/LiveScanFixture.h"

namespace sonavue::engines {
namespace {

TEST(ColumnPaceTest, EvenColumnsAreRegularAndUnevenOrVeryLongScansAreNot) {
  std::vector<std::uint32_t> even;
  for (std::uint32_t k = 1; k <= 200; ++k) even.push_back(1000 + 10 * k);
  EXPECT_FALSE(ColumnsIrregular(even, 5000));
  // The ring wraps: stamps out of order, empty entries, still even.
  std::vector<std::uint32_t> wrapped(even.begin() + 120, even.end());
  wrapped.insert(wrapped.end(), even.begin(), even.begin() + 120);
  wrapped.push_back(0);
  EXPECT_FALSE(ColumnsIrregular(wrapped, 5000));
  // Bursts of columns with long stalls between them.
  std::vector<std::uint32_t> bursts;
  for (std::uint32_t k = 0; k < 200; ++k) bursts.push_back(1000 + (k / 20) * 400 + (k % 20));
  EXPECT_TRUE(ColumnsIrregular(bursts, 5000));
  // Even columns, but a scan of more than 15 minutes.
  EXPECT_TRUE(ColumnsIrregular(even, 900001));
}

class LiveScanTest : public sonavue::testing::LiveScanFixture {
 protected:
  void SetUp() override {
    LiveScanFixture::SetUp();
    devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  }
  void Run(std::uint32_t stopMs, std::function<void(std::uint32_t)> hook = {},
           int reason = app::kReasonUser) {
    RunScan(stopMs, std::move(hook), reason);
  }
};

TEST_F(LiveScanTest, AScopeOffersCaptureAndClearAndTheKeyTakesAReference) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  app::StoreScanParameters(App().params);
  bool checked = false;
  Run(3000, [this, &checked](std::uint32_t now) {
    if (!checked && now >= 1500) {
      checked = true;
      EXPECT_EQ(ButtonCaption(app::IDC_PLAY), "&CAPTURE");
      EXPECT_EQ(ButtonCaption(app::IDC_PLAY_WINDOW), "C&LEAR");
      EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
      EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY_WINDOW));
      Window().SendKey(Qt::Key_C);
    }
  });
  ASSERT_TRUE(checked);
  EXPECT_TRUE(App().render.scope.reference.exists);
  EXPECT_FALSE(App().render.scope.reference.codes.empty());
}

TEST_F(LiveScanTest, TheLevelTraceHoldsEachDrawnColumnsTotalLevel) {
  std::vector<float> seen;
  Run(1500, [this, &seen](std::uint32_t now) {
    if (seen.empty() && now >= 1200) seen = App().render.view.levelTraceLeft;
  });
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(static_cast<int>(seen.size()), App().layout.displayWidth - App().layout.leftMargin);
  // A sine of 8000 units: 20 log10(8000 / √2) ≈ 75.05 dB on the drawn
  // columns, the display minimum beyond them.
  EXPECT_NEAR(seen[20], 75.05F, 0.2F);
  EXPECT_EQ(seen.back(), static_cast<float>(App().params.sonogramLevelMin));
}

TEST_F(LiveScanTest, SplCalibrationScalesTheLiveLevelByItsControl) {
  // The 20-frame mean level shown while live, once 20 frames were made.
  const auto liveLevel = [this] {
    float level = 0.0F;
    Run(clock_.NowMs() + 1500, [this, &level](std::uint32_t) {
      if (App().frame.inputOpen && App().scanStats.frames > 30) level = App().render.view.frameTotalLevelDb;
    });
    return level;
  };
  const float plain = liveLevel();
  EXPECT_NEAR(plain, 75.05F, 0.2F);
  App().params.splCalibrated = true;
  App().params.splControl = 80;  // +20 dB
  app::StoreScanParameters(App().params);
  EXPECT_NEAR(liveLevel() - plain, 20.0F, 0.1F);
}

TEST_F(LiveScanTest, TheStoppedPictureKeepsTheMeasuredTimeStep) {
  Run(3000);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_GT(App().scanStats.measuredColumnMs, 0.0F);
  EXPECT_FLOAT_EQ(App().scanColumnMs, App().scanStats.measuredColumnMs);
  EXPECT_FLOAT_EQ(App().analysis.columnMs, App().scanStats.measuredColumnMs);
  EXPECT_FALSE(App().frame.irregularColumns);
}

TEST_F(LiveScanTest, AResumePutsBackTheAveragingMarkersAndPointer) {
  app::CurrentParameters& p = App().params;
  p.averagingScrollMs = 300;
  p.frequencyMarker1Hz = 1500;
  p.pointerShape = 3;
  Run(1500);
  ASSERT_TRUE(App().pausedScan.has_value());
  p.averagingScrollMs = 0;
  p.frequencyMarker1Hz = 0;
  p.pointerShape = 1;
  // Space or a right click on the stopped picture resumes with this reason.
  const std::uint32_t resumeAt = clock_.NowMs();
  std::uint32_t averagingWhileLive = 0;
  Run(resumeAt + 1500, [this, &averagingWhileLive](std::uint32_t) {
    if (App().frame.inputOpen) averagingWhileLive = static_cast<std::uint32_t>(App().params.averagingScrollMs);
  }, app::kReasonSpaceResume);
  EXPECT_EQ(averagingWhileLive, 300U);
  EXPECT_EQ(p.averagingScrollMs, 300);
  EXPECT_EQ(p.frequencyMarker1Hz, 1500);
  EXPECT_EQ(p.pointerShape, 3);
}

}  // namespace
}  // namespace sonavue::engines
