#include "plans/FrequencyMarkerPlan.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "plans/RenderMath.h"

namespace sonavue::render {
namespace {

// The analysed frequency of a marker, or nothing when it is off or rounds
// to less than 1 Hz after the division by the multiplier.
std::optional<double> AnalysedHz(int markerHz, int multiplier) {
  if (markerHz <= 0) return std::nullopt;
  const double f = static_cast<double>(markerHz) / std::max(1, multiplier);
  if (RoundHalfAway(f) < 1) return std::nullopt;
  return f;
}

// Fraction of the band from low to high at which f lies (0 … 1 inside),
// linearly or by logarithms; nothing for an empty band.
std::optional<double> BandFraction(double f, double low, double high, bool logarithmic) {
  if (logarithmic) {
    low = std::max(1.0, low);
    high = std::max(1.0, high);
    if (high <= low) return std::nullopt;
    return (std::log10(f) - std::log10(low)) / (std::log10(high) - std::log10(low));
  }
  if (high <= low) return std::nullopt;
  return (f - low) / (high - low);
}

}  // namespace

std::vector<GridLine> PlanSonogramMarkers(const AxesParams& in, std::span<const int> markersHz) {
  std::vector<GridLine> lines;
  const double k = in.options.scale > 0.0F ? in.options.scale : 1.0;
  const auto len = [k](double v) { return RoundHalfAway(k * v); };
  const int w = len(in.width);
  const int h = len(in.height);
  const int mx = len(in.leftMargin);
  const int strip = in.scroll2 ? len(WaveformStripHeight(in.height, in.textHeight)) : 0;
  const int bottom = h - len(2.0 * in.textHeight);
  const int rows = bottom - strip;
  const int plot = in.options.wholeImage ? len(in.columns) : w - mx;
  const int half = w / 2;
  if (rows < 1) return lines;

  std::vector<int> heights;  // pixels above the plot bottom
  for (const int marker : markersHz) {
    const auto f = AnalysedHz(marker, in.multiplier);
    if (!f) continue;
    if (in.logarithmic) {
      const double low = std::max(1.0, static_cast<double>(in.lowHz));
      const double high = std::max(1.0, static_cast<double>(in.highHz));
      if (rows < 2 || high <= low || *f <= 0.0) continue;
      const double rowStep = (std::log10(high) - std::log10(low)) / (rows - 1);
      const int g = RoundHalfAway((std::log10(*f) - std::log10(low)) / rowStep);
      if (g > 0 && g < rows) heights.push_back(g + 1);
    } else {
      const auto fraction = BandFraction(*f, in.lowHz, in.highHz, false);
      if (!fraction) continue;
      const int above = RoundHalfAway(rows * *fraction);
      if (above > 0 && above <= rows) heights.push_back(above);
    }
  }

  for (int block = 0; block < std::max(1, in.channelBlocks); ++block) {
    const int top = block * h;
    for (const int above : heights) {
      const int y = top + bottom - above;
      if (in.dual) {
        lines.push_back({{mx, y}, {half, y}});
        lines.push_back({{half + mx, y}, {w, y}});
      } else {
        lines.push_back({{mx, y}, {mx + plot, y}});
      }
    }
  }
  return lines;
}

std::vector<GridLine> PlanScopeMarkers(const ScopeGeometry& g, int lowHz, int highHz, int multiplier,
                                       bool logarithmic, std::span<const int> markersHz) {
  std::vector<GridLine> lines;
  for (const int marker : markersHz) {
    const auto f = AnalysedHz(marker, multiplier);
    if (!f) continue;
    const auto fraction = BandFraction(*f, lowHz, highHz, logarithmic);
    if (!fraction || *fraction < 0.0 || *fraction > 1.0) continue;
    const int x = g.left + RoundHalfAway(g.plotWidth * *fraction);
    lines.push_back({{x, g.baseline}, {x, g.top}});
  }
  return lines;
}

}  // namespace sonavue::render
