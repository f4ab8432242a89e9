#include "plans/AxesPlan.h"

#include <algorithm>

#include "plans/AxisTicks.h"
#include "plans/PaletteIndex.h"
#include "plans/RenderMath.h"

namespace sonavue::render {

using platform::Point;
using platform::Rect;

namespace {

constexpr const char* kDefaultFont = "Arial";
constexpr const char* kSignalLabel = "Signal";

double DrawingScale(const AxesParams& in) { return in.options.scale > 0.0F ? in.options.scale : 1.0; }

// Lengths of the plan at the drawing scale.
struct Scaled {
  int w, h, mx, cw, th, hw, b, p;
  double msPerPixel;
};

Scaled ScaleGeometry(const AxesParams& in) {
  const double k = DrawingScale(in);
  const auto len = [k](double v) { return RoundHalfAway(k * v); };
  Scaled s{};
  s.w = len(in.width);
  s.h = len(in.height);
  s.mx = len(in.leftMargin);
  s.cw = len(in.charWidth);
  s.th = len(in.textHeight);
  s.hw = in.scroll2 ? len(WaveformStripHeight(in.height, in.textHeight)) : 0;
  s.b = s.h - len(2.0 * in.textHeight);
  s.p = in.options.wholeImage ? len(in.columns) : s.w - s.mx;
  s.msPerPixel = in.columnMs / k;
  return s;
}

// A frame from (x, top) down to the plot bottom and right to x = right.
void AddFrame(AxesPlan& plan, int x, int right, int top, int bottom, bool closed) {
  std::vector<Point> path{{x, top}, {x, bottom}, {right, bottom}};
  if (closed) {
    path.push_back({right, top});
    path.push_back({x, top});
  }
  plan.frames.push_back(std::move(path));
}

// Frequency labels of one plot whose margin starts at x = left.
void AddFrequencyLabels(AxesPlan& plan, const AxesParams& in, const Scaled& s, int left, int top,
                        bool rightHalf, const TextWidthFn& textWidth) {
  const FrequencyAxisInput f{in.lowHz, in.highHz, in.multiplier, s.b,
                             in.scroll2 ? s.b - s.hw : s.b};
  if (!in.logarithmic) {
    const std::vector<AxisTick> ticks = LinearFrequencyTicks(f);
    for (std::size_t j = 0; j < ticks.size(); ++j) {
      const int y = ticks[j].position;
      const bool shown = in.scroll2 ? (y > s.th + s.hw && y < s.b - 2 * s.th) : (y > 2 * s.th);
      if (!shown) continue;
      int labelTop = (s.b - y < s.th) ? y - s.th : y - s.th / 2;
      if (rightHalf && j == 0) labelTop = y - s.th;
      const int x = left + (s.mx - textWidth(ticks[j].text)) / 2;
      plan.labels.push_back({{x, top + labelTop}, ticks[j].text});
    }
  } else {
    for (const AxisTick& tick : LogFrequencyTicks(f)) {
      const int y = tick.position;
      const bool above = in.scroll2 ? y > s.hw : y > s.th;
      if (!(y < s.b - 1.5 * s.th) || !above) continue;
      const int x = left + (s.mx - textWidth(tick.text)) / 2;
      plan.labels.push_back({{x, top + y - s.th / 2}, tick.text});
    }
  }
  if (in.scroll2) {
    const int x = left + (s.mx - textWidth(kSignalLabel)) / 2;
    plan.labels.push_back({{x, top + (s.hw - s.th) / 2}, kSignalLabel});
  }
}

// Time labels of one plot whose margin starts at x = left; labels must end
// left of limit.
void AddTimeLabels(AxesPlan& plan, const TimeAxis& axis, const Scaled& s, int left, int top,
                   int limit, const TextWidthFn& textWidth) {
  const int y = top + s.b + s.th / 2;
  const int shift = axis.kind == TimeScaleKind::DecimalSeconds ? 3 * s.cw : s.cw;
  for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
    const AxisTick& tick = axis.ticks[i];
    if (i == 0) {
      if (tick.position >= 0) plan.labels.push_back({{left + s.mx + tick.position, y}, tick.text});
      continue;
    }
    const int x = left + s.mx + tick.position - shift;
    if (x + textWidth(tick.text) < limit) plan.labels.push_back({{x, y}, tick.text});
  }
}

}  // namespace

int WaveformStripHeight(int height, int textHeight) { return (height - 2 * textHeight) / 8; }

platform::FontSpec AxesFont(const AxesParams& in) {
  return {in.options.chosenFont.empty() ? kDefaultFont : in.options.chosenFont,
          std::max(1, RoundHalfAway(DrawingScale(in) * in.fontHeight)), 400};
}

AxesPlan PlanAxes(const AxesParams& in, int imageWidth, const TextWidthFn& textWidth) {
  const Scaled s = ScaleGeometry(in);
  AxesPlan plan;
  plan.font = AxesFont(in);
  const double k = DrawingScale(in);
  const int o = std::max(1, RoundHalfAway(k));
  const int t = std::max(1, (o + 1) / 2);
  const int u = o / 2;
  plan.penWidth = o;
  plan.plotBottom = s.b;
  plan.plotWidth = s.p;
  plan.leftMargin = s.mx;
  plan.textHeight = s.th;
  plan.charWidth = s.cw;
  plan.waveformStrip = s.hw;

  const int half = s.w / 2;
  const TimeAxisInput timeInput{
      s.w,
      s.p,
      s.msPerPixel,
      TimeViewOffset(k, in.horizontalScroll, in.segmentStartMs, s.msPerPixel,
                     in.options.timeOriginZero),
      in.options.timeOriginZero ? 0.0 : in.originMs,
      in.scrollTimeMs,
      in.timeDivisor,
      in.dual};
  const TimeAxis timeAxis = TimeAxisTicks(timeInput);

  for (int block = 0; block < std::max(1, in.channelBlocks); ++block) {
    const int top = block * s.h;
    plan.fills.push_back({0, top, s.mx, s.h});
    if (in.dual) plan.fills.push_back({half, top, s.mx, s.h});
    plan.fills.push_back({0, top + s.b, std::max(s.w, s.mx + s.p), s.h - s.b});

    if (in.dual) {
      AddFrame(plan, s.mx - t, half, top + u, top + s.b + u, in.options.closedFrame);
      AddFrame(plan, half + s.mx - t, s.w - t, top + u, top + s.b + u, in.options.closedFrame);
    } else {
      AddFrame(plan, s.mx - t, s.mx + s.p - t, top + u, top + s.b + u, in.options.closedFrame);
    }

    AddFrequencyLabels(plan, in, s, 0, top, false, textWidth);
    if (in.dual) AddFrequencyLabels(plan, in, s, half, top, true, textWidth);
    AddTimeLabels(plan, timeAxis, s, 0, top, in.dual ? half : imageWidth, textWidth);
    if (in.dual) AddTimeLabels(plan, timeAxis, s, half, top, s.w, textWidth);
  }
  return plan;
}

std::vector<StripLine> WaveformStripLines(int leftMargin, int right, int strip,
                                          const std::vector<platform::Point>& offsets) {
  std::vector<StripLine> lines;
  for (const Point& d : offsets) {
    lines.push_back({{d.x + leftMargin, d.y + strip}, {d.x + right, d.y + strip}, kSignal2Index});
    lines.push_back(
        {{d.x + leftMargin, d.y + strip / 2}, {d.x + right, d.y + strip / 2}, kSignal1Index});
  }
  return lines;
}

}  // namespace sonavue::render
