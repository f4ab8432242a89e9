#include "plans/SonogramGridPlan.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "plans/AxisTicks.h"
#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

constexpr std::array<double, 22> kGridTimeStepsS{
    0.01, 0.02, 0.05, 0.1,  0.2,  0.5,  1,     2,     5,     10,    20,
    50,   100,  200,  500,  1000, 2000, 5000, 10000, 20000, 50000, 100000};

// Time lines closer than this many character widths to either end of the
// plot are left out.
constexpr int kTimeLineInsetChars = 2;

}  // namespace

double ChooseGridTimeStep(double targetS) {
  double best = 1'000'000.0;
  double chosen = kGridTimeStepsS.back();
  for (const double step : kGridTimeStepsS) {
    // Only a strictly smaller distance wins, so a tie keeps the smaller step.
    const double distance = std::fabs(targetS - step);
    if (distance < best) {
      best = distance;
      chosen = step;
    }
  }
  return chosen;
}

std::vector<GridLine> PlanSonogramGrid(const AxesParams& in) {
  std::vector<GridLine> lines;
  const double k = in.options.scale > 0.0F ? in.options.scale : 1.0;
  const auto len = [k](double v) { return RoundHalfAway(k * v); };
  const int w = len(in.width);
  const int h = len(in.height);
  const int mx = len(in.leftMargin);
  const int cw = len(in.charWidth);
  const int strip = in.scroll2 ? len(WaveformStripHeight(in.height, in.textHeight)) : 0;
  const int bottom = h - len(2.0 * in.textHeight);
  const int plot = in.options.wholeImage ? len(in.columns) : w - mx;
  const int half = w / 2;
  // The plot whose ends the time lines keep away from: the left half's in "Dual".
  const int insideWidth = in.dual ? half - mx : plot;
  const double msPerPixel = in.columnMs / k;

  // Time-line positions from the plot's left edge.
  std::vector<int> times;
  if (msPerPixel > 0.0 && plot > 0 && w > 0) {
    const double stepS = ChooseGridTimeStep(msPerPixel * w / 1000.0 / 5.0);
    const double steps = (plot * msPerPixel / 1000.0) / stepS;
    const int count = Trunc(steps) + 2;
    const double pixelsPerStep = plot / steps;
    const double stepMs = stepS * 1000.0;
    const double d = TimeViewOffset(k, in.horizontalScroll, in.segmentStartMs, msPerPixel,
                                    in.options.timeOriginZero);
    const int x0 = Trunc(stepMs * Trunc(d * msPerPixel / stepMs) / msPerPixel) - Trunc(d);
    const int inset = kTimeLineInsetChars * cw;
    for (int i = 0; i < count; ++i) {
      const int x = Trunc(x0 + i * pixelsPerStep);
      if (x > inset && x < insideWidth - inset) times.push_back(x);
    }
  }

  const FrequencyAxisInput f{in.lowHz, in.highHz, in.multiplier, bottom,
                             in.scroll2 ? bottom - strip : bottom};
  const std::vector<AxisTick> rows = in.logarithmic ? LogFrequencyTicks(f) : LinearFrequencyTicks(f);

  for (int block = 0; block < std::max(1, in.channelBlocks); ++block) {
    const int top = block * h;
    for (const int x : times) {
      lines.push_back({{mx + x, top}, {mx + x, top + bottom}});
      if (in.dual) lines.push_back({{half + mx + x, top}, {half + mx + x, top + bottom}});
    }
    for (const AxisTick& row : rows) {
      const int y = row.position;
      const bool inRows = y < bottom && (in.scroll2 ? y > strip : y >= 0);
      if (!inRows) continue;
      if (in.dual) {
        lines.push_back({{mx, top + y}, {half, top + y}});
        lines.push_back({{half + mx, top + y}, {w, top + y}});
      } else {
        lines.push_back({{mx, top + y}, {mx + plot, top + y}});
      }
    }
  }
  return lines;
}

}  // namespace sonavue::render
