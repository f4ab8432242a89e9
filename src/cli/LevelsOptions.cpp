#include "cli/LevelsOptions.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"

namespace sonavue::cli {

bool ParseLevelsOptions(const std::vector<std::string>& args, const char* command, LevelsOptions& o,
                        const ExtraOption& extra) {
  if (args.empty()) {
    std::fprintf(stderr, "sonavue-cli %s: a WAV file is needed\n", command);
    return false;
  }
  o.file = args[0];
  // The analysis options go through their one parser, from these values.
  AnalysisOptions analysis;
  analysis.lowHz = o.lowHz;
  analysis.highHz = o.highHz;
  analysis.scale = o.scale;
  analysis.stepMs = o.stepMs;
  analysis.averagingMs = o.averagingMs;
  analysis.gainDb = o.gainDb;
  analysis.beginS = o.beginS;
  analysis.endS = o.endS;
  analysis.channel = o.channel;
  analysis.resolutionHz = o.resolutionHz;
  analysis.fftSize = o.fftSize;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "sonavue-cli %s: %s needs a value\n", command, name.c_str());
      return false;
    }
    const std::string& text = args[i + 1];
    const auto bad = [&] {
      std::fprintf(stderr, "sonavue-cli %s: bad value '%s' for %s\n", command, text.c_str(), name.c_str());
      return false;
    };
    if (extra) {
      if (const std::optional<bool> taken = extra(name, text)) {
        if (!*taken) return bad();
        continue;
      }
    }
    const bool levels = std::string_view(command) == "levels";
    if (levels && name == "--format") {
      if (text == "csv") o.format = LevelsFormat::Csv;
      else if (text == "npy") o.format = LevelsFormat::Npy;
      else return bad();
    } else if (levels && name == "--output") {
      if (text.empty()) return bad();
      o.output = text;
    } else if (const std::optional<bool> taken = TakeAnalysisValue(name, text, analysis)) {
      if (!*taken) return bad();
    } else if (name == "--log-spectrum") {
      if (text.empty()) return bad();
      o.logSpectrum = text;
    } else if (name == "--rows") {
      double v = 0.0;
      if (!ParseNumber(text, v) || v < 1 || v > 100000) return bad();
      o.rows = static_cast<int>(v);
    } else {
      std::fprintf(stderr, "sonavue-cli %s: unknown option %s\n", command, name.c_str());
      return false;
    }
  }
  o.lowHz = analysis.lowHz;
  o.highHz = analysis.highHz;
  o.scale = analysis.scale;
  o.stepMs = analysis.stepMs.value_or(o.stepMs);
  o.averagingMs = analysis.averagingMs;
  o.gainDb = analysis.gainDb;
  o.beginS = analysis.beginS;
  o.endS = analysis.endS;
  o.channel = analysis.channel.value_or(o.channel);
  o.resolutionHz = analysis.resolutionHz;
  o.fftSize = analysis.fftSize;
  return true;
}

}  // namespace sonavue::cli
