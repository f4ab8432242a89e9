#include "cli/LevelsCommand.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"
#include "cli/CliContext.h"
#include "context/CurrentParameters.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"

namespace sonavue::cli {
namespace {

struct LevelsOptions {
  std::string file;
  int rows = 400;
  AnalysisOptions analysis;
};

constexpr float kDefaultStepMs = 10.0F;

// Reads the options; prints what is wrong and returns false on bad input.
bool ParseOptions(const std::vector<std::string>& args, LevelsOptions& o) {
  Arguments in("levels", args);
  if (in.AtEnd()) return in.Complain("a WAV file is needed");
  o.file = in.Take();
  while (!in.AtEnd()) {
    const std::string name = in.Take();
    switch (ReadAnalysisOption(in, name, o.analysis)) {
      case OptionRead::Taken: continue;
      case OptionRead::Bad: return false;
      case OptionRead::NotMine: break;
    }
    if (name != "--rows") return in.UnknownOption(name);
    const auto text = in.Value(name);
    if (!text) return false;
    double v = 0.0;
    if (!ParseNumber(*text, v) || v < 1 || v > 100000) return in.BadValue(name, *text);
    o.rows = static_cast<int>(v);
  }
  return true;
}

}  // namespace

int RunLevels(const std::vector<std::string>& args) {
  LevelsOptions o;
  if (!ParseOptions(args, o)) return 2;

  CliContext context;
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  const auto wave = audio::OpenWaveFile(app, o.file, audio::WaveCommand::AnalyzeFile, true);
  if (!wave) return 1;
  const audio::WaveFileInfo& info = wave->info;
  const float fs = static_cast<float>(wave->analysisRate);
  const int channels = info.channels;
  const std::uint32_t available = audio::AvailableDataBytes(*wave);

  // The options become the current parameters of a static analysis, which
  // then runs exactly as Analyze File's does. Times run on the analysis
  // rate, so an ultrasound file's whole length is its expanded length.
  app::CurrentParameters& p = app.params;
  const double bytesPerSecond = static_cast<double>(fs) * channels * info.bytesPerSample;
  const float stepMs = o.analysis.stepMs.value_or(kDefaultStepMs);
  if (!ApplyAnalysisOptions(o.analysis, p, fs, static_cast<float>(available / bytesPerSecond), o.rows, stepMs)) {
    return 1;
  }

  engines::StaticAnalysisInput input;
  input.rateHz = wave->analysisRate;
  input.channels = channels;
  input.bitsPerSample = info.bitsPerSample;
  input.availableBytes = available;
  input.columnStepMs = stepMs;
  input.sonogramHeight = o.rows;
  input.rows = o.rows;
  const int channel = o.analysis.channel.value_or(0);
  input.onlyChannel = channel < channels ? channel : 0;
  const engines::StaticAnalysis plan = engines::PlanStaticAnalysis(p, input);
  if (!plan.Ok()) {
    std::fprintf(stderr, "%s\n", engines::RefusalText(plan.refusal));
    return 1;
  }
  std::vector<std::uint8_t> data(plan.segment.endByte - plan.segment.beginByte);
  if (!audio::ReadDataBytes(*wave, plan.segment.beginByte, data)) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }
  engines::ColumnAnalysis analysis;
  if (!analysis.Start(plan.columns)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
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
                  beginMs + static_cast<double>(i) * stepMs);
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
  }
  return 0;
}

}  // namespace sonavue::cli
