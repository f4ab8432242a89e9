#include "cli/PlayCommand.h"

#include <QApplication>
#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/CommandLine.h"
#include "app/CommandTable.h"
#include "audio/WaveOpen.h"
#include "cli/CliContext.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "platform/PortAudioWave.h"

namespace sonavue::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnPlayStopSignal(int) { stopSignal = 1; }

void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

int RunPlay(const std::vector<std::string>& args) {
  const bool window = args.size() == 2 && args[1] == "--window";
  if (args.empty() || args.size() > 2 || (args.size() == 2 && !window) || args[0].empty() || args[0][0] == '-') {
    std::fprintf(stderr, "usage: %s", kPlayUsage);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const std::filesystem::path file = std::filesystem::absolute(args[0]);
  const auto devices = platform::MakePortAudioDevices();
  qInstallMessageHandler(DropQtMessages);
  int argc = 1;
  char name[] = "sonavue-cli";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  CliContext context(devices.get(), true);
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();

  // The band is the file's whole band, so that the analysis has nothing to
  // limit (and no notice to show).
  const auto opened = audio::OpenWaveFile(app, file, audio::WaveCommand::AnalyzeFile, true);
  if (!opened) return 1;
  const std::string high = std::to_string(opened->analysisRate / 2);
  app::InterpretCommandLine(app, {"1", "0", high, "10", file.string()});
  if (context.Refused() || !app.analysis.valid) return 1;

  struct sigaction action {};
  action.sa_handler = OnPlayStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  bool stopPosted = false;
  app.pump.AddSource(&context, [&] {
    if (stopSignal != 0 && !stopPosted && app.output.user != app::OutputUser::None) {
      stopPosted = true;
      app::PostCommand(app, app::IDC_STOP);
    }
  });

  const std::uint32_t started = app.clock.NowMs();
  // The player's follow loop runs inside the command until the sound ends.
  app::SendCommand(app, window ? app::IDC_PLAY_WINDOW : app::IDC_PLAY);
  for (int i = 0; i < 200 && app.output.user != app::OutputUser::None; ++i) {
    app.pump.DispatchAll();
    app.clock.SleepMs(10);
  }
  app.pump.RemoveSource(&context);
  if (context.Refused()) return 1;
  std::printf("played=%s seconds=%.3f\n", file.string().c_str(),
              static_cast<double>(app.clock.NowMs() - started) / 1000.0);
  return 0;
}

}  // namespace sonavue::cli
