#include "cli/CliContext.h"

#include <cstdio>

#include "app/WorkingFiles.h"

namespace sonavue::cli {

CliContext::CliContext() : clock_(platform::MakeRealClock()) {
  prompts_.SetBoxObserver([this](const platform::ShownBox& box) {
    std::fprintf(stderr, "%s\n", box.text.c_str());
    refused_ = true;
  });
  prompts_.SetUnexpectedHandler(
      [](const std::string& what) { std::fprintf(stderr, "sonavue-cli: %s\n", what.c_str()); });
  app_ = std::make_unique<app::App>(app::AppServices{*clock_, prompts_},
                                    app::AppEnvironment::FromSystem());
  const auto& env = app_->environment;
  app_->workingFolder =
      app::ChooseWorkingFolder({env.tempFolder, env.cacheFolder, env.lastResortFolder}).folder;
}

}  // namespace sonavue::cli
