#include "cli/WindowContext.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/MainWindow.h"
#include "context/CommandIds.h"

namespace sonavue::cli {
namespace {

char kProgramName[] = "sonavue-cli";

// Qt's notes about the offscreen platform are no concern of the user's:
// only its critical messages reach standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// A fresh folder of this run alone in the temporary folder; empty when none
// can be made.
std::filesystem::path MakePrivateFolder() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::string pattern = (base / "sonavue-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

WindowContext::WindowContext(int width, int height) : clock_(platform::MakeRealClock()) {
  // The window is never shown on a display.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QtMessages);
  argv_[0] = kProgramName;
  qt_ = std::make_unique<QApplication>(argc_, argv_);
  prompts_.SetBoxObserver([](const platform::ShownBox& box) { std::fprintf(stderr, "%s\n", box.text.c_str()); });
  prompts_.SetUnexpectedHandler(
      [](const std::string& what) { std::fprintf(stderr, "sonavue-cli: %s\n", what.c_str()); });

  // Settings are neither read nor written: the executable's folder and the
  // configuration folder are a private folder removed at the end.
  app::AppEnvironment environment = app::AppEnvironment::FromSystem();
  privateFolder_ = MakePrivateFolder();
  environment.executableFolder = privateFolder_;
  environment.configFolder = privateFolder_;
  environment.workingFolderPerRun = true;
  app_ = std::make_unique<app::App>(app::AppServices{*clock_, prompts_}, environment);
  if (privateFolder_.empty() || !app::StartApplication(*app_, {})) return;
  app_->params.variables = app::IDM_VARIABLES_ADJUST;
  const platform::Rect r = app_->window->WindowRect();
  app_->window->SetWindowRect({r.x, r.y, width, height});
  ProcessEvents();
  started_ = true;
}

WindowContext::~WindowContext() {
  if (app_ && app_->window && !app_->window->IsDestroyed()) app_->window->Destroy();
  app_.reset();
  if (qt_) QApplication::processEvents();
  if (!privateFolder_.empty()) {
    std::error_code error;
    std::filesystem::remove_all(privateFolder_, error);
  }
}

void WindowContext::ProcessEvents() {
  QApplication::processEvents();
  app_->pump.DispatchAll();
  QApplication::processEvents();
}

}  // namespace sonavue::cli
