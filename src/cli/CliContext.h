#pragma once

#include <memory>

#include "context/App.h"
#include "platform/ScriptedPrompts.h"

namespace sonavue::cli {

// An App for one command of the companion: first-start parameters, a
// working folder, and scripted prompts that print every message box to
// standard error.
class CliContext {
 public:
  // withWindow: the main window on the current (off-screen) Qt platform,
  // with the whole message routing of the program, for commands that run
  // an engine; a QApplication must exist.
  explicit CliContext(platform::WaveDevices* devices = nullptr, bool withWindow = false);
  app::App& App() { return *app_; }
  platform::ScriptedPrompts& Prompts() { return prompts_; }
  // Whether a message box was shown (the command was refused).
  bool Refused() const { return refused_; }
  // Boxes that do not end the command (notices) are not refusals.
  void AcceptNotice() { refused_ = false; }
  // False when no working folder could be used (the warning was printed);
  // the command should then end with status 1.
  bool HasWorkingFolder() const { return hasWorkingFolder_; }

 private:
  std::unique_ptr<platform::Clock> clock_;
  platform::ScriptedPrompts prompts_;
  std::unique_ptr<app::App> app_;
  bool refused_ = false;
  bool hasWorkingFolder_ = false;
};

}  // namespace sonavue::cli
