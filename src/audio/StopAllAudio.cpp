#include "audio/StopAllAudio.h"

#include <string>
#include <string_view>

#include "audio/Recording.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "platform/WaveIo.h"

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

namespace sonavue::audio {
namespace {

// The first line of a failure's message; the device and the reason follow.
constexpr std::string_view kInputFailed = "Audio Input Device Failed";
constexpr std::string_view kOutputFailed = "Audio Output Device Failed";

}  // namespace

void HandleDeviceFailure(app::App& app, int side) {
  if (side == platform::kDeviceInput) {
    app::LiveInput& live = app.live;
    if (!live.device || !app.frame.inputOpen || live.failed) return;
    live.failed = true;
    if (app.deviceFailure.empty()) app.deviceFailure = std::string(kInputFailed) + "\n" + live.device->Failure();
    // An open stretch ends with the last frame that arrived; the buffers
    // the reset hands back bring all of it.
    EndSaveAtStreamByte(app, live.device->DeliveredFrames() * live.format.BytesPerFrame());
    if (!app.frame.stopRequest) {
      StopAllAudio(app, false);
    } else {
      // A stop already under way: the buffers the device still holds come
      // back (and close it) as after STOP, since no completion will.
      live.device->Reset();
    }
  } else {
    if (!app.output.device) return;
    if (app.deviceFailure.empty()) {
      app.deviceFailure = std::string(kOutputFailed) + "\n" + app.output.device->Failure();
    }
  }
  if (!app.frame.engineLoop) ReportDeviceFailure(app);
}

bool ReportDeviceFailure(app::App& app) {
  if (app.deviceFailure.empty()) return false;
  std::string text = std::move(app.deviceFailure);
  app.deviceFailure.clear();
  // The recording that the input's failure ended keeps what arrived before it.
  if (text.starts_with(kInputFailed) && app.recording.finished && app.recording.finished->dataBytes > 0) {
    text += "\nThe recording holds everything received before the failure:\n" +
            app.recording.finished->path.string();
  }
  app::Fail(app, text);
  return true;
}

}  // namespace sonavue::audio
