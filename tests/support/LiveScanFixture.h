#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "support/AppFixture.h"

namespace sonavue::testing {

// An App ready for a live scan on the simulated input: a 900 × 600 window,
// "Scroll 1", 0 … 8000 Hz at 48000 Hz, N = 1024, 100 Hz, 2 s across the
// plot, stored as the scan parameter set the scan starts from, and no
// dialog (Variables "Freeze").
class LiveScanFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
    app::CurrentParameters& p = App().params;
    p.displayId = app::ID_DISPLAY_SCROLL1;
    p.displayWidthS = 2.0F;
    p.lowBandHz = 0;
    p.highBandHz = 8000;
    p.sampleRateHz = 48000;
    p.fftSize = 1024;
    p.resolutionHz = 100.0F;
    app::StoreScanParameters(p);
    p.variables = app::IDM_VARIABLES_FREEZE;
  }

  // Presses STOP (through the message queue, as the button does) once the
  // clock passes stopMs.
  void StopAt(std::uint32_t stopMs) { WatchAndStopAt(stopMs, {}); }

  // Runs hook(now) on every clock tick and presses STOP once the clock
  // passes stopMs.
  void WatchAndStopAt(std::uint32_t stopMs, std::function<void(std::uint32_t)> hook) {
    auto pressed = std::make_shared<bool>(false);
    devices_.SetTickHook([this, stopMs, pressed, hook](std::uint32_t now) {
      if (hook) hook(now);
      if (!*pressed && now >= stopMs) {
        *pressed = true;
        app::PostCommand(App(), app::IDC_STOP);
      }
    });
  }

  // A whole scan started with reason, watched by hook, stopped at stopMs.
  void RunScan(std::uint32_t stopMs, std::function<void(std::uint32_t)> hook = {},
               int reason = app::kReasonUser) {
    WatchAndStopAt(stopMs, std::move(hook));
    SendCommand(app::IDM_SCAN_INPUT, reason);
    devices_.SetTickHook({});
  }
};

}  // namespace sonavue::testing
