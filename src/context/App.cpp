#include "context/App.h"

#include <cstdlib>

#include "platform/GuiWaker.h"

namespace sonavue::app {
namespace {

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::filesystem::path(home) : std::filesystem::path("/tmp");
}

std::filesystem::path XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value != nullptr && *value == '/') return value;
  return HomeFolder() / fallback;
}

}  // namespace

AppEnvironment AppEnvironment::FromSystem() {
  AppEnvironment environment;
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  environment.executableFolder =
      error ? std::filesystem::current_path(error) : executable.parent_path();
  environment.tempFolder = std::filesystem::temp_directory_path(error);  // honours TMPDIR
  if (error) environment.tempFolder.clear();
  environment.cacheFolder = XdgFolder("XDG_CACHE_HOME", ".cache");
  environment.configFolder = XdgFolder("XDG_CONFIG_HOME", ".config") / "sonavue";
  return environment;
}

App::App(AppServices services, AppEnvironment env)
    : clock(services.clock),
      prompts(services.prompts),
      devices(services.devices),
      printer(services.printer),
      environment(std::move(env)),
      pump(
          platform::ProcessWindowEvents,
          [this] {
            if (wake_) wake_->Wake();
          },
          // From the audio callback: must not allocate.
          [this] {
            if (wake_) wake_->WakeFromAudio();
          }),
      wake_(std::make_unique<platform::GuiWaker>([this] { pump.DispatchAll(); })) {
  display.BindColors(&colors);
}

App::~App() {
  // A device still open is closed while the queue it reports to exists.
  live.device.reset();
  // The window reports nothing while it is torn down.
  window.reset();
  procedure.reset();
  wake_.reset();
}

}  // namespace sonavue::app
