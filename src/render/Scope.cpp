#include "render/Scope.h"

#include <algorithm>

#include "context/App.h"
#include "plans/Pens.h"
#include "plans/RenderMath.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/ViewQueries.h"

namespace sonavue::render {

using platform::Point;
using platform::Rect;
using platform::Rgb;

namespace {

bool IsDelta(const app::App& app) { return app.params.plotTypeId == app::ID_PLOT_DELTA; }

bool MarkerSet(const app::App& app) {
  return app.params.frequencyMarker1Hz > 0 || app.params.frequencyMarker2Hz > 0;
}

// The redraw has something to show: an image, a stored frame, and not the
// delta plot (the engines alone draw that).
bool CanRedraw(const app::App& app) {
  return !app.display.IsNull() && app.render.scope.hasData && !IsDelta(app);
}

Rgb Colored(Rgb color, bool swap) { return swap ? SwapRedBlue(color) : color; }

// The codes that peak hold and capture take: the right channel's for
// "Right", else the left (or only) channel's.
std::span<const std::int16_t> ShownChannel(const app::App& app, std::span<const std::int16_t> left,
                                           std::span<const std::int16_t> right) {
  if (ScopeChannelsFor(app) == ScopeChannels::Right && !right.empty()) return right;
  return left;
}

// Background, curves and scales of the whole picture into target.
void DrawPicture(app::App& app, platform::DisplayBitmap& target, const ScopeDrawOptions& options) {
  const double k = options.scale > 0.0F ? options.scale : 1.0;
  const app::LayoutValues& v = app.layout;
  target.FillRect({0, 0, RoundHalfAway(k * v.displayWidth), RoundHalfAway(k * v.displayHeight)},
                  Colored(app.colors[kBackgroundIndex], options.swapColors));
  ScopeCurvePlan plan;
  PlanScopeCurves(ScopeCurveInputFor(app, options.scale), plan);
  PaintScopeCurves(target, plan, app.colors, options.swapColors);
  DrawScopeAxes(app, target, options);
}

}  // namespace

ScopeChannels ScopeChannelsFor(const app::App& app) {
  if (app.render.view.channelCount != 2) return ScopeChannels::Mono;
  switch (app.params.channelsId) {
    case app::ID_CHANNELS_LEFT: return ScopeChannels::Left;
    case app::ID_CHANNELS_RIGHT: return ScopeChannels::Right;
    default: return ScopeChannels::Dual;
  }
}

ScopeGeometryInput ScopeGeometryInputFor(const app::App& app, float scale) {
  const app::LayoutValues& v = app.layout;
  return {v.displayWidth, v.displayHeight, v.scopePoints, v.charWidth, v.charHeight, scale};
}

ScopeScaleParams ScopeScaleParamsFor(const app::App& app, const ScopeDrawOptions& options) {
  ScopeScaleParams p;
  p.frame = ScopeGeometryInputFor(app, options.scale);
  p.fontHeight = app.layout.font.pixelHeight;
  p.lowHz = app.params.lowBandHz;
  p.highHz = app.params.highBandHz;
  p.multiplier = Multiplier(app);
  p.logarithmic = IsLogScale(app);
  p.minDb = app.params.scopeLevelMin;
  p.maxDb = app.params.scopeLevelMax;
  p.splCalibrated = app.params.splCalibrated;
  p.delta = IsDelta(app);
  p.chosenFont = options.chosenFont;
  return p;
}

ScopeCurveInput ScopeCurveInputFor(const app::App& app, float scale) {
  const ScopeState& s = app.render.scope;
  ScopeCurveInput in;
  in.geometry = ComputeScopeGeometry(ScopeGeometryInputFor(app, scale));
  in.minDb = app.params.scopeLevelMin;
  in.maxDb = app.params.scopeLevelMax;
  in.bars = app.params.displayId == app::ID_DISPLAY_SCOPE2;
  in.channels = ScopeChannelsFor(app);
  in.delta = IsDelta(app);
  in.gainDb = app.params.gainDb;
  if (s.hasData) {
    in.left = s.left;
    in.right = s.right;
  }
  in.frameGainDb = s.frameGainDb;
  if (!in.delta && app.frame.peakHold) {
    in.peakHold = app.peakHold;
    in.peakGainDb = s.peakGainDb;
  }
  if (!in.delta && ReferenceShown(s.reference, app.params.lowBandHz, app.params.highBandHz,
                                  in.geometry.points)) {
    in.reference = s.reference.codes;
    in.referenceGainDb = s.reference.gainDb;
  }
  return in;
}

void PaintScopeCurves(platform::DisplayBitmap& target, const ScopeCurvePlan& plan,
                      const platform::ColorTable& colors, bool swapColors) {
  for (const ScopeCurvePath* path : {&plan.reference, &plan.peakHold, &plan.live, &plan.second}) {
    if (!path->shown) continue;
    const Rgb color = Colored(PenColor(path->pen, colors), swapColors);
    const std::vector<Point>& p = path->points;
    if (path->bars) {
      for (std::size_t i = 0; i + 1 < p.size(); i += 2) target.Line(p[i], p[i + 1], color, path->pen.width);
    } else {
      for (std::size_t i = 1; i < p.size(); ++i) target.Line(p[i - 1], p[i], color, path->pen.width);
    }
  }
}

void PaintScopeAxes(platform::DisplayBitmap& target, const ScopeAxesPlan& plan, Rgb text,
                    Rgb background) {
  for (const ScopeLabel& label : plan.labels) {
    const int width = platform::TextWidth(plan.font, label.text);
    target.FillRect({label.topLeft.x, label.topLeft.y, width, plan.geometry.textHeight}, background);
    target.Text(label.topLeft, label.text, plan.font, text);
  }
  for (std::size_t i = 1; i < plan.frame.size(); ++i) {
    target.Line(plan.frame[i - 1], plan.frame[i], text, plan.geometry.penWidth);
  }
}

void DrawScopeAxes(app::App& app, platform::DisplayBitmap& target, const ScopeDrawOptions& options) {
  if (!app.params.IsScopeDisplay() || target.IsNull()) return;
  const ScopeScaleParams params = ScopeScaleParamsFor(app, options);
  const platform::FontSpec font = ScopeFont(params);
  const ScopeAxesPlan plan = PlanScopeAxes(
      params, [&font](const std::string& s) { return platform::TextWidth(font, s); });
  PaintScopeAxes(target, plan, Colored(app.colors[kTextIndex], options.swapColors),
                 Colored(app.colors[kBackgroundIndex], options.swapColors));
}

void DrawScopeGrid(app::App& app, platform::DisplayBitmap& target, const ScopeDrawOptions& options) {
  if (!app.params.IsScopeDisplay() || target.IsNull()) return;
  const Rgb text = Colored(app.colors[kTextIndex], options.swapColors);
  const int width = std::max(1, RoundHalfAway(options.scale > 0.0F ? options.scale : 1.0));
  for (const GridLine& line : PlanScopeGrid(ScopeScaleParamsFor(app, options))) {
    target.Line(line.from, line.to, text, width);
  }
}

void DrawScope(app::App& app, const ScopeOverlay& markers) {
  if (!CanRedraw(app)) return;
  DrawPicture(app, app.display, {});
  BlitDisplay(app);
  if (app.window == nullptr) return;
  platform::DisplayBitmap& surface = app.window->Surface();
  if (app.frame.grid) DrawScopeGrid(app, surface);
  if (markers && MarkerSet(app)) markers(app, surface, {});
  app.window->Present();
}

void DrawScopeImage(app::App& app, platform::DisplayBitmap& target,
                    const ScopeDrawOptions& options, const ScopeOverlay& markers) {
  if (!CanRedraw(app) || target.IsNull()) return;
  DrawPicture(app, target, options);
  if (app.frame.grid) DrawScopeGrid(app, target, options);
  if (markers && MarkerSet(app)) markers(app, target, options);
}

void BeginScopeRun(app::App& app) {
  ScopeState& s = app.render.scope;
  const auto points = static_cast<std::size_t>(std::max(0, app.layout.scopePoints));
  s.hasData = false;
  s.captureRequested = false;
  s.left.clear();
  s.right.clear();
  s.left.reserve(points);
  s.right.reserve(points);
  s.reference.codes.reserve(points);
  s.plan.Reserve(static_cast<int>(points));
  s.frameGainDb = app.params.gainDb;
  s.peakGainDb = app.params.gainDb;
}

void StoreScopeFrame(app::App& app, std::span<const std::int16_t> left,
                     std::span<const std::int16_t> right) {
  ScopeState& s = app.render.scope;
  const int gain = app.params.gainDb;
  s.left.assign(left.begin(), left.end());
  s.right.assign(right.begin(), right.end());
  s.frameGainDb = gain;
  s.hasData = true;

  const std::span<const std::int16_t> shown = ShownChannel(app, left, right);
  if (app.frame.peakHold) {
    // Peaks held at another gain setting are brought to this one first, so
    // that one gain setting stands for the whole curve.
    if (gain != s.peakGainDb) LowerPeakHold(app.peakHold, GainLoweringCodes(gain, s.peakGainDb));
    UpdatePeakHold(app.peakHold, shown);
    s.peakGainDb = gain;
  }
  if (s.captureRequested) {
    CaptureReference(s.reference, shown, app.params.lowBandHz, app.params.highBandHz,
                     app.params.scopeLevelMin, app.params.scopeLevelMax, gain);
    s.captureRequested = false;
  }
}

void DrawScopeFrame(app::App& app) {
  ScopeState& s = app.render.scope;
  platform::DisplayBitmap& image = app.display;
  if (image.IsNull() || !s.hasData) return;
  const ScopeCurveInput input = ScopeCurveInputFor(app, 1.0F);
  PlanScopeCurves(input, s.plan);
  const ScopeGeometry& g = input.geometry;
  const Rgb text = app.colors[kTextIndex];

  // The plot and its frame; bars and lines never leave this rectangle.
  image.FillRect({g.left, g.top, g.plotWidth + 1, g.plotHeight + 1}, app.colors[kBackgroundIndex]);
  PaintScopeCurves(image, s.plan, app.colors, false);
  const int right = g.left + g.plotWidth;
  image.Line({g.left, g.baseline}, {g.left, g.top}, text, g.penWidth);
  image.Line({g.left, g.top}, {right, g.top}, text, g.penWidth);
  image.Line({right, g.top}, {right, g.baseline}, text, g.penWidth);
  image.Line({right, g.baseline}, {g.left, g.baseline}, text, g.penWidth);

  if (input.delta) {
    const platform::FontSpec& font = app.layout.font;
    const int width = platform::TextWidth(font, kDeltaCaption);
    const Point origin = DeltaCaptionOrigin(g, width);
    // Opaque, so that drawing it again every frame leaves it unchanged.
    image.FillRect({origin.x, origin.y, width, g.textHeight}, app.colors[kBackgroundIndex]);
    image.Text(origin, kDeltaCaption, font, text);
  }
}

void RequestReferenceCapture(app::App& app) { app.render.scope.captureRequested = true; }

void ClearReference(app::App& app) {
  DropReference(app.render.scope.reference);
  ClearScopePlot(app);
}

void ClearScopePlot(app::App& app) {
  if (app.display.IsNull()) return;
  app.display.FillRect({0, 0, app.layout.displayWidth, app.layout.displayHeight},
                       app.colors[kBackgroundIndex]);
  DrawScopeAxes(app, app.display);
  BlitDisplay(app);
}

}  // namespace sonavue::render
