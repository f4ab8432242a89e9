#include "audio/StopAllAudio.h"

#include "context/App.h"
#include "context/CommandIds.h"

namespace sonavue::audio {

void StopAllAudio(app::App& app, bool keepRestart) {
  app.frame.stopRequest = true;
  if (!keepRestart) app.frame.restartRequest = false;
  if (app.output.device) app.output.device->Reset();
  if (app.live.device && app.live.device->IsOpen()) {
    app.live.device->Reset();
    app.live.device->Stop();
  }
  // The notifications the resets cause are handled before returning.
  app.pump.DispatchAll();
  if (app.window) {
    app.window->EnableButton(app::IDC_STOP, false);
    app.window->SetFocus();
  }
}

}  // namespace sonavue::audio
