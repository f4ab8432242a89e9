#pragma once

#include <filesystem>
#include <memory>

#include "context/App.h"
#include "platform/ScriptedPrompts.h"

class QApplication;

namespace sonavue::cli {

// The main window of the program on the offscreen Qt platform, for the
// subcommands that run the window's own commands: first-start parameters
// (no settings file is read or written), a working folder, scripted prompts
// that print every message box to standard error, and the window sized to
// width × height pixels.
class WindowContext {
 public:
  WindowContext(int width, int height);
  ~WindowContext();
  WindowContext(const WindowContext&) = delete;
  WindowContext& operator=(const WindowContext&) = delete;

  // False when the program could not start (no working folder; the message
  // was printed).
  bool Started() const { return started_; }
  app::App& App() { return *app_; }
  platform::ScriptedPrompts& Prompts() { return prompts_; }
  // Lets the window handle what is waiting (layout, repaints, posted commands).
  void ProcessEvents();

 private:
  int argc_ = 1;
  char* argv_[2] = {nullptr, nullptr};
  std::unique_ptr<QApplication> qt_;
  std::unique_ptr<platform::Clock> clock_;
  platform::ScriptedPrompts prompts_;
  std::filesystem::path privateFolder_;  // stands for the executable's folder
  std::unique_ptr<app::App> app_;
  bool started_ = false;
};

}  // namespace sonavue::cli
