#include "context/App.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/GuiWaker.h"

namespace sonavue::app {
namespace {

// The user's home: HOME, else the home of the account; empty when neither
// is known (never a shared folder such as /tmp).
std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return home;
  const passwd* account = getpwuid(geteuid());
  if (account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/') {
    return account->pw_dir;
  }
  return {};
}

// An XDG folder: the variable when it holds an absolute path, else the
// fallback under the home folder; empty without a home.
std::filesystem::path XdgFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value != nullptr && *value == '/') return value;
  const std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / fallback;
}

}  // namespace

AppEnvironment AppEnvironment::FromSystem() {
  AppEnvironment environment;
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  environment.executableFolder =
      error ? std::filesystem::current_path(error) : executable.parent_path();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/') environment.runtimeFolder = runtime;
  environment.cacheFolder = XdgFolder("XDG_CACHE_HOME", ".cache");
  environment.tempFolder = std::filesystem::temp_directory_path(error);  // honours TMPDIR
  if (error) environment.tempFolder.clear();
  const std::filesystem::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
  if (!config.empty()) environment.configFolder = config / "sonavue";
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
  // The point log's window belongs to the main window: it closes first.
  pointLog.reset();
  // A device still open is closed while the queue it reports to exists.
  live.device.reset();
  // The window reports nothing while it is torn down.
  window.reset();
  procedure.reset();
  wake_.reset();
  // A folder made for this run alone holds nothing a later run needs.
  if (workingFolderIsUnique && !workingFolder.empty()) {
    std::error_code error;
    std::filesystem::remove_all(workingFolder, error);
  }
}

}  // namespace sonavue::app
