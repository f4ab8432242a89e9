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
#include "engines/AnalysisPlan.h"

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
    if (name == "--scale") {
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

// Reads the bytes [begin, end) of the data chunk.
bool ReadSegment(const audio::OpenedWave& wave, std::uint32_t begin, std::uint32_t end,
                 std::vector<std::uint8_t>& data) {
  std::ifstream file(wave.path, std::ios::binary);
  if (!file.seekg(static_cast<std::streamoff>(wave.info.firstSampleOffset) + begin)) return false;
  data.resize(end - begin);
  file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return file.gcount() == static_cast<std::streamsize>(data.size());
}

}  // namespace

int RunLevels(const std::vector<std::string>& args) {
  LevelsOptions o;
  if (!ParseOptions(args, o)) return 2;

  CliContext context;
  if (!context.HasWorkingFolder()) return 1;
  const auto wave = audio::OpenWaveFile(context.App(), o.file, audio::WaveCommand::AnalyzeFile, true);
  if (!wave) return 1;
  const audio::WaveFileInfo& info = wave->info;
  const float fs = static_cast<float>(wave->analysisRate);
  const int channels = info.channels;
  const int bytesPerSample = static_cast<int>(info.bytesPerSample);
  if (o.channel >= channels) o.channel = 0;

  // A data chunk longer than the file holds is analysed as far as it goes.
  std::error_code error;
  const auto fileSize = std::filesystem::file_size(wave->path, error);
  std::uint32_t available = info.dataLength;
  if (!error && fileSize < static_cast<std::uint64_t>(info.firstSampleOffset) + available) {
    available = fileSize > info.firstSampleOffset
                    ? static_cast<std::uint32_t>(fileSize - info.firstSampleOffset)
                    : 0U;
  }
  // Times run on the analysis rate, so an ultrasound file's whole length
  // is its expanded length.
  const double bytesPerSecond = static_cast<double>(fs) * channels * bytesPerSample;
  const float beginS = o.beginS.value_or(0.0F);
  const float endS = o.endS.value_or(static_cast<float>(available / bytesPerSecond));
  const engines::SegmentBytes segment =
      engines::SegmentForSpan(wave->analysisRate, channels, info.bitsPerSample, beginS, endS, available);
  if (!segment.ok) {
    std::fprintf(stderr, "Improper Begin or End\n");
    return 1;
  }

  const float lowHz = o.lowHz.value_or(0.0F);
  const float highHz = o.highHz.value_or(fs / 2.0F);
  if (highHz - lowHz < 10.0F) {
    std::fprintf(stderr, "Improper Frequency Limits\n");
    return 1;
  }
  const float resolution =
      o.resolutionHz.value_or(dsp::AutomaticResolution(lowHz, highHz, fs, o.stepMs,
                                                       dsp::DisplayKind::Sonogram, o.rows, o.scale));
  const int fftSize = o.fftSize.value_or(dsp::FftSizeForResolution(fs, resolution));

  std::vector<std::uint8_t> data;
  if (!ReadSegment(*wave, segment.beginByte, segment.endByte, data)) {
    std::fprintf(stderr, "Cannot Read Wave File\n");
    return 1;
  }
  const std::int64_t samples = static_cast<std::int64_t>(data.size()) / bytesPerSample;
  const engines::FramePlan plan = engines::PlanFrames(channels, o.stepMs, wave->analysisRate, samples, fftSize);
  if (!plan.Valid()) {
    std::fprintf(stderr, "Time Scale Too Small\n");
    return 1;
  }

  dsp::LevelRunSettings settings;
  settings.fftSize = fftSize;
  settings.sampleRateHz = fs;
  settings.resolutionHz = resolution;
  settings.lowHz = lowHz;
  settings.highHz = highHz;
  settings.rows = o.rows;
  settings.scale = o.scale;
  settings.channels = 1;  // only the chosen channel is reported; each channel averages alone
  settings.columnStepMs = o.stepMs;
  settings.averagingMs = o.averagingMs;
  dsp::LevelSpectrum levels;
  if (!levels.Create(settings)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }

  std::vector<float> frame(static_cast<std::size_t>(fftSize));
  std::vector<std::int16_t> codes(static_cast<std::size_t>(o.rows));
  const float gain = audio::GainFactor(o.gainDb);
  const double beginMs = std::round(static_cast<double>(beginS) * 1000.0);

  std::string line = "column,time_ms,total_db";
  for (int r = 0; r < o.rows; ++r) line += ",r" + std::to_string(r);
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  char number[64];
  for (std::int64_t i = 0; i < plan.columns; ++i) {
    const std::int64_t start = engines::FrameStart(i, plan.hop, channels);
    engines::FillFrame(data, bytesPerSample, channels, o.channel, start, gain, frame);
    const std::optional<float> total = levels.ProcessFrame(0, frame, codes);
    line.clear();
    std::snprintf(number, sizeof number, "%lld,%.3f,", static_cast<long long>(i),
                  beginMs + static_cast<double>(i) * o.stepMs);
    line += number;
    if (total) {
      std::snprintf(number, sizeof number, "%.3f", static_cast<double>(*total));
      line += number;
    }
    for (std::int16_t code : codes) {
      line += ',';
      line += std::to_string(code);
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
  }
  return 0;
}

}  // namespace sonavue::cli
