#include "output/DataLog.h"

#include <algorithm>

#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/FileChoosers.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "engines/AnalysisPlan.h"
#include "engines/AnalyzeFile.h"
#include "engines/ColumnAnalysis.h"
#include "render/Panels.h"
#include "render/SonogramGrid.h"
#include "render/ViewQueries.h"

namespace sonavue::output {
namespace {

using app::App;

// How often the column loop lets the window handle its events.
constexpr std::uint32_t kPumpIntervalMs = 15;
constexpr std::int64_t kPumpIntervalColumns = 64;

// The logs are refused while an ultrasound analysis shows expanded
// frequencies.
constexpr int kLargestLoggedMultiplier = 1;

// The level run that gives the logged bins of a finished picture: the
// picture's rate, FFT size, resolution and band, its column step, its gain
// and calibration, one channel (the one shown), no averaging (the log takes
// each frame's own spectrum) and a single row (the rows are not logged).
engines::ColumnRun LogRunFor(const App& app, int channel) {
  const app::AnalysisRecord& a = app.analysis;
  engines::ColumnRun run;
  run.levels = engines::LevelRunFor(app.params, a.analysisRate, a.fftSize, 1, 1, a.columnMs, false);
  run.levels.resolutionHz = a.resolutionHz;
  run.levels.lowHz = static_cast<float>(a.lowHz);
  run.levels.highHz = static_cast<float>(a.highHz);
  run.levels.scale = dsp::FrequencyScale::Linear;
  run.levels.averagingMs = 0.0F;
  const std::size_t bytes = a.signal.size() - audio::kWorkingHeaderBytes;
  const int bytesPerSample = std::max(1, a.bitsPerSample / 8);
  run.frames = engines::PlanFrames(a.channels, a.columnMs, a.analysisRate,
                                   static_cast<std::int64_t>(bytes / static_cast<std::size_t>(bytesPerSample)),
                                   a.fftSize);
  run.frames.columns = a.columns;
  run.channels = a.channels;
  run.bytesPerSample = bytesPerSample;
  run.gainFactor = audio::GainFactor(app.params.gainDb);
  run.onlyChannel = channel;
  return run;
}

// Runs the columns into the log. The window is served between columns as
// the engines serve it; STOP (or anything that stops the engines) ends the
// log after the current column.
void LogColumns(App& app, engines::ColumnAnalysis& analysis, SpectrumLogWriter& writer,
                std::span<const std::uint8_t> data, std::int64_t columns) {
  const bool served = app.window != nullptr;
  std::uint32_t lastPump = app.clock.NowMs();
  for (std::int64_t i = 0; i < columns && !app.frame.stopRequest; ++i) {
    analysis.Analyse(data, i);
    writer.AddColumn(i, analysis);
    if (!served) continue;
    const std::uint32_t now = app.clock.NowMs();
    if (now - lastPump >= kPumpIntervalMs || i % kPumpIntervalColumns == kPumpIntervalColumns - 1) {
      lastPump = now;
      app.pump.DispatchOne();
    }
  }
}

LogOutcome WriteSonogramLog(App& app, const std::filesystem::path& path) {
  const app::AnalysisRecord& a = app.analysis;
  if (!a.valid || a.signal.size() <= audio::kWorkingHeaderBytes || a.analysisRate <= 0 || a.fftSize <= 0) {
    return LogOutcome::NothingToLog;
  }
  const render::DisplayView& view = app.render.view;
  SpectrumLogHeader header;
  header.rateHz = a.analysisRate;
  header.fftSize = a.fftSize;
  header.lowHz = a.lowHz;
  header.highHz = a.highHz;
  header.startMs = view.segmentStartMs + view.timeOriginMs;
  header.columnMs = a.columnMs;
  header.calibrated = app.params.splCalibrated;
  SpectrumLogWriter writer;
  if (!writer.Open(path, app.frame.fileName, header)) return LogOutcome::CannotOpen;
  // Both channels side by side have no one spectrum: the header alone.
  if (a.dual) return writer.Commit() ? LogOutcome::Written : LogOutcome::WriteFailed;

  const int channel = a.channels == 2 && app.params.channelsId == app::ID_CHANNELS_RIGHT ? 1 : 0;
  engines::ColumnAnalysis analysis;
  if (!analysis.Start(LogRunFor(app, channel))) {
    writer.Abandon();
    return LogOutcome::NoMemory;
  }
  const std::span<const std::uint8_t> data(a.signal.data() + audio::kWorkingHeaderBytes,
                                           a.signal.size() - audio::kWorkingHeaderBytes);
  const bool served = app.window != nullptr;
  if (served) {
    // The window runs as during an analysis: the menu grayed but for what
    // may run, STOP enabled, nothing else analysing the signal meanwhile.
    app::EnterRunningMenuState(app);
    app.window->EnableButton(app::IDC_STOP, true);
  }
  app.frame.stopRequest = false;
  app.frame.engineLoop = true;
  app.frame.analysisPending = true;
  LogColumns(app, analysis, writer, data, a.columns);
  analysis.Release();
  app.frame.engineLoop = false;
  app.frame.analysisPending = false;
  const bool written = writer.Commit();
  if (served) {
    app::EnterAnalysisIdleMenuState(app);
    // A resize while the log ran shows the picture again in the new size.
    if (app.frame.layoutPending) {
      app.frame.layoutPending = false;
      app::RunLayout(app, false);
      engines::AnalyzeFileRequest(app, engines::kAnalyzeAgain, nullptr);
    }
  }
  return written ? LogOutcome::Written : LogOutcome::WriteFailed;
}

LogOutcome WriteScopeLog(App& app, const std::filesystem::path& path) {
  const render::ScopeState& scope = app.render.scope;
  const app::CurrentParameters& p = app.params;
  const bool right = p.channelsId == app::ID_CHANNELS_RIGHT && !scope.right.empty();
  const std::vector<std::int16_t>& codes = right ? scope.right : scope.left;
  if (!scope.hasData || codes.empty()) return LogOutcome::NothingToLog;
  ScopeLogInput in;
  in.scale = p.frequencyScaleId == app::ID_SCALE_LOG    ? ScopeLogScale::Log
             : p.frequencyScaleId == app::ID_SCALE_OCT3 ? ScopeLogScale::ThirdOctave
                                                        : ScopeLogScale::Linear;
  in.rateHz = p.sampleRateHz;
  in.fftSize = p.fftSize;
  in.lowHz = p.lowBandHz;
  in.highHz = p.highBandHz;
  in.totalLevelDb = app.render.view.frameTotalLevelDb;
  // The frame on show: a static scope's moment, else the last frame of the
  // scan that drew it.
  const render::DisplayView& view = app.render.view;
  const double frameMs = view.scopeTimeMs != 0.0 ? view.scopeTimeMs : static_cast<double>(view.elapsedMs);
  in.eventMs = frameMs + view.timeOriginMs;
  in.calibrated = p.splCalibrated;
  in.codes = codes;
  app::WholeFileWriter file;
  if (!file.Open(path)) return LogOutcome::CannotOpen;
  file.Write(CommonLogLines(app.frame.fileName, in.rateHz));
  file.Write(ScopeLogLines(in));
  return file.Commit() ? LogOutcome::Written : LogOutcome::WriteFailed;
}

void RedrawWithOverlays(App& app) {
  render::RedrawWithOverlays(app, [](App& a) {
    if (a.frame.grid && a.params.IsScrollDisplay()) render::DrawSonogramGrid(a, a.window->Surface(), {});
  });
}

}  // namespace

const char* LogOutcomeText(LogOutcome outcome) {
  switch (outcome) {
    case LogOutcome::Written: return "";
    case LogOutcome::NotAvailable: return "Log Not Available With Expanded Frequency Scale";
    case LogOutcome::NothingToLog: return "No analysis to log";
    case LogOutcome::CannotOpen: return "Cannot Open File";
    case LogOutcome::NoMemory: return "Not enough memory";
    case LogOutcome::WriteFailed: return "Error Writing File";
  }
  return "";
}

bool SpectrumLogWriter::Open(const std::filesystem::path& target, std::string_view signalFile,
                             const SpectrumLogHeader& header) {
  if (!file_.Open(target)) return false;
  header_ = header;
  bins_ = LoggedBinsFor(header.rateHz, header.fftSize, header.lowHz, header.highHz);
  startMs_ = LogStartMs(header.startMs);
  levels_.assign(static_cast<std::size_t>(bins_.Count()), 0);
  line_.clear();
  line_.reserve(RowCapacity(bins_.Count()));
  file_.Write(CommonLogLines(signalFile, header.rateHz));
  file_.Write(SpectrumHeaderLines(header));
  return true;
}

void SpectrumLogWriter::AddColumn(std::int64_t column, const engines::ColumnAnalysis& analysis) {
  if (!file_.IsOpen()) return;
  const int silent = SilentBinLevel(header_.calibrated);
  for (int b = bins_.first; b < bins_.end; ++b) {
    levels_[static_cast<std::size_t>(b - bins_.first)] = analysis.BinLevel(b).value_or(silent);
  }
  FormatColumnRow(line_, ColumnTimeMs(startMs_, column, header_.columnMs), levels_);
  file_.Write(line_);
}

bool SpectrumLogWriter::Commit() { return file_.Commit(); }

void SpectrumLogWriter::Abandon() { file_.Abandon(); }

LogOutcome WriteSpectrumLog(App& app, const std::filesystem::path& path) {
  if (render::Multiplier(app) > kLargestLoggedMultiplier) return LogOutcome::NotAvailable;
  if (app.frame.engineLoop) return LogOutcome::NothingToLog;
  return app.params.IsScopeDisplay() ? WriteScopeLog(app, path) : WriteSonogramLog(app, path);
}

void LogSpectrumCommand(App& app) {
  if (render::Multiplier(app) > kLargestLoggedMultiplier) {
    app::Warn(app, LogOutcomeText(LogOutcome::NotAvailable));
    return;
  }
  RedrawWithOverlays(app);
  const auto chosen = app::ChooseFile(app, app::FileChooser::SaveDataLog);
  if (!chosen) return;
  const LogOutcome outcome = WriteSpectrumLog(app, chosen->front());
  switch (outcome) {
    case LogOutcome::Written:
    case LogOutcome::NothingToLog: break;
    case LogOutcome::WriteFailed: app::Fail(app, LogOutcomeText(outcome)); break;
    default: app::Warn(app, LogOutcomeText(outcome)); break;
  }
}

}  // namespace sonavue::output
