#include "cli/WindowAnalysis.h"

#include <algorithm>
#include <cstdio>

#include "context/App.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"
#include "platform/ScriptedPrompts.h"
#include "plans/AxesPlan.h"

namespace sonavue::cli {
namespace {

// The options as the parameters of a static analysis of a file at rateHz
// that lasts durationS, drawn in rows rows at stepMs per column: scale,
// band (the new file's band where none is given), averaging, gain, segment,
// channel, and the resolution and FFT size (the automatic ones unless
// given). False, after printing "Improper Frequency Limits", for a band
// narrower than 10 Hz.
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

}  // namespace

bool ApplyOptionsToWindow(app::App& app, const engines::AnalyzeSource& source, const AnalysisOptions& o) {
  app::CurrentParameters& p = app.params;
  const app::LayoutValues& v = app.layout;
  if (o.channel) p.channelsId = *o.channel == 0 ? app::ID_CHANNELS_LEFT : app::ID_CHANNELS_RIGHT;
  // As the window lays the picture out: "Dual" gives each channel half the
  // plot and twice the step for the same display width.
  const bool dual = source.wave.info.channels == 2 && p.channelsId == app::ID_CHANNELS_DUAL;
  const float plotWidth = static_cast<float>(dual ? v.displayWidth - 2 * v.leftMargin : v.displayWidth - v.leftMargin);
  const float perSecond = dual ? 2000.0F : 1000.0F;
  if (plotWidth <= 0.0F) return false;
  if (o.stepMs) p.displayWidthS = *o.stepMs * plotWidth / perSecond;
  const float stepMs = p.displayWidthS * perSecond / plotWidth;
  const int strip = p.displayId == app::ID_DISPLAY_SCROLL2 ? render::WaveformStripHeight(v.displayHeight, v.charHeight) : 0;
  const int rows = std::max(1, v.displayHeight - 2 * v.charHeight - strip);
  return ApplyAnalysisOptions(o, p, static_cast<float>(source.wave.analysisRate), p.endS, rows, stepMs);
}

bool AnalyzeInWindow(app::App& app, platform::ScriptedPrompts& prompts, const std::string& file,
                     const AnalysisOptions& o) {
  prompts.QueueFile({file});
  const engines::AnalyzeOutcome outcome = engines::AnalyzeFileRequest(
      app, engines::kAnalyzeMenu,
      [&o](app::App& a, const engines::AnalyzeSource& source) { return ApplyOptionsToWindow(a, source, o); });
  return outcome == engines::AnalyzeOutcome::Done || outcome == engines::AnalyzeOutcome::LayoutChanged;
}

}  // namespace sonavue::cli
