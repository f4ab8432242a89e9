#include "plans/AxisTicks.h"

#include <array>
#include <cmath>

#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

constexpr std::array<double, 25> kTimeStepsS{
    0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,  0.2,   0.5,   1,     2,     5,      10,
    20,    50,    100,   200,  500,  1000, 2000, 5000, 10000, 20000, 50000, 100000};

constexpr std::array<int, 16> kFrequencyStepsHz{1,    2,    5,    10,    20,    50,    100,   200,
                                                500,  1000, 2000, 5000, 10000, 20000, 50000, 100000};

constexpr std::array<int, 4> kLogLabelValues{10, 20, 30, 50};
constexpr int kLogDecades = 5;

// Whole-second steps from this size on are labelled in thousands of seconds.
constexpr double kKilosecondStepS = 100.0;

// The entry nearest to target; the first (smallest) one wins a tie because
// only a strictly smaller distance replaces the running minimum.
template <typename Table>
typename Table::value_type Nearest(const Table& table, double target) {
  double best = 1'000'000.0;
  typename Table::value_type chosen = table.back();
  for (const auto entry : table) {
    const double distance = std::fabs(target - static_cast<double>(entry));
    if (distance < best) {
      best = distance;
      chosen = entry;
    }
  }
  return chosen;
}

std::string TimeLabel(double timeValue, TimeScaleKind kind, double stepS, bool dual) {
  const double t = std::max(0.0, timeValue);
  switch (kind) {
    case TimeScaleKind::Milliseconds:
      return Format("%-3u ms", static_cast<unsigned>(RoundHalfUp(t)));
    case TimeScaleKind::DecimalSeconds:
      return dual ? Format("%.1f sec", t) : Format("%.2f sec", t);
    case TimeScaleKind::WholeSeconds: {
      const int whole = RoundHalfUp(t);
      if (stepS < kKilosecondStepS) return Format("%-3u sec", static_cast<unsigned>(whole));
      return Format("%.1f ksec", whole / 1000.0);
    }
  }
  return {};
}

}  // namespace

double ChooseTimeStep(double targetS) { return Nearest(kTimeStepsS, targetS); }

TimeScaleKind TimeScaleFor(double stepS) {
  if (stepS <= 0.02) return TimeScaleKind::Milliseconds;
  if (stepS < 1.0) return TimeScaleKind::DecimalSeconds;
  return TimeScaleKind::WholeSeconds;
}

double TimeViewOffset(double scale, int horizontalScroll, double segmentStartMs,
                      double msPerPixel, bool timeOriginZero) {
  if (timeOriginZero || msPerPixel <= 0.0) return 0.0;
  return scale * horizontalScroll + segmentStartMs / msPerPixel;
}

TimeAxis TimeAxisTicks(const TimeAxisInput& in) {
  TimeAxis axis;
  if (in.msPerPixel <= 0.0 || in.plotWidth <= 0 || in.windowWidth <= 0) return axis;
  const double secondsAcross = in.msPerPixel * in.windowWidth / 1000.0;
  axis.stepS = ChooseTimeStep(secondsAcross / 5.0);
  axis.kind = TimeScaleFor(axis.stepS);

  const double steps = (in.plotWidth * in.msPerPixel / 1000.0) / axis.stepS;
  const int count = Trunc(steps) + 2;
  axis.pixelsPerStep = in.plotWidth / steps;

  const double stepMs = axis.stepS * 1000.0;
  const double d = in.offsetPx;
  const int x0 = Trunc(stepMs * Trunc(d * in.msPerPixel / stepMs) / in.msPerPixel) - Trunc(d);
  const double divisor = in.timeDivisor > 0.0 ? in.timeDivisor : 1.0;

  axis.ticks.reserve(static_cast<std::size_t>(std::max(0, count)));
  for (int i = 0; i < count; ++i) {
    const double xHat = x0 + i * axis.pixelsPerStep;
    double value = 0.0;
    if (axis.kind == TimeScaleKind::Milliseconds) {
      value = (xHat + d) * in.msPerPixel + in.scrollTimeMs / divisor;
    } else {
      value = (xHat + d) * in.msPerPixel / 1000.0 +
              (in.originMs + in.scrollTimeMs) / (divisor * 1000.0);
    }
    axis.ticks.push_back({Trunc(xHat), value, TimeLabel(value, axis.kind, axis.stepS, in.dual)});
  }
  return axis;
}

int ChooseFrequencyStep(int bandHz) {
  if (bandHz < 10) return 1;
  return Nearest(kFrequencyStepsHz, static_cast<double>(bandHz / 5));
}

std::vector<AxisTick> LinearFrequencyTicks(const FrequencyAxisInput& in) {
  std::vector<AxisTick> ticks;
  const int m = std::max(1, in.multiplier);
  const int band = (in.highHz - in.lowHz) * m;
  if (band <= 0 || in.plotRows <= 0) return ticks;
  const int step = ChooseFrequencyStep(band);
  const int lowDisplay = in.lowHz * m;
  const int first = (lowDisplay + step - 1) / step * step;  // rounded up to a multiple of the step
  const int count = Trunc(static_cast<double>(band) / step + 1.0);

  const double hzPerRow = static_cast<double>(in.highHz - in.lowHz) / in.plotRows;
  const double pixelsPerStep = step / (m * hzPerRow);
  const double firstOffset = (first - lowDisplay) / (hzPerRow * m);

  ticks.reserve(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) {
    const int f = first + j * step;
    const int y = RoundHalfUp(in.plotBottom - firstOffset - j * pixelsPerStep - 1.0);
    std::string text;
    if (step < 100) {
      text = Format("%u Hz", static_cast<unsigned>(f));
    } else if (step < 1000) {
      text = Format("%-2.1f kHz", f / 1000.0);
    } else {
      text = Format("%u kHz", static_cast<unsigned>(f / 1000));
    }
    ticks.push_back({y, static_cast<double>(f), std::move(text)});
  }
  return ticks;
}

int LogDecadeFactor(int highDisplayHz) {
  if (highDisplayHz <= 48000) return 1;
  if (highDisplayHz <= 240000) return 10;
  return 100;
}

std::vector<AxisTick> LogFrequencyTicks(const FrequencyAxisInput& in) {
  std::vector<AxisTick> ticks;
  const int m = std::max(1, in.multiplier);
  // A logarithmic axis cannot start at 0 Hz: a lower limit under 1 Hz counts as 1 Hz.
  const double lowDisplay = std::max(1.0, static_cast<double>(in.lowHz) * m);
  const double highDisplay = static_cast<double>(in.highHz) * m;
  if (in.plotRows <= 0 || highDisplay <= lowDisplay) return ticks;
  const double logLow = std::log10(lowDisplay);
  const double perRow = (std::log10(highDisplay) - logLow) / in.plotRows;

  int decade = LogDecadeFactor(in.highHz * m);
  for (int d = 0; d < kLogDecades; ++d, decade *= 10) {
    for (const int v : kLogLabelValues) {
      const int f = decade * v;
      const int y = Trunc(in.plotBottom - (std::log10(static_cast<double>(f)) - logLow) / perRow);
      ticks.push_back({y, static_cast<double>(f), Format("%u", static_cast<unsigned>(f))});
    }
  }
  return ticks;
}

}  // namespace sonavue::render
