#include "render/SonogramGrid.h"

#include <algorithm>

#include "context/App.h"
#include "plans/RenderMath.h"
#include "render/Palette.h"

namespace sonavue::render {

void DrawSonogramGrid(platform::DisplayBitmap& target, const AxesParams& params,
                      platform::Rgb text) {
  if (target.IsNull()) return;
  if (params.options.swapColors) text = SwapRedBlue(text);
  const double k = params.options.scale > 0.0F ? params.options.scale : 1.0;
  const int width = std::max(1, RoundHalfAway(k));
  for (const GridLine& line : PlanSonogramGrid(params)) target.Line(line.from, line.to, text, width);
}

void DrawSonogramGrid(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options) {
  if (app.params.IsScopeDisplay() || target.IsNull()) return;
  DrawSonogramGrid(target, AxesParamsFor(app, options, target), app.colors[kTextIndex]);
}

}  // namespace sonavue::render
