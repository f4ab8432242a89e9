// A live scroll scan on the real clock with a simulated input: 10 ms per
// column and N = 16384 for 30 s. Reports the share of columns repeated
// without analysis (the display falling behind) and the processor time used
// per second of scan.

#include <QApplication>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/GuiWaker.h"

#include "context/App.h"
#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SimulatedWave.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "sonavue-bench-scan";
  fs::create_directories(folder / "bin");

  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::platform::ScriptedPrompts prompts;
  sonavue::platform::SimulatedDevices devices(*clock, nullptr);
  devices.SetSource({sonavue::platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  sonavue::app::AppEnvironment environment;
  environment.executableFolder = folder / "bin";
  environment.tempFolder = folder;
  environment.cacheFolder = folder;
  environment.configFolder = folder / "config";
  sonavue::app::App app({*clock, prompts, &devices}, environment);
  sonavue::app::StartApplication(app, {});
  QApplication::processEvents();

  auto& p = app.params;
  p.variables = sonavue::app::IDM_VARIABLES_FREEZE;  // no dialog: the parameters below
  p.displayId = sonavue::app::ID_DISPLAY_SCROLL1;
  p.sampleRateHz = 48000;
  p.fftSize = 16384;
  p.resolutionHz = 3.0F;
  p.lowBandHz = 0;
  p.highBandHz = 8000;
  p.displayWidthS = static_cast<float>(app.layout.displayWidth - app.layout.leftMargin) * 0.01F;
  sonavue::app::StoreScanParameters(p);  // a scan starts from its own parameter set

  // STOP after the given time, pressed through the queue as the button is.
  sonavue::platform::GuiWaker stopper([&app] { sonavue::app::SendCommand(app, sonavue::app::IDC_STOP); });
  std::thread timer([&stopper, seconds] {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stopper.Wake();
  });
  const double cpuBefore = CpuSeconds();
  const std::uint32_t wallBefore = clock->NowMs();
  sonavue::app::SendCommand(app, sonavue::app::IDM_SCAN_INPUT);
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall = (clock->NowMs() - wallBefore) / 1000.0;
  timer.join();

  const auto& s = app.scanStats;
  const double repeated = s.frames > 0 ? 100.0 * static_cast<double>(s.repeated) / static_cast<double>(s.frames) : 0.0;
  std::printf("scan: %.1f s, %lld columns at %.2f ms, %lld analysed, %lld repeated (%.2f %%), "
              "processor %.1f %% of one core\n",
              wall, static_cast<long long>(s.frames), p.timePerColumnMs, static_cast<long long>(s.analysed),
              static_cast<long long>(s.repeated), repeated, 100.0 * cpu / wall);
  app.window->Destroy();
  return 0;
}
