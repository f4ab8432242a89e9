#include "cli/CliContext.h"

#include <cstdio>

#include "context/WorkingFiles.h"
#include "app/MainWindow.h"
#include "audio/Capture.h"
#include "audio/StopAllAudio.h"

namespace sonavue::cli {

CliContext::CliContext(platform::WaveDevices* devices, bool withWindow) : clock_(platform::MakeRealClock()) {
  prompts_.SetBoxObserver([this](const platform::ShownBox& box) {
    std::fprintf(stderr, "%s\n", box.text.c_str());
    refused_ = true;
  });
  prompts_.SetUnexpectedHandler(
      [](const std::string& what) { std::fprintf(stderr, "sonavue-cli: %s\n", what.c_str()); });
  // Commands may run side by side: each has its own working folder.
  app::AppEnvironment environment = app::AppEnvironment::FromSystem();
  environment.workingFolderPerRun = true;
  app_ = std::make_unique<app::App>(app::AppServices{*clock_, prompts_, devices}, environment);
  app::App& app = *app_;
  if (withWindow) {
    app::CreateMainWindow(app);
    hasWorkingFolder_ = !app.frame.fatalStart;
    return;
  }
  // Without a window, only the sound card's notifications come through the queue.
  app_->pump.SetHandler([&app](const platform::Message& message) {
    if (message.kind == platform::MessageKind::WaveInData) {
      audio::HandleWaveInData(app, static_cast<int>(message.param));
    } else if (message.kind == platform::MessageKind::WaveInClose) {
      audio::HandleWaveInClose(app);
    } else if (message.kind == platform::MessageKind::DeviceFailed) {
      audio::HandleDeviceFailure(app, message.id);
    }
  });
  const app::WorkingFolderChoice working =
      app::ChooseWorkingFolder(app::WorkingFolderCandidates(app_->environment));
  app_->workingFolder = working.folder;
  app_->workingFolderIsUnique = working.madeUnique;
  hasWorkingFolder_ = working.accepted;
  if (!working.accepted) {
    prompts_.MessageBox(app::kNoWorkingFolderText, "Sonavue", platform::BoxIcon::Warning,
                        platform::BoxButtons::Ok);
  }
}

}  // namespace sonavue::cli
