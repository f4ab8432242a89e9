#include "cli/WindowAnalysis.h"

#include <algorithm>

#include "context/App.h"
#include "platform/ScriptedPrompts.h"
#include "plans/AxesPlan.h"

namespace sonavue::cli {

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
