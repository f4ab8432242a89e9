// Cost of the per-frame analysis: the windowed real FFT with its magnitude
// spectrum at each FFT size, and the whole level processing of one frame.
// Each iteration first copies a fresh frame in, since both calls overwrite
// their input; the copy is part of what an engine does per frame anyway.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "dsp/LevelSpectrum.h"
#include "dsp/SpectralFrame.h"
#include "engines/AnalysisPlan.h"
#include "engines/ColumnAnalysis.h"

namespace {

using sonavue::dsp::FrequencyScale;
using sonavue::dsp::LevelRunSettings;
using sonavue::dsp::LevelSpectrum;
using sonavue::dsp::SpectralFrame;

// Two tones and a little deterministic noise in the 16-bit sample scale.
std::vector<float> TestSignal(int n) {
  std::vector<float> x(static_cast<std::size_t>(n));
  std::uint32_t state = 12345;
  for (int i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<double>(state >> 20) - 2048.0;
    x[i] = static_cast<float>(8000.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0) +
                              3000.0 * std::sin(2.0 * std::numbers::pi * 7300.0 * i / 48000.0) +
                              noise);
  }
  return x;
}

void BM_MagnitudeSpectrum(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  SpectralFrame frame;
  if (!frame.Create(n, 48000.0, -1.0f)) {
    state.SkipWithError("window could not be created");
    return;
  }
  const std::vector<float> signal = TestSignal(n);
  std::vector<float> work(signal.size());
  for (auto _ : state) {
    work = signal;
    frame.MagnitudeSpectrum(work);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MagnitudeSpectrum)->Arg(512)->Arg(1024)->Arg(4096)->Arg(16384);

void BM_LevelFrameLinear400Rows(benchmark::State& state) {
  LevelRunSettings settings;
  settings.fftSize = 1024;
  settings.sampleRateHz = 48000.0f;
  settings.resolutionHz = 100.0f;
  settings.lowHz = 0.0f;
  settings.highHz = 6000.0f;
  settings.rows = 400;
  settings.scale = FrequencyScale::Linear;
  settings.columnStepMs = 12.0f;
  settings.averagingMs = 48.0f;
  LevelSpectrum levels;
  if (!levels.Create(settings)) {
    state.SkipWithError("level processor could not be created");
    return;
  }
  const std::vector<float> signal = TestSignal(settings.fftSize);
  std::vector<float> work(signal.size());
  std::vector<std::int16_t> codes(static_cast<std::size_t>(settings.rows));
  for (auto _ : state) {
    work = signal;
    benchmark::DoNotOptimize(levels.ProcessFrame(0, work, codes));
    benchmark::DoNotOptimize(codes.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LevelFrameLinear400Rows);

}  // namespace

// The whole frame loop of a static analysis, as `sonavue-cli levels` runs
// it: 60 s of 48 kHz mono 16-bit samples in memory, N = 1024, 400 linear
// rows up to 24 kHz, one column every 10 ms (5998 columns).
void BM_LevelsWholeFile60s(benchmark::State& state) {
  constexpr int kRate = 48000;
  const std::vector<float> signal = TestSignal(kRate * 60);
  std::vector<std::uint8_t> data(signal.size() * 2);
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const auto v = static_cast<std::int16_t>(signal[i]);
    data[2 * i] = static_cast<std::uint8_t>(v);
    data[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
  }
  const auto plan = sonavue::engines::PlanFrames(1, 10.0f, kRate, static_cast<std::int64_t>(signal.size()), 1024);
  LevelRunSettings settings;
  settings.fftSize = 1024;
  settings.sampleRateHz = kRate;
  settings.resolutionHz = 100.0f;
  settings.lowHz = 0.0f;
  settings.highHz = 24000.0f;
  settings.rows = 400;
  settings.columnStepMs = 10.0f;
  std::vector<float> frame(1024);
  std::vector<std::int16_t> codes(400);
  for (auto _ : state) {
    LevelSpectrum levels;
    if (!levels.Create(settings)) {
      state.SkipWithError("cannot create the level processor");
      return;
    }
    for (std::int64_t i = 0; i < plan.columns; ++i) {
      sonavue::engines::FillFrame(data, 2, 1, 0, sonavue::engines::FrameStart(i, plan.hop, 1), 1.0f, frame);
      benchmark::DoNotOptimize(levels.ProcessFrame(0, frame, codes));
    }
    benchmark::ClobberMemory();
  }
  state.counters["columns"] = static_cast<double>(plan.columns);
  state.counters["columns_per_s"] =
      benchmark::Counter(static_cast<double>(plan.columns), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LevelsWholeFile60s)->Unit(benchmark::kMillisecond);

// The same analysis through the column path in blocks, on every core, as
// Analyze File and `sonavue-cli levels` run it. Real time is what counts.
void BM_ColumnBlocksWholeFile60s(benchmark::State& state) {
  constexpr int kRate = 48000;
  const std::vector<float> signal = TestSignal(kRate * 60);
  std::vector<std::uint8_t> data(signal.size() * 2);
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const auto v = static_cast<std::int16_t>(signal[i]);
    data[2 * i] = static_cast<std::uint8_t>(v);
    data[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
  }
  sonavue::engines::ColumnRun run;
  run.frames = sonavue::engines::PlanFrames(1, 10.0f, kRate, static_cast<std::int64_t>(signal.size()), 1024);
  run.levels.fftSize = 1024;
  run.levels.sampleRateHz = kRate;
  run.levels.resolutionHz = 100.0f;
  run.levels.lowHz = 0.0f;
  run.levels.highHz = 24000.0f;
  run.levels.rows = 400;
  run.levels.columnStepMs = 10.0f;
  for (auto _ : state) {
    sonavue::engines::ColumnAnalysis analysis;
    if (!analysis.Start(run)) {
      state.SkipWithError("cannot start the column analysis");
      return;
    }
    for (std::int64_t first = 0; first < run.frames.columns; first += analysis.BlockColumns()) {
      const auto count = static_cast<int>(std::min<std::int64_t>(analysis.BlockColumns(), run.frames.columns - first));
      analysis.AnalyseBlock(data, first, count);
      benchmark::DoNotOptimize(analysis.Codes(0, count - 1).data());
    }
    benchmark::ClobberMemory();
  }
  state.counters["columns"] = static_cast<double>(run.frames.columns);
  state.counters["columns_per_s"] =
      benchmark::Counter(static_cast<double>(run.frames.columns), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ColumnBlocksWholeFile60s)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
