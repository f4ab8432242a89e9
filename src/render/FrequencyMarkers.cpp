#include "render/FrequencyMarkers.h"

#include <algorithm>
#include <array>

#include "context/App.h"
#include "plans/FrequencyMarkerPlan.h"
#include "plans/PaletteIndex.h"
#include "plans/RenderMath.h"
#include "render/Axes.h"
#include "render/SonogramGrid.h"
#include "render/ViewQueries.h"

namespace sonavue::render {
namespace {

std::array<int, 2> Markers(const app::App& app) {
  return {app.params.frequencyMarker1Hz, app.params.frequencyMarker2Hz};
}

platform::Rgb MarkColor(const app::App& app, bool swap) {
  const platform::Rgb c = app.colors[kFreqMarkIndex];
  return swap ? SwapRedBlue(c) : c;
}

void Paint(platform::DisplayBitmap& target, const std::vector<GridLine>& lines, platform::Rgb color,
           double scale) {
  const int width = std::max(1, RoundHalfAway(scale > 0.0 ? scale : 1.0));
  for (const GridLine& line : lines) target.Line(line.from, line.to, color, width);
}

}  // namespace

bool FrequencyMarkersSet(const app::App& app) {
  return app.params.frequencyMarker1Hz > 0 || app.params.frequencyMarker2Hz > 0;
}

void DrawSonogramMarkers(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options) {
  if (app.params.IsScopeDisplay() || target.IsNull() || !FrequencyMarkersSet(app)) return;
  const std::array<int, 2> markers = Markers(app);
  const AxesParams params = AxesParamsFor(app, options, target);
  Paint(target, PlanSonogramMarkers(params, markers), MarkColor(app, options.swapColors), options.scale);
}

void DrawScopeMarkers(app::App& app, platform::DisplayBitmap& target, const ScopeDrawOptions& options) {
  if (!app.params.IsScopeDisplay() || target.IsNull() || !FrequencyMarkersSet(app)) return;
  const std::array<int, 2> markers = Markers(app);
  const ScopeGeometry g = ComputeScopeGeometry(ScopeGeometryInputFor(app, options.scale));
  Paint(target,
        PlanScopeMarkers(g, app.params.lowBandHz, app.params.highBandHz, Multiplier(app), IsLogScale(app),
                         markers),
        MarkColor(app, options.swapColors), options.scale);
}

void DrawWindowOverlays(app::App& app) {
  if (app.window == nullptr || app.display.IsNull() || app.frame.analysisPending) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  if (app.params.IsScopeDisplay()) {
    if (app.frame.grid) DrawScopeGrid(app, surface);
    DrawScopeMarkers(app, surface, {});
  } else {
    if (app.frame.grid) DrawSonogramGrid(app, surface, {});
    DrawSonogramMarkers(app, surface, {});
  }
  app.window->Present();
}

}  // namespace sonavue::render
