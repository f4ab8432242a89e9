// A small driver of the settings file for tools/faults.sh: the program's own
// save and load, run against a folder the script chooses (a full, read-only
// or vanished one), and a save loop for the script to kill at any moment.
//   settings_saver save DIR GAIN   saves the settings with Gain GAIN dB
//   settings_saver loop DIR        saves Gain +7 and −7 in turn until killed;
//                                  prints "saving" once the first save is done
//   settings_saver load DIR        prints "gain=G" from the file, or
//                                  "first-start" when there is none to read

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "context/App.h"
#include "context/Settings.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"

namespace {

std::unique_ptr<sonavue::app::App> MakeApp(sonavue::platform::Clock& clock,
                                           sonavue::platform::ScriptedPrompts& prompts,
                                           const std::filesystem::path& folder) {
  sonavue::app::AppEnvironment environment;
  environment.executableFolder = folder;  // the only place of the settings file
  return std::make_unique<sonavue::app::App>(sonavue::app::AppServices{clock, prompts, nullptr}, environment);
}

int Usage() {
  std::fprintf(stderr, "usage: settings_saver save DIR GAIN | loop DIR | load DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::filesystem::path folder = argv[2];
  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::platform::ScriptedPrompts prompts;
  const auto app = MakeApp(*clock, prompts, folder);
  if (command == "save" && argc == 4) {
    app->params.gainDb = std::atoi(argv[3]);
    sonavue::app::SaveSettings(*app);
    return 0;
  }
  if (command == "loop" && argc == 3) {
    for (long n = 0;; ++n) {
      app->params.gainDb = n % 2 == 0 ? 7 : -7;
      sonavue::app::SaveSettings(*app);
      if (n == 0) {
        std::printf("saving\n");
        std::fflush(stdout);
      }
    }
  }
  if (command == "load" && argc == 3) {
    if (!sonavue::app::LoadSettings(*app)) {
      std::printf("first-start\n");
    } else {
      std::printf("gain=%d\n", static_cast<int>(app->params.gainDb));
    }
    return 0;
  }
  return Usage();
}
