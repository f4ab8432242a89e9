#include "cli/AnalysisOptions.h"


namespace sonavue::cli {

OptionRead ReadAnalysisOption(Arguments& in, const std::string& name, AnalysisOptions& o) {
  static constexpr const char* kNames[] = {"--low",   "--high",      "--scale", "--step",
                                           "--averaging", "--gain",  "--begin", "--end",
                                           "--channel", "--resolution", "--fft"};
  bool mine = false;
  for (const char* known : kNames) mine = mine || name == known;
  if (!mine) return OptionRead::NotMine;
  const auto text = in.Value(name);
  if (!text) return OptionRead::Bad;
  const auto bad = [&] {
    in.BadValue(name, *text);
    return OptionRead::Bad;
  };
  if (name == "--scale") {
    if (*text == "linear") o.scale = dsp::FrequencyScale::Linear;
    else if (*text == "log") o.scale = dsp::FrequencyScale::Log;
    else if (*text == "oct3") o.scale = dsp::FrequencyScale::Oct3;
    else return bad();
    return OptionRead::Taken;
  }
  if (name == "--channel") {
    if (*text == "left") o.channel = 0;
    else if (*text == "right") o.channel = 1;
    else return bad();
    return OptionRead::Taken;
  }
  double v = 0.0;
  if (!ParseNumber(*text, v)) return bad();
  if (name == "--low") {
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
  } else {
    if (!IsFftSize(v)) return bad();
    o.fftSize = static_cast<int>(v);
  }
  return OptionRead::Taken;
}

}  // namespace sonavue::cli
