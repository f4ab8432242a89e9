#include "render/Axes.h"

#include <string>
#include <vector>

#include "context/App.h"
#include "plans/RenderMath.h"
#include "render/Palette.h"
#include "render/ViewQueries.h"

namespace sonavue::render {

using platform::Point;
using platform::Rect;

AxesParams AxesParamsFor(const app::App& app, const AxesOptions& options,
                         const platform::DisplayBitmap& target) {
  const app::LayoutValues& v = app.layout;
  const DisplayView& view = app.render.view;
  AxesParams p;
  p.width = v.displayWidth;
  p.height = v.displayHeight;
  p.leftMargin = v.leftMargin;
  p.charWidth = v.charWidth;
  p.textHeight = v.charHeight;
  p.fontHeight = v.font.pixelHeight;
  p.scroll2 = IsScroll2(app);
  p.dual = IsDualView(app) && !options.singleLayout;
  const bool window = app.window != nullptr && &target == &app.window->Surface();
  p.channelBlocks = view.stackedChannels && !window ? 2 : 1;
  p.timeDivisor = TimeDivisor(app);
  p.columnMs = app.params.timePerColumnMs / p.timeDivisor;
  p.columns = view.columns;
  p.horizontalScroll = view.horizontalOffset;
  p.segmentStartMs = view.segmentStartMs;
  p.originMs = view.timeOriginMs;
  p.scrollTimeMs = view.scrollTimeMs;
  p.lowHz = app.params.lowBandHz;
  p.highHz = app.params.highBandHz;
  p.multiplier = Multiplier(app);
  p.logarithmic = IsLogScale(app);
  p.options = options;
  return p;
}

void DrawAxes(platform::DisplayBitmap& target, const AxesParams& params, platform::Rgb text,
              platform::Rgb background) {
  if (target.IsNull()) return;
  if (params.options.swapColors) {
    text = SwapRedBlue(text);
    background = SwapRedBlue(background);
  }
  const platform::FontSpec font = AxesFont(params);
  const AxesPlan plan = PlanAxes(params, target.Width(), [&font](const std::string& s) {
    return platform::TextWidth(font, s);
  });
  for (const Rect& r : plan.fills) target.FillRect(r, background);
  for (const auto& path : plan.frames) {
    for (std::size_t i = 1; i < path.size(); ++i) {
      target.Line(path[i - 1], path[i], text, plan.penWidth);
    }
  }
  for (const AxesLabel& label : plan.labels) target.Text(label.topLeft, label.text, plan.font, text);
}

void DrawAxes(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options) {
  if (app.params.IsScopeDisplay() || target.IsNull()) return;
  DrawAxes(target, AxesParamsFor(app, options, target), app.colors[kTextIndex],
           app.colors[kBackgroundIndex]);
}

void DrawWaveformStripLines(app::App& app, platform::DisplayBitmap& target, bool imageTarget) {
  if (!IsScroll2(app) || target.IsNull()) return;
  const app::LayoutValues& v = app.layout;
  const int strip = WaveformStripHeight(v.displayHeight, v.charHeight);
  std::vector<StripLine> lines;
  if (imageTarget) {
    std::vector<Point> offsets{{0, 0}};
    if (app.render.view.stackedChannels) offsets.push_back({0, target.Height() / 2});
    lines = WaveformStripLines(v.leftMargin, target.Width() - 1, strip, offsets);
  } else if (IsDualView(app)) {
    const int half = v.displayWidth / 2;
    lines = WaveformStripLines(v.leftMargin, half - 1, strip, {{0, 0}});
    const auto right = WaveformStripLines(v.leftMargin, v.displayWidth - half - 1, strip, {{half, 0}});
    lines.insert(lines.end(), right.begin(), right.end());
  } else {
    lines = WaveformStripLines(v.leftMargin, v.displayWidth - 1, strip, {{0, 0}});
  }
  for (const StripLine& line : lines) {
    target.Line(line.from, line.to, app.colors[static_cast<std::size_t>(line.paletteIndex)]);
  }
}

}  // namespace sonavue::render
