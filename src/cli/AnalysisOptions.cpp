#include "cli/AnalysisOptions.h"

namespace sonavue::cli {

std::optional<bool> TakeAnalysisValue(const std::string& name, const std::string& text, AnalysisOptions& o) {
  if (name == "--scale") {
    if (text == "linear") o.scale = dsp::FrequencyScale::Linear;
    else if (text == "log") o.scale = dsp::FrequencyScale::Log;
    else if (text == "oct3") o.scale = dsp::FrequencyScale::Oct3;
    else return false;
    return true;
  }
  if (name == "--channel") {
    if (text == "left") o.channel = 0;
    else if (text == "right") o.channel = 1;
    else return false;
    return true;
  }
  static constexpr const char* kNumbers[] = {"--low", "--high", "--step", "--averaging", "--gain",
                                             "--begin", "--end", "--resolution", "--fft"};
  bool mine = false;
  for (const char* known : kNumbers) mine = mine || name == known;
  if (!mine) return std::nullopt;
  double v = 0.0;
  if (!ParseNumber(text, v)) return false;
  if (name == "--low") {
    if (v < 0 || v > kLargestHz) return false;
    o.lowHz = static_cast<float>(v);
  } else if (name == "--high") {
    if (v <= 0 || v > kLargestHz) return false;
    o.highHz = static_cast<float>(v);
  } else if (name == "--step") {
    if (!(static_cast<float>(v) > 0.0F) || v > kLargestMs) return false;
    o.stepMs = static_cast<float>(v);
  } else if (name == "--averaging") {
    if (v < 0 || v > kLargestMs) return false;
    o.averagingMs = static_cast<float>(v);
  } else if (name == "--gain") {
    if (v < -30 || v > 30) return false;
    o.gainDb = static_cast<int>(v);
  } else if (name == "--begin") {
    if (v < 0 || v > kLargestSeconds) return false;
    o.beginS = static_cast<float>(v);
  } else if (name == "--end") {
    if (v < 0 || v > kLargestSeconds) return false;
    o.endS = static_cast<float>(v);
  } else if (name == "--resolution") {
    if (!(static_cast<float>(v) > 0.0F) || v > kLargestHz) return false;
    o.resolutionHz = static_cast<float>(v);
  } else {
    if (!IsFftSize(v)) return false;
    o.fftSize = static_cast<int>(v);
  }
  return true;
}

OptionRead ReadAnalysisOption(Arguments& in, const std::string& name, AnalysisOptions& o) {
  // Whether the name is one of these, before its value is taken.
  AnalysisOptions probe;
  if (!TakeAnalysisValue(name, "", probe).has_value()) return OptionRead::NotMine;
  const auto text = in.Value(name);
  if (!text) return OptionRead::Bad;
  if (!*TakeAnalysisValue(name, *text, o)) {
    in.BadValue(name, *text);
    return OptionRead::Bad;
  }
  return OptionRead::Taken;
}

}  // namespace sonavue::cli
