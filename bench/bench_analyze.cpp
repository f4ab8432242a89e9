// Analyze File end to end on the offscreen platform: from the command to the
// finished image.
//  - BM_AnalyzeFile60s: 60 s of 48 kHz mono audio in a plot 1000 pixels wide
//    (10 s across it, so 10 ms per column) with N = 1024: 5998 columns.
//  - BM_AnalyzeFileStereo10min: the 10-minute 48 kHz stereo benchmark signal
//    (shared/perf/make_signals.sh; $SONV_BENCH_DIR, default /tmp/sonv_bench)
//    in a plot 1200 pixels wide with a new window's parameters: "Dual"
//    view, "Scroll 2", 10 s across the display, automatic resolution. The
//    target is under 1.5 s of real time; the CPU column is the whole
//    process's processor time (both cores).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "context/App.h"
#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"

namespace {

namespace fs = std::filesystem;

void WriteTestFile(const fs::path& path) {
  constexpr int kRate = 48000;
  constexpr int kFrames = kRate * 60;
  std::vector<std::int16_t> samples(kFrames);
  std::uint32_t state = 7;
  for (int i = 0; i < kFrames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double chirp = std::sin(2.0 * M_PI * (1000.0 + 3000.0 * std::fmod(i / 48000.0, 1.0)) * i / kRate);
    samples[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(8000.0 * chirp + static_cast<double>(state >> 22) - 512.0);
  }
  const std::uint32_t dataBytes = kFrames * 2;
  std::ofstream out(path, std::ios::binary);
  const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(kRate);
  u32(kRate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(dataBytes);
  out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

// Resizes the window until its plot (display area less the left margin) is
// exactly `plot` pixels wide.
bool SetPlotWidth(sonavue::app::App& app, int plot) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int now = app.layout.displayWidth - app.layout.leftMargin;
    if (now == plot) return true;
    const auto r = app.window->WindowRect();
    app.window->SetWindowRect({r.x, r.y, r.w + (plot - now), r.h});
    QApplication::processEvents();
  }
  return app.layout.displayWidth - app.layout.leftMargin == plot;
}

void BM_AnalyzeFile60s(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "sonavue-bench";
  fs::create_directories(folder / "bin");
  const fs::path file = folder / "sixty.wav";
  if (!fs::exists(file)) WriteTestFile(file);

  // The real clock, so that the window updates come as often as they do
  // for a user.
  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::platform::ScriptedPrompts prompts;
  sonavue::app::AppEnvironment environment;
  environment.executableFolder = folder / "bin";
  environment.tempFolder = folder;
  environment.cacheFolder = folder;
  environment.configFolder = folder / "config";
  sonavue::app::App app({*clock, prompts}, environment);
  sonavue::app::StartApplication(app, {});
  QApplication::processEvents();
  if (!SetPlotWidth(app, 1000)) {
    state.SkipWithError("cannot make the plot 1000 pixels wide");
    return;
  }
  app.params.displayWidthS = 10.0F;
  app.params.fftSize = 1024;
  app.params.resolutionHz = 100.0F;
  app.params.displayId = sonavue::app::ID_DISPLAY_SCROLL2;
  app.frame.fileName = file.string();

  for (auto _ : state) {
    sonavue::app::SendCommand(app, sonavue::app::IDM_ANALYZE_FILE, sonavue::app::kReasonCommandLine);
  }
  if (app.analysis.columns != 5998) {
    std::fprintf(stderr, "columns %lld planned %lld step %f fft %d\n", static_cast<long long>(app.analysis.columns), static_cast<long long>(app.analysis.plannedColumns), app.analysis.columnMs, app.analysis.fftSize);
    state.SkipWithError("unexpected column count");
  }
  state.counters["columns"] = static_cast<double>(app.analysis.columns);
  state.counters["columns_per_s"] = benchmark::Counter(static_cast<double>(app.analysis.columns),
                                                       benchmark::Counter::kIsIterationInvariantRate);
  app.window->Destroy();
}
BENCHMARK(BM_AnalyzeFile60s)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AnalyzeFileStereo10min(benchmark::State& state) {
  const char* dir = std::getenv("SONV_BENCH_DIR");
  const fs::path file = fs::path(dir != nullptr ? dir : "/tmp/sonv_bench") / "b_48k_stereo_600s.wav";
  if (!fs::exists(file)) {
    state.SkipWithError("no b_48k_stereo_600s.wav: run shared/perf/make_signals.sh");
    return;
  }
  const fs::path folder = fs::temp_directory_path() / "sonavue-bench";
  fs::create_directories(folder / "bin");
  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::platform::ScriptedPrompts prompts;
  sonavue::app::AppEnvironment environment;
  environment.executableFolder = folder / "bin";
  environment.tempFolder = folder;
  environment.cacheFolder = folder;
  environment.configFolder = folder / "config";
  sonavue::app::App app({*clock, prompts}, environment);
  sonavue::app::StartApplication(app, {});
  QApplication::processEvents();
  if (!SetPlotWidth(app, 1200)) {
    state.SkipWithError("cannot make the plot 1200 pixels wide");
    return;
  }
  app.params.variables = sonavue::app::IDM_VARIABLES_FREEZE;  // no dialog: a new window's parameters
  for (auto _ : state) {
    prompts.QueueFile({file.string()});
    sonavue::app::SendCommand(app, sonavue::app::IDM_ANALYZE_FILE, sonavue::app::kReasonUser);
  }
  const auto& a = app.analysis;
  if (!a.valid || a.columns != a.plannedColumns) state.SkipWithError("the analysis did not finish");
  state.counters["columns"] = static_cast<double>(a.columns);
  state.counters["channels"] = a.channels;
  state.counters["step_ms"] = a.columnMs;
  state.counters["fft"] = a.fftSize;
  state.counters["rows"] = a.rows;
  state.counters["image_MB"] = static_cast<double>(app.display.Stride()) * app.display.Height() / 1e6;
  app.window->Destroy();
}
BENCHMARK(BM_AnalyzeFileStereo10min)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
