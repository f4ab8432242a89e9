#include "plans/ScopeScales.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "plans/AxisTicks.h"
#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

constexpr const char* kDefaultFont = "Arial";
constexpr const char* kLevelCaption = "dB";
constexpr int kRelativeOffsetDb = 90;  // internal 90 dB is 0 dB relative
constexpr double kLevelUnits = 240.0;
// Logarithmic positions at the very edges of the plot (fL itself, or fH on
// a whole number of decades) may come out a hair outside in floating point.
constexpr double kEdgeTolerance = 1e-9;

constexpr std::array<int, 3> kLevelSteps{10, 20, 30};
constexpr std::array<int, 4> kLogLabelValues{10, 20, 30, 50};
constexpr int kLogGridValues = 9;  // 10, 20 … 90 per decade
constexpr int kLogDecades = 5;
// From this displayed low limit on, logarithmic labels count in kHz.
constexpr int kKiloLabelsFromHz = 10000;

// The "L-R Signal Delta" scale: five labels 15 dB apart, 60 level units each.
constexpr int kDeltaLabels = 5;
constexpr int kDeltaLowestDb = -30;
constexpr int kDeltaStepDb = 15;
constexpr double kDeltaUnitsPerLabel = 60.0;

int Multiplier(const ScopeScaleParams& in) { return std::max(1, in.multiplier); }

struct LogScale {
  bool valid = false;
  double logLow = 0.0;
  double perPixel = 0.0;  // λ: decades per drawn pixel
};

LogScale LogScaleOf(const ScopeScaleParams& in, const ScopeGeometry& g) {
  const int m = Multiplier(in);
  // A logarithmic scale cannot start at 0 Hz: a lower limit under 1 Hz counts as 1 Hz.
  const double low = std::max(1.0, static_cast<double>(in.lowHz) * m);
  const double high = static_cast<double>(in.highHz) * m;
  LogScale s;
  if (g.plotWidth <= 0 || high <= low) return s;
  s.valid = true;
  s.logLow = std::log10(low);
  s.perPixel = (std::log10(high) - s.logLow) / g.plotWidth;
  return s;
}

double LogX(const LogScale& s, const ScopeGeometry& g, double f) {
  return (std::log10(f) - s.logLow) / s.perPixel + g.left;
}

std::string LogLabelText(double value) {
  if (value < 10.0) return Format("%-2.1f", value);
  if (value < 1000.0) return Format("%d", static_cast<int>(value));
  return Format("%dK", static_cast<int>(value / 1000.0));
}

std::vector<ScopeTick> LinearTicks(const ScopeScaleParams& in, const ScopeGeometry& g) {
  std::vector<ScopeTick> ticks;
  const int m = Multiplier(in);
  const int band = (in.highHz - in.lowHz) * m;
  if (band <= 0 || g.scaledPoints <= 0) return ticks;
  const int step = ChooseFrequencyStep(band);
  const int low = in.lowHz * m;
  const int first = (low + step - 1) / step * step;  // rounded up to a multiple of the step
  const int count = Trunc(static_cast<double>(band) / step + 1.0);
  const double hzPerPoint = static_cast<double>(band) / g.scaledPoints;
  const double lowest = g.left - g.charWidth / 2;
  const double highest = g.left + g.plotWidth - 5 * g.charWidth;
  ticks.reserve(static_cast<std::size_t>(std::max(0, count)));
  for (int j = 0; j < count; ++j) {
    const int f = first + j * step;
    const double x = g.left + 2.0 * (f - low) / hzPerPoint + 1.0;
    ticks.push_back({RoundHalfAway(x), static_cast<double>(f),
                     Format("%d", step < 1000 ? f : f / 1000), x >= lowest && x <= highest});
  }
  return ticks;
}

std::vector<ScopeTick> LogTicks(const ScopeScaleParams& in, const ScopeGeometry& g) {
  std::vector<ScopeTick> ticks;
  const LogScale s = LogScaleOf(in, g);
  if (!s.valid) return ticks;
  const int m = Multiplier(in);
  const bool kilo = in.lowHz * m >= kKiloLabelsFromHz;
  const double highest = g.left + g.plotWidth - 6 * g.charWidth;
  int decade = LogDecadeFactor(in.highHz * m);
  for (int d = 0; d < kLogDecades; ++d, decade *= 10) {
    for (const int v : kLogLabelValues) {
      const int f = decade * v;
      const double x = LogX(s, g, f);
      const double value = kilo ? f / 1000.0 : f;
      const bool shown = x >= g.left - kEdgeTolerance && x < highest;
      ticks.push_back({RoundHalfAway(x), value, LogLabelText(value), shown});
    }
  }
  return ticks;
}

// The power of ten at or below the displayed low limit, 1 … 10000.
int PowerOfTenOf(int lowDisplayHz) {
  int p = 1;
  while (p < 10000 && lowDisplayHz >= 10 * p) p *= 10;
  return p;
}

}  // namespace

int ScopeLevelStep(int minDb, int maxDb) {
  if (minDb == 0 && maxDb == 90) return 30;
  const double target = (maxDb - minDb) / 4.0;
  int chosen = kLevelSteps.front();
  double best = 1'000'000.0;
  for (const int d : kLevelSteps) {
    // Only a strictly smaller distance wins, so a tie keeps the smaller step.
    const double distance = std::fabs(target - d);
    if (distance < best) {
      best = distance;
      chosen = d;
    }
  }
  return chosen;
}

std::vector<ScopeTick> ScopeFrequencyTicks(const ScopeScaleParams& params,
                                           const ScopeGeometry& geometry) {
  return params.logarithmic ? LogTicks(params, geometry) : LinearTicks(params, geometry);
}

