#include "cli/LevelsOptions.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "cli/Arguments.h"

namespace sonavue::cli {

bool ParseLevelsOptions(const std::vector<std::string>& args, const char* command, LevelsOptions& o,
                        const ExtraOption& extra) {
  if (args.empty()) {
    std::fprintf(stderr, "sonavue-cli %s: a WAV file is needed\n", command);
    return false;
  }
  o.file = args[0];
  for (std::size_t i = 1; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "sonavue-cli %s: %s needs a value\n", command, name.c_str());
      return false;
    }
    const std::string& text = args[i + 1];
    double v = 0.0;
    const bool numeric = ParseNumber(text, v);
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
    } else if (name == "--scale") {
      if (text == "linear") o.scale = dsp::FrequencyScale::Linear;
      else if (text == "log") o.scale = dsp::FrequencyScale::Log;
      else if (text == "oct3") o.scale = dsp::FrequencyScale::Oct3;
      else return bad();
    } else if (name == "--channel") {
      if (text == "left") o.channel = 0;
      else if (text == "right") o.channel = 1;
      else return bad();
    } else if (name == "--log-spectrum") {
      if (text.empty()) return bad();
      o.logSpectrum = text;
    } else if (!numeric) {
      if (name != "--rows" && name != "--low" && name != "--high" && name != "--step" &&
          name != "--averaging" && name != "--gain" && name != "--begin" && name != "--end" &&
          name != "--resolution" && name != "--fft") {
        std::fprintf(stderr, "sonavue-cli %s: unknown option %s\n", command, name.c_str());
        return false;
      }
      return bad();
    } else if (name == "--rows") {
      if (v < 1 || v > 100000) return bad();
      o.rows = static_cast<int>(v);
    } else if (name == "--low") {
      if (v < 0 || v > kLargestHz) return bad();
      o.lowHz = static_cast<float>(v);
    } else if (name == "--high") {
      if (v <= 0 || v > kLargestHz) return bad();
      o.highHz = static_cast<float>(v);
    } else if (name == "--step") {
      if (!(static_cast<float>(v) > 0.0F) || v > kLargestMs) return bad();
      o.stepMs = static_cast<float>(v);
    } else if (name == "--averaging") {
      if (v < 0 || v > kLargestMs) return bad();
      o.averagingMs = static_cast<float>(v);
    } else if (name == "--gain") {
      if (v < -30 || v > 30) return bad();
      o.gainDb = static_cast<int>(v);
    } else if (name == "--begin") {
      if (v < 0 || v > kLargestSeconds) return bad();
      o.beginS = static_cast<float>(v);
    } else if (name == "--end") {
      if (v < 0 || v > kLargestSeconds) return bad();
      o.endS = static_cast<float>(v);
    } else if (name == "--resolution") {
      if (!(static_cast<float>(v) > 0.0F) || v > kLargestHz) return bad();
      o.resolutionHz = static_cast<float>(v);
    } else if (name == "--fft") {
      if (!IsFftSize(v)) return bad();
      o.fftSize = static_cast<int>(v);
    } else {
      std::fprintf(stderr, "sonavue-cli %s: unknown option %s\n", command, name.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace sonavue::cli
