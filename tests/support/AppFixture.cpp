#include "support/AppFixture.h"

#include <QApplication>
#include <chrono>
#include <thread>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "app/MainWindow.h"

namespace sonavue::testing {

app::AppEnvironment PrivateEnvironment(const std::filesystem::path& root) {
  for (const char* name : {"bin", "tmp", "cache", "config"}) std::filesystem::create_directories(root / name);
  app::AppEnvironment environment;
  environment.executableFolder = root / "bin";
  environment.cacheFolder = root / "cache";
  environment.tempFolder = root / "tmp";
  environment.configFolder = root / "config";
  return environment;
}

void ServeEvents(app::App* app) {
  QApplication::processEvents();
  if (app != nullptr) app->pump.DispatchAll();
}

void SettleResize(app::App& app) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!app.window->IsDestroyed() && app.window->IsTimerActive(app::kResizeSettleTimerId) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ServeEvents(&app);
  }
}

void AppFixture::SetUp() {
  folders_ = std::make_unique<TempFolder>();
  environment_ = PrivateEnvironment(folders_->Path());
  prompts_.SetUnexpectedHandler([](const std::string& what) { ADD_FAILURE() << what; });
}

void AppFixture::TearDown() {
  for (const auto& box : prompts_.Boxes()) {
    ADD_FAILURE() << "unexpected message box \"" << box.text << "\" (" << box.caption << ")";
  }
  EXPECT_EQ(prompts_.UnusedAnswers(), 0U) << "scripted answers left unused";
  app_.reset();
  QApplication::processEvents();
  folders_.reset();
}

void AppFixture::Start(const std::vector<std::string>& arguments) {
  app_ = std::make_unique<app::App>(app::AppServices{clock_, prompts_, &devices_}, environment_);
  app::StartApplication(*app_, arguments);
  ProcessEvents();
}

void AppFixture::StartPictureWindow(float widthS) {
  Start();
  Resize(900, 600);
  app_->params.displayWidthS = widthS;
  app_->params.displayId = app::ID_DISPLAY_SCROLL1;
  app_->params.variables = app::IDM_VARIABLES_FREEZE;
}

void AppFixture::Restart(const std::vector<std::string>& arguments) {
  Finish();
  Start(arguments);
}

void AppFixture::Finish() {
  if (app_ && !app_->window->IsDestroyed()) Close();
  app_.reset();
  QApplication::processEvents();
}

void AppFixture::SendCommand(int id, int reason) {
  app::SendCommand(*app_, id, reason);
  ProcessEvents();
}

void AppFixture::SendKey(int qtKey) {
  Window().SendKey(qtKey);
  ProcessEvents();
}

void AppFixture::SendMouse(platform::MouseAction action, platform::Point client) {
  Window().SendMouse(action, client);
  ProcessEvents();
}

void AppFixture::Resize(int width, int height) {
  const platform::Rect r = Window().WindowRect();
  Window().SetWindowRect({r.x, r.y, width, height});
  ProcessEvents();
  SettleResize();
}

void AppFixture::SettleResize() {
  if (app_) testing::SettleResize(*app_);
}

void AppFixture::Close() {
  Window().RequestClose();
  ProcessEvents();
}

void AppFixture::ProcessEvents() { ServeEvents(app_.get()); }

const platform::DisplayBitmap& AppFixture::WindowImage() {
  Window().UpdateNow();
  return Window().Surface();
}

}  // namespace sonavue::testing
