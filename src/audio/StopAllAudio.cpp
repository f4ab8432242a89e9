#include "audio/StopAllAudio.h"

#include "app/App.h"
#include "app/CommandIds.h"

namespace sonavue::audio {

void StopAllAudio(app::App& app, bool keepRestart) {
  app.frame.stopRequest = true;
  if (!keepRestart) app.frame.restartRequest = false;
  // The devices' resets come with the capture and playback code; their
  // notifications are handled here before returning.
  app.pump.DispatchAll();
  if (app.window) {
    app.window->EnableButton(app::IDC_STOP, false);
    app.window->SetFocus();
  }
}

}  // namespace sonavue::audio
