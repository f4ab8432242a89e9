#include <QApplication>

#include "context/App.h"
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/PortAudioWave.h"
#include "platform/Printer.h"
#include "platform/QtPrompts.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Sonavue");

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::app::App* running = nullptr;
  const auto prompts = sonavue::platform::MakeQtPrompts(
      [&running] { return running != nullptr ? running->window.get() : nullptr; });
  const auto devices = sonavue::platform::MakePortAudioDevices();
  const auto printer = sonavue::platform::MakeQtPrinter(
      [&running] { return running != nullptr ? running->window.get() : nullptr; });
  sonavue::app::App app({*clock, *prompts, devices.get(), printer.get()},
                        sonavue::app::AppEnvironment::FromSystem());
  running = &app;
  if (!sonavue::app::StartApplication(app, arguments)) return app.exitCode;
  return sonavue::app::RunMessageLoop(app);
}
