#include "cli/AnalysisOptions.h"

#include <cstdio>

#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"

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
  } else {
    const int n = static_cast<int>(v);
    if (n < 512 || n > 16384 || (n & (n - 1)) != 0) return bad();
    o.fftSize = n;
  }
  return OptionRead::Taken;
}

bool ApplyAnalysisOptions(const AnalysisOptions& o, app::CurrentParameters& p, float rateHz, float durationS,
                          int rows, float stepMs) {
  p.beginS = o.beginS.value_or(0.0F);
  p.endS = o.endS.value_or(durationS);
  p.frequencyScaleId = o.scale == dsp::FrequencyScale::Linear ? app::ID_SCALE_LINEAR
                       : o.scale == dsp::FrequencyScale::Log  ? app::ID_SCALE_LOG
                                                              : app::ID_SCALE_OCT3;
  p.lowBandHz = static_cast<std::int32_t>(
      o.lowHz.value_or(static_cast<float>(engines::NewFileLowBandHz(p.frequencyScaleId))));
  p.highBandHz = static_cast<std::int32_t>(o.highHz.value_or(rateHz / 2.0F));
  p.averagingId = o.averagingMs > 0.0F ? app::ID_AVERAGING_MSEC : app::ID_AVERAGING_OFF;
  p.averagingScrollMs = static_cast<std::int32_t>(o.averagingMs);
  p.gainDb = o.gainDb;
  if (o.channel) p.channelsId = *o.channel == 0 ? app::ID_CHANNELS_LEFT : app::ID_CHANNELS_RIGHT;
  if (p.highBandHz - p.lowBandHz < 10) {
    std::fprintf(stderr, "Improper Frequency Limits\n");
    return false;
  }
  p.resolutionHz = o.resolutionHz.value_or(dsp::AutomaticResolution(
      static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz), rateHz, stepMs,
      dsp::DisplayKind::Sonogram, rows, engines::AnalysisScale(p.frequencyScaleId, false)));
  p.fftSize = o.fftSize.value_or(dsp::FftSizeForResolution(rateHz, p.resolutionHz));
  return true;
}

}  // namespace sonavue::cli