std::string ScopeFrequencyUnit(const ScopeScaleParams& params) {
  const int m = Multiplier(params);
  if (params.logarithmic) return params.lowHz * m < kKiloLabelsFromHz ? "Hz" : "KHz";
  return ChooseFrequencyStep((params.highHz - params.lowHz) * m) < 1000 ? "Hz" : "kHz";
}

std::vector<ScopeTick> ScopeLevelTicks(const ScopeScaleParams& in, const ScopeGeometry& g) {
  std::vector<ScopeTick> ticks;
  const double k = g.scale;
  const double h = g.unitPixels;
  if (in.delta) {
    for (int j = 0; j < kDeltaLabels; ++j) {
      const int value = kDeltaLowestDb + j * kDeltaStepDb;
      ticks.push_back({RoundHalfAway(g.baseline - j * kDeltaUnitsPerLabel * k * h), double(value),
                       Format("%d", value), true});
    }
    return ticks;
  }
  const int range = in.maxDb - in.minDb;
  if (range <= 0 || h <= 0.0) return ticks;
  const int step = ScopeLevelStep(in.minDb, in.maxDb);
  int first = in.minDb;
  if (in.minDb < 0) {
    first = 0;
    while (first >= in.minDb) first -= step;
  }
  const int count = RoundHalfAway(static_cast<double>(range) / step) + 2;
  const int halfText = g.textHeight / 2;
  const int captionRow = RoundHalfAway(g.baseline - k * kLevelUnits * h);
  for (int j = 0; j < count; ++j) {
    const int level = first + j * step;
    const double row = g.baseline + k * (in.minDb - level) * kLevelUnits * h / range;
    if (row - halfText < g.top - g.textHeight) break;
    const int y = RoundHalfAway(row);
    const int shownValue = in.splCalibrated ? level : level - kRelativeOffsetDb;
    ticks.push_back({y, double(level), Format("%d", shownValue), y <= g.baseline && y > captionRow});
  }
  return ticks;
}

platform::FontSpec ScopeFont(const ScopeScaleParams& params) {
  const double k = params.frame.scale > 0.0F ? params.frame.scale : 1.0;
  return {params.chosenFont.empty() ? kDefaultFont : params.chosenFont,
          std::max(1, RoundHalfAway(k * params.fontHeight)), 400};
}

ScopeAxesPlan PlanScopeAxes(const ScopeScaleParams& params, const ScopeTextWidthFn& textWidth) {
  ScopeAxesPlan plan;
  const ScopeGeometry g = ComputeScopeGeometry(params.frame);
  plan.geometry = g;
  plan.font = ScopeFont(params);
  const int halfText = g.textHeight / 2;
  const int cw = g.charWidth;

  const int frequencyTop = g.baseline + halfText;
  for (const ScopeTick& tick : ScopeFrequencyTicks(params, g)) {
    if (!tick.shown) continue;
    const int x = tick.position - static_cast<int>(tick.text.size()) / 2 * cw;
    plan.labels.push_back({{x, frequencyTop}, tick.text});
  }
  plan.labels.push_back({{g.left + g.plotWidth - 2 * cw, frequencyTop}, ScopeFrequencyUnit(params)});

  for (const ScopeTick& tick : ScopeLevelTicks(params, g)) {
    if (!tick.shown) continue;
    plan.labels.push_back({{g.left - cw / 2 - textWidth(tick.text), tick.position - halfText},
                           tick.text});
  }
  const int captionTop =
      RoundHalfAway(g.baseline - g.scale * kLevelUnits * g.unitPixels) - halfText;
  plan.labels.push_back({{(g.left - textWidth(kLevelCaption)) / 2, captionTop}, kLevelCaption});

  const int right = g.left + g.plotWidth;
  plan.frame = {{g.left, g.baseline}, {g.left, g.top}, {right, g.top}, {right, g.baseline},
                {g.left, g.baseline}};
  return plan;
}

std::vector<GridLine> PlanScopeGrid(const ScopeScaleParams& params) {
  std::vector<GridLine> lines;
  const ScopeGeometry g = ComputeScopeGeometry(params.frame);
  const int right = g.left + g.plotWidth;
  const auto vertical = [&](int x) { lines.push_back({{x, g.baseline}, {x, g.top}}); };

  if (!params.logarithmic) {
    for (const ScopeTick& tick : LinearTicks(params, g)) {
      if (tick.position >= g.left && tick.position <= right) vertical(tick.position);
    }
  } else if (const LogScale s = LogScaleOf(params, g); s.valid) {
    const int m = Multiplier(params);
    const int power = PowerOfTenOf(params.lowHz * m);
    int decade = LogDecadeFactor(params.highHz * m);
    for (int d = 0; d < kLogDecades; ++d, decade *= 10) {
      for (int v = 1; v <= kLogGridValues; ++v) {
        const int f = decade * 10 * v;
        if (f / power <= 0) continue;
        const double x = LogX(s, g, f);
        if (x >= g.left - kEdgeTolerance && x <= right + kEdgeTolerance) {
          vertical(RoundHalfAway(x));
        }
      }
    }
  }

  for (const ScopeTick& tick : ScopeLevelTicks(params, g)) {
    if (tick.position <= g.baseline && tick.position >= g.top) {
      lines.push_back({{g.left, tick.position}, {right, tick.position}});
    }
  }
  return lines;
}

platform::Point DeltaCaptionOrigin(const ScopeGeometry& g, int textWidth) {
  return {g.left + g.plotWidth / 2 - textWidth / 2, std::max(0, (g.top - g.textHeight) / 2)};
}

}  // namespace sonavue::render
