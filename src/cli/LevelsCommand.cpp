#include "cli/LevelsCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/CliContext.h"
#include "cli/LevelsOutput.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "context/CurrentParameters.h"
#include "context/WholeFile.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"
#include "output/DataLog.h"

namespace sonavue::cli {

std::optional<PreparedAnalysis> PrepareLevelsAnalysis(app::App& app, const LevelsOptions& o, bool readData) {
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
  if (readData) {
    prepared.data.resize(prepared.plan.segment.endByte - prepared.plan.segment.beginByte);
    if (!audio::ReadDataBytes(*wave, prepared.plan.segment.beginByte, prepared.data)) {
      std::fprintf(stderr, "Cannot Read Wave File\n");
      return std::nullopt;
    }
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
  std::optional<PreparedAnalysis> prepared = PrepareLevelsAnalysis(app, o, false);
  if (!prepared) return 1;
  const engines::StaticAnalysis& plan = prepared->plan;
  const app::CurrentParameters& p = app.params;
  const int channels = prepared->wave.info.channels;
  engines::ColumnAnalysis analysis;
  if (!analysis.Start(plan.columns)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }
  audio::WaveDataReader reader;
  if (!reader.Open(prepared->wave)) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }

  // The Log Spectrum of the same columns, as the window writes it; it reads
  // each column's spectrum, so its columns are analysed one at a time.
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

  // The segment is read block by block, each block of columns with the
  // samples its frames cover, so that memory stays small for any length.
  const engines::ColumnRun& run = plan.columns;
  const std::int64_t columns = run.frames.columns;
  const int block = o.logSpectrum.empty() ? analysis.BlockColumns() : 1;
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

  // A file is written whole: beside the target first, put in its place
  // once complete, so a failure leaves what was there. A device or a pipe
  // named as the output is written straight.
  std::FILE* out = stdout;
  std::filesystem::path writing;
  if (!o.output.empty()) {
    std::error_code error;
    const auto status = std::filesystem::status(o.output, error);
    const bool special = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    writing = special ? std::filesystem::path(o.output) : app::TemporaryBeside(o.output);
    out = std::fopen(writing.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "sonavue-cli levels: cannot write %s\n", o.output.c_str());
      return 1;
    }
    if (special) writing.clear();
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
    if (!o.logSpectrum.empty()) log.AddColumn(first, analysis);
  }
  const bool written = writer.Finish();
  const bool closed = out == stdout || std::fclose(out) == 0;
  // A levels file that could not be finished is not left behind half written.
  if (!writing.empty()) {
    std::error_code error;
    if (readFailed || !written || !closed) {
      std::filesystem::remove(writing, error);
    } else {
      std::filesystem::rename(writing, o.output, error);
      if (error) {
        std::filesystem::remove(writing, error);
        std::fprintf(stderr, "sonavue-cli levels: cannot write %s\n", o.output.c_str());
        return 1;
      }
    }
  }
  if (readFailed) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }
  if (!written || !closed) {
    std::fprintf(stderr, "sonavue-cli levels: cannot write %s\n", o.output.empty() ? "the output" : o.output.c_str());
    return 1;
  }
  if (!o.logSpectrum.empty() && !log.Commit()) {
    std::fprintf(stderr, "Error Writing File\n");
    return 1;
  }
  return 0;
}

}  // namespace sonavue::cli
