#include "cli/LevelsCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/CliContext.h"
#include "cli/LevelsOutput.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "context/CurrentParameters.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"

namespace sonavue::cli {
namespace {

struct LevelsOptions {
  std::string file;
  int rows = 400;
  std::optional<float> lowHz;
  std::optional<float> highHz;
  dsp::FrequencyScale scale = dsp::FrequencyScale::Linear;
  float stepMs = 10.0F;
  float averagingMs = 0.0F;
  int gainDb = 0;
  std::optional<float> beginS;
  std::optional<float> endS;
  int channel = 0;
  std::optional<float> resolutionHz;
  std::optional<int> fftSize;
  LevelsFormat format = LevelsFormat::Csv;
  std::string output;  // empty: standard output
};

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0';
}

// Reads the options; prints what is wrong and returns false on bad input.
bool ParseOptions(const std::vector<std::string>& args, LevelsOptions& o) {
  if (args.empty()) {
    std::fprintf(stderr, "sonavue-cli levels: a WAV file is needed\n");
    return false;
  }
  o.file = args[0];
  for (std::size_t i = 1; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "sonavue-cli levels: %s needs a value\n", name.c_str());
      return false;
    }
    const std::string& text = args[i + 1];
    double v = 0.0;
    const bool numeric = ParseNumber(text, v);
    const auto bad = [&] {
      std::fprintf(stderr, "sonavue-cli levels: bad value '%s' for %s\n", text.c_str(), name.c_str());
      return false;
    };
    if (name == "--format") {
      if (text == "csv") o.format = LevelsFormat::Csv;
      else if (text == "npy") o.format = LevelsFormat::Npy;
      else return bad();
    } else if (name == "--output") {
      if (text.empty()) return bad();
      o.output = text;
    } else if (name == "--scale") {
      if (text == "linear") o.scale = dsp::FrequencyScale::Linear;
      else if (text == "log") o.scale = dsp::FrequencyScale::Log;
      else if (text == "oct3") o.scale = dsp::FrequencyScale::Oct3;
      else return bad();
    } else if (name == "--channel") {
      if (text == "left") o.channel = 0;
      else if (text == "right") o.channel = 1;
      else return bad();
    } else if (!numeric) {
      if (name != "--rows" && name != "--low" && name != "--high" && name != "--step" &&
          name != "--averaging" && name != "--gain" && name != "--begin" && name != "--end" &&
          name != "--resolution" && name != "--fft") {
        std::fprintf(stderr, "sonavue-cli levels: unknown option %s\n", name.c_str());
        return false;
      }
      return bad();
    } else if (name == "--rows") {
      if (v < 1 || v > 100000) return bad();
      o.rows = static_cast<int>(v);
    } else if (name == "--low") {
      if (v < 0) return bad();
      o.lowHz = static_cast<float>(v);
    } else if (name == "--high") {
      if (v <= 0) return bad();
      o.highHz = static_cast<float>(v);
    } else if (name == "--step") {
      if (!(v > 0)) return bad();
      o.stepMs = static_cast<float>(v);
    } else if (name == "--averaging") {
      if (v < 0) return bad();
      o.averagingMs = static_cast<float>(v);
    } else if (name == "--gain") {
      if (v < -30 || v > 30) return bad();
      o.gainDb = static_cast<int>(v);
    } else if (name == "--begin") {
      if (v < 0) return bad();
      o.beginS = static_cast<float>(v);
    } else if (name == "--end") {
      if (v < 0) return bad();
      o.endS = static_cast<float>(v);
    } else if (name == "--resolution") {
      if (!(v > 0)) return bad();
      o.resolutionHz = static_cast<float>(v);
    } else if (name == "--fft") {
      const int n = static_cast<int>(v);
      if (n < 512 || n > 16384 || (n & (n - 1)) != 0) return bad();
      o.fftSize = n;
    } else {
      std::fprintf(stderr, "sonavue-cli levels: unknown option %s\n", name.c_str());
      return false;
    }
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
    return 1;
  }
  p.resolutionHz = o.resolutionHz.value_or(
      dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz), fs, o.stepMs,
                               dsp::DisplayKind::Sonogram, o.rows,
                               engines::AnalysisScale(p.frequencyScaleId, false)));
  p.fftSize = o.fftSize.value_or(dsp::FftSizeForResolution(fs, p.resolutionHz));

  engines::StaticAnalysisInput input;
  input.rateHz = wave->analysisRate;
  input.channels = channels;
  input.bitsPerSample = info.bitsPerSample;
  input.availableBytes = available;
  input.columnStepMs = o.stepMs;
  input.sonogramHeight = o.rows;
  input.rows = o.rows;
  input.onlyChannel = o.channel < channels ? o.channel : 0;
  const engines::StaticAnalysis plan = engines::PlanStaticAnalysis(p, input);
  if (!plan.Ok()) {
    std::fprintf(stderr, "%s\n", engines::RefusalText(plan.refusal));
    return 1;
  }
  engines::ColumnAnalysis analysis;
  if (!analysis.Start(plan.columns)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }
  audio::WaveDataReader reader;
  if (!reader.Open(*wave)) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }

  // The segment is read block by block, each block of columns with the
  // samples its frames cover, so that memory stays small for any length.
  const engines::ColumnRun& run = plan.columns;
  const std::int64_t columns = run.frames.columns;
  const int block = analysis.BlockColumns();
  const int bytesPerSample = run.bytesPerSample;
  const std::int64_t segmentSamples = (plan.segment.endByte - plan.segment.beginByte) / bytesPerSample;
  const std::int64_t frameSamples = static_cast<std::int64_t>(p.fftSize) * channels;
  // Frame starts are rounded: a block's frames cover at most its hops plus a
  // few samples more than the first block's.
  const std::int64_t blockSpan =
      engines::FrameStart(block - 1, run.frames.hop, channels) + 4 * channels + 2 + frameSamples;
  std::vector<std::uint8_t> samples;
  try {
    samples.resize(static_cast<std::size_t>(std::min(blockSpan, segmentSamples) * bytesPerSample));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }

  std::FILE* out = stdout;
  if (!o.output.empty()) {
    out = std::fopen(o.output.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "sonavue-cli levels: cannot write %s\n", o.output.c_str());
      return 1;
    }
  }
  LevelsWriter writer(out, o.format, columns, o.rows);
  writer.Begin();
  const double beginMs = std::round(static_cast<double>(p.beginS) * 1000.0);
  bool readFailed = false;
  for (std::int64_t first = 0; first < columns; first += block) {
    const int count = static_cast<int>(std::min<std::int64_t>(block, columns - first));
    const std::int64_t begin = std::min(engines::FrameStart(first, run.frames.hop, channels), segmentSamples);
    const std::int64_t end = std::clamp(engines::FrameStart(first + count - 1, run.frames.hop, channels) + frameSamples,
                                        begin, std::min(segmentSamples, begin + static_cast<std::int64_t>(samples.size()) / bytesPerSample));
    const std::span<std::uint8_t> bytes(samples.data(), static_cast<std::size_t>((end - begin) * bytesPerSample));
    if (!reader.Read(plan.segment.beginByte + static_cast<std::uint32_t>(begin * bytesPerSample), bytes)) {
      readFailed = true;
      break;
    }
    analysis.AnalyseBlock(bytes, first, count, begin);
    for (int i = 0; i < count; ++i) {
      writer.Column(first + i, beginMs + static_cast<double>(first + i) * o.stepMs, analysis.TotalDb(0, i),
                    analysis.Codes(0, i));
    }
  }
  const bool written = writer.Finish();
  const bool closed = out == stdout || std::fclose(out) == 0;
  if (readFailed) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }
  if (!written || !closed) {
    std::fprintf(stderr, "sonavue-cli levels: cannot write %s\n", o.output.empty() ? "the output" : o.output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace sonavue::cli
