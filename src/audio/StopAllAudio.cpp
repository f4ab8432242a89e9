#include "audio/StopAllAudio.h"

#include "audio/Recording.h"
#include "context/App.h"
#include "context/CommandIds.h"

namespace sonavue::audio {

void StopAllAudio(app::App& app, bool keepRestart) {
  app.frame.stopRequest = true;
  // A recording keeps what the device recorded up to this moment.
  EndSaveAtStop(app);
  if (!keepRestart) app.frame.restartRequest = false;
  if (app.live.device && app.live.device->IsOpen()) {
    app.live.device->Reset();
    app.live.device->Stop();
  }
  // A file scan or a playback of the picture: the done notification that
  // the reset causes releases the device and its buffers.
  const app::OutputUser user = app.output.user;
  if (app.output.device && (user == app::OutputUser::Play || user == app::OutputUser::PlayWindow ||
                            user == app::OutputUser::ScanFile)) {
    app.output.playing = false;
    app.output.device->Reset();
  }
  // The notifications the resets cause are handled before returning.
  app.pump.DispatchAll();
  if (app.window) {
    app.window->EnableButton(app::IDC_STOP, false);
    app.window->SetFocus();
  }
}

}  // namespace sonavue::audio
