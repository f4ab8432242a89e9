#include "cli/LevelsCommand.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/CliContext.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "context/CurrentParameters.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"
#include "output/DataLog.h"

namespace sonavue::cli {

std::optional<PreparedAnalysis> PrepareLevelsAnalysis(app::App& app, const LevelsOptions& o) {
  auto wave = audio::OpenWaveFile(app, o.file, audio::WaveCommand::AnalyzeFile, true);
  if (!wave) return std::nullopt;
  const audio::WaveFileInfo& info = wave->info;
  const float fs = static_cast<float>(wave->analysisRate);
  const int channels = info.channels;
  const std::uint32_t available = audio::AvailableDataBytes(*wave);

  // The options become the current parameters of a static analysis, which
  // then runs exactly as Analyze File's does. Times run on the analysis
  // rate, so an ultrasound file's whole length is its expanded length.
  app::CurrentParameters& p = app.params;
  const double bytesPerSecond = static_cast<double>(fs) * channels * info.bytesPerSample;
  p.beginS = o.beginS.value_or(0.0F);
  p.endS = o.endS.value_or(static_cast<float>(available / bytesPerSecond));
  p.frequencyScaleId = o.scale == dsp::FrequencyScale::Linear ? app::ID_SCALE_LINEAR
                       : o.scale == dsp::FrequencyScale::Log  ? app::ID_SCALE_LOG
                                                              : app::ID_SCALE_OCT3;
  p.lowBandHz = static_cast<std::int32_t>(o.lowHz.value_or(static_cast<float>(engines::NewFileLowBandHz(p.frequencyScaleId))));
  p.highBandHz = static_cast<std::int32_t>(o.highHz.value_or(fs / 2.0F));
  p.averagingId = o.averagingMs > 0.0F ? app::ID_AVERAGING_MSEC : app::ID_AVERAGING_OFF;
  p.averagingScrollMs = static_cast<std::int32_t>(o.averagingMs);
  p.gainDb = o.gainDb;
  if (p.highBandHz - p.lowBandHz < 10) {
    std::fprintf(stderr, "Improper Frequency Limits\n");
    return std::nullopt;
  }
  p.resolutionHz = o.resolutionHz.value_or(
      dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz), fs, o.stepMs,
                               dsp::DisplayKind::Sonogram, o.rows,
                               engines::AnalysisScale(p.frequencyScaleId, false)));
  p.fftSize = o.fftSize.value_or(dsp::FftSizeForResolution(fs, p.resolutionHz));
  p.timePerColumnMs = o.stepMs;

  engines::StaticAnalysisInput input;
  input.rateHz = wave->analysisRate;
  input.channels = channels;
  input.bitsPerSample = info.bitsPerSample;
  input.availableBytes = available;
  input.columnStepMs = o.stepMs;
  input.sonogramHeight = o.rows;
  input.rows = o.rows;
  input.onlyChannel = o.channel < channels ? o.channel : 0;
  PreparedAnalysis prepared;
  prepared.plan = engines::PlanStaticAnalysis(p, input);
  if (!prepared.plan.Ok()) {
    std::fprintf(stderr, "%s\n", engines::RefusalText(prepared.plan.refusal));
    return std::nullopt;
  }
  p.resolutionHz = prepared.plan.resolutionHz;
  p.fftSize = prepared.plan.fftSize;
  p.endS = prepared.plan.endS;
  prepared.data.resize(prepared.plan.segment.endByte - prepared.plan.segment.beginByte);
  if (!audio::ReadDataBytes(*wave, prepared.plan.segment.beginByte, prepared.data)) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return std::nullopt;
  }
  prepared.wave = std::move(*wave);
  return prepared;
}

int RunLevels(const std::vector<std::string>& args) {
  LevelsOptions o;
  if (!ParseLevelsOptions(args, "levels", o)) return 2;

  CliContext context;
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  std::optional<PreparedAnalysis> prepared = PrepareLevelsAnalysis(app, o);
  if (!prepared) return 1;
  const engines::StaticAnalysis& plan = prepared->plan;
  const std::vector<std::uint8_t>& data = prepared->data;
  const app::CurrentParameters& p = app.params;
  engines::ColumnAnalysis analysis;
  if (!analysis.Start(plan.columns)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }

  // The Log Spectrum of the same columns, as the window writes it.
  output::SpectrumLogWriter log;
  if (!o.logSpectrum.empty()) {
    output::SpectrumLogHeader header;
    header.rateHz = prepared->wave.analysisRate;
    header.fftSize = plan.fftSize;
    header.lowHz = p.lowBandHz;
    header.highHz = p.highBandHz;
    header.startMs = static_cast<double>(p.beginS) * 1000.0;
    header.columnMs = o.stepMs;
    header.calibrated = p.splCalibrated;
    if (!log.Open(o.logSpectrum, o.file, header)) {
      std::fprintf(stderr, "Cannot Open File\n");
      return 1;
    }
  }

  const double beginMs = std::round(static_cast<double>(p.beginS) * 1000.0);
  std::string line = "column,time_ms,total_db";
  for (int r = 0; r < o.rows; ++r) line += ",r" + std::to_string(r);
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  char number[64];
  for (std::int64_t i = 0; i < plan.columns.frames.columns; ++i) {
    analysis.Analyse(data, i);
    line.clear();
    std::snprintf(number, sizeof number, "%lld,%.3f,", static_cast<long long>(i),
                  beginMs + static_cast<double>(i) * o.stepMs);
    line += number;
    if (const auto total = analysis.TotalDb(0)) {
      std::snprintf(number, sizeof number, "%.3f", static_cast<double>(*total));
      line += number;
    }
    for (std::int16_t code : analysis.Codes(0)) {
      line += ',';
      line += std::to_string(code);
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
    log.AddColumn(i, analysis);
  }
  if (!o.logSpectrum.empty() && !log.Commit()) {
    std::fprintf(stderr, "Error Writing File\n");
    return 1;
  }
  return 0;
}

}  // namespace sonavue::cli
