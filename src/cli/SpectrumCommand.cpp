#include "cli/SpectrumCommand.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "cli/CliContext.h"
#include "cli/LevelsCommand.h"
#include "context/App.h"
#include "engines/PointSpectrum.h"

namespace sonavue::cli {

int RunSpectrum(const std::vector<std::string>& args) {
  LevelsOptions o;
  std::optional<double> atS;
  const ExtraOption at = [&atS](const std::string& name, const std::string& value) -> std::optional<bool> {
    if (name != "--at") return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (value.empty() || end == nullptr || *end != '\0' || !(v >= 0.0) || !std::isfinite(v)) return false;
    atS = v;
    return true;
  };
  if (!ParseLevelsOptions(args, "spectrum", o, at)) return 2;
  if (!o.logSpectrum.empty()) {
    std::fprintf(stderr, "sonavue-cli spectrum: unknown option --log-spectrum\n");
    return 2;
  }
  if (!atS) {
    std::fprintf(stderr, "sonavue-cli spectrum: --at SECONDS is needed\n");
    return 2;
  }

  CliContext context;
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  std::optional<PreparedAnalysis> prepared = PrepareLevelsAnalysis(app, o);
  if (!prepared) return 1;
  const app::CurrentParameters& p = app.params;
  const audio::OpenedWave& wave = prepared->wave;
  const int channels = wave.info.channels;
  const int bytesPerSample = wave.info.bitsPerSample / 8;

  // The click: the sonogram column nearest the time, counted from the
  // analysed segment's start, as the window's pointer would give it.
  engines::PointSpectrumInput in;
  in.column = static_cast<int>(std::lround((*atS - static_cast<double>(p.beginS)) * 1000.0 / o.stepMs));
  in.columnMs = o.stepMs;
  in.rateHz = wave.analysisRate;
  in.channels = channels;
  in.bytesPerSample = bytesPerSample;
  in.averagingMs = engines::PointSpectrumAveragingMs(p);
  in.fftSize = p.fftSize;
  in.dataLength = static_cast<std::int64_t>(prepared->data.size());
  const engines::PointSpectrumPlan plan = engines::PlanPointSpectrum(in);
  if (!plan.ok) {
    std::fprintf(stderr,
                 "sonavue-cli spectrum: %.3f s is not inside the analysed signal (a click needs two frames "
                 "after it)\n",
                 *atS);
    return 1;
  }

  const engines::ColumnRun run = engines::PointSpectrumRun(p, wave.analysisRate, channels, bytesPerSample,
                                                           p.fftSize, o.stepMs, o.rows, in.averagingMs, plan.frames);
  const std::span<const std::uint8_t> data(prepared->data.data() + plan.startByte,
                                           prepared->data.size() - static_cast<std::size_t>(plan.startByte));
  std::array<std::vector<std::int16_t>, 2> codes;
  if (!engines::AnalysePointSpectrum(run, data, codes, {})) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }
  const std::vector<std::int16_t>& shown = codes[static_cast<std::size_t>(o.channel < channels ? o.channel : 0)];

  std::fputs("row,frequency_hz,level_db\n", stdout);
  char line[96];
  for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
    const double f = engines::PointRowFrequencyHz(p.lowBandHz, p.highBandHz, o.rows, row, run.levels.scale) *
                     wave.multiplier;
    const std::int16_t code = shown[static_cast<std::size_t>(row)];
    if (code == 0) {
      std::snprintf(line, sizeof line, "%d,%.3f,\n", row, f);
    } else {
      std::snprintf(line, sizeof line, "%d,%.3f,%.2f\n", row, f, code / 4.0);
    }
    std::fputs(line, stdout);
  }
  return 0;
}

}  // namespace sonavue::cli
