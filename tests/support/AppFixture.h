#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/App.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SimulatedWave.h"
#include "support/TempFolder.h"

namespace sonavue::testing {

// An App's folders (executable, temporary, cache, configuration) made as
// bin, tmp, cache and config under root.
app::AppEnvironment PrivateEnvironment(const std::filesystem::path& root);
// Serves the window's events once: Qt's, then the program's own.
void ServeEvents(app::App* app);
// Serves the window's events until the timer that ends a frame drag has
// run out (it fires on its own after its delay; at most 2 s).
void SettleResize(app::App& app);

// A fresh App on the virtual clock with scripted prompts around the real
// main window on the offscreen platform. The executable, temporary, cache and
// configuration folders are private to each test. A prompt without a scripted
// answer fails the test, and so does a message box the test did not take.
class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the App and runs the start-up with these command-line arguments.
  void Start(const std::vector<std::string>& arguments = {});
  // Starts the App in a 900 × 600 window set for pictures the test makes:
  // the Scroll 1 display, widthS seconds across it, and parameters that
  // come from the test rather than from a dialog (Freeze).
  void StartPictureWindow(float widthS = 2.0F);
  // Closes the running App (as Exit does) and starts a new one on the same folders.
  void Restart(const std::vector<std::string>& arguments = {});
  // Closes the running App (as Exit does) and destroys it.
  void Finish();
  app::App& App() { return *app_; }
  platform::NativeWindow& Window() { return *app_->window; }

  // Input as the user gives it.
  void SendCommand(int id, int reason = 0);
  void SendKey(int qtKey);
  void SendMouse(platform::MouseAction action, platform::Point client);
  // Sizes the window and lets a re-analysis that waits for the size to
  // stay still run (see SettleResize).
  void Resize(int width, int height);
  // Serves the window's events until the timer that ends a frame drag has
  // run out (it fires on its own after its delay; at most 2 s).
  void SettleResize();
  void Close();
  void ProcessEvents();

  // What the user sees.
  bool MenuEnabled(int id) { return Window().IsMenuItemEnabled(id); }
  bool MenuChecked(int id) { return Window().IsMenuItemChecked(id); }
  bool MenuEnabledAt(int popup, int position) { return Window().IsMenuItemAtEnabled(popup, position); }
  bool ButtonEnabled(int id) { return Window().IsButtonEnabled(id); }
  std::string ButtonCaption(int id) { return Window().ButtonCaption(id); }
  std::vector<platform::ShownBox> TakeBoxes() { return prompts_.TakeBoxes(); }
  // The window's backing image after any pending repaint.
  const platform::DisplayBitmap& WindowImage();

  platform::VirtualClock clock_;
  platform::ScriptedPrompts prompts_;
  platform::SimulatedDevices devices_{clock_, &clock_};
  std::unique_ptr<TempFolder> folders_;
  app::AppEnvironment environment_;

 private:
  std::unique_ptr<app::App> app_;
};

}  // namespace sonavue::testing
