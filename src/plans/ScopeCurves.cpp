#include "plans/ScopeCurves.h"

#include <algorithm>

#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

// The level scale spans 240 units of h pixels; the curve formula spreads
// the scope range over 60 of its quarter-dB steps per unit.
constexpr double kLevelUnits = 240.0;
constexpr double kHalfLevelUnits = 120.0;
constexpr double kCodesPerUnitRange = 60.0;
constexpr int kCodesPerDb = 4;

// Heights that are whole numbers in exact arithmetic (a level right at the
// top of the range) can come out a hair below in binary floating point; the
// nudge keeps them whole before truncation.
constexpr double kWholeNudge = 1e-9;

int TruncNudged(double x) { return Trunc(x >= 0.0 ? x + kWholeNudge : x - kWholeNudge); }

void JoinedPath(const ScopeGeometry& g, std::span<const int> heights, ScopeCurvePath& path) {
  path.points.clear();
  path.bars = false;
  path.shown = !heights.empty();
  if (heights.empty()) return;
  path.points.push_back({ScopePointX(g, 0), g.baseline});
  for (std::size_t i = 0; i < heights.size(); ++i) {
    path.points.push_back({ScopePointX(g, static_cast<int>(i)), g.baseline - heights[i]});
  }
}

void BarPath(const ScopeGeometry& g, std::span<const int> heights, int shift, int slant,
             ScopeCurvePath& path) {
  path.points.clear();
  path.bars = true;
  path.shown = !heights.empty();
  for (std::size_t i = 0; i < heights.size(); ++i) {
    const int x = ScopePointX(g, static_cast<int>(i)) + shift;
    path.points.push_back({x, g.baseline});
    path.points.push_back({x + slant, g.baseline - heights[i]});
  }
}

// Heights of codes (at most one per point) into scratch; returns them.
std::span<const int> HeightsOf(const ScopeCurveInput& in, std::span<const std::int16_t> codes,
                               int loweringCodes, std::vector<int>& scratch) {
  const ScopeGeometry& g = in.geometry;
  const std::size_t n = std::min(codes.size(), static_cast<std::size_t>(std::max(0, g.points)));
  scratch.resize(n);
  ScopeCurveHeights(codes.first(n), in.minDb, in.maxDb, g.unitPixels, scratch, g.scale,
                    loweringCodes);
  return scratch;
}

Pen WithWidth(PenRole role, int width) {
  Pen pen = PenFor(role);
  pen.width = width;
  return pen;
}

}  // namespace

double ScopeUnitPixels(int height, int textHeight) {
  return std::max(0.0, (height - 4.0 * textHeight) / kLevelUnits);
}

ScopeGeometry ComputeScopeGeometry(const ScopeGeometryInput& in) {
  const double k = in.scale > 0.0F ? in.scale : 1.0;
  const auto len = [k](double v) { return RoundHalfAway(k * v); };
  const int points = std::max(0, in.points);
  const int left = std::max((in.width - 2 * points) / 2, in.charWidth * 9 / 2);
  const int baseline = in.height - 2 * in.textHeight;

  ScopeGeometry g;
  g.scale = k;
  g.points = points;
  g.scaledPoints = len(points);
  g.plotWidth = 2 * g.scaledPoints;
  g.left = len(left);
  g.baseline = len(baseline);
  g.unitPixels = ScopeUnitPixels(in.height, in.textHeight);
  g.plotHeight = ScopePlotHeight(g.unitPixels, k);
  g.top = g.baseline - g.plotHeight;
  g.charWidth = len(in.charWidth);
  g.textHeight = len(in.textHeight);
  g.penWidth = std::max(1, RoundHalfAway(k));
  return g;
}

int ScopePointX(const ScopeGeometry& g, int point) {
  return g.left + RoundHalfAway(2.0 * g.scale * point);
}

int ScopePlotHeight(double unitPixels, double scale) {
  return std::max(0, TruncNudged(scale * unitPixels * kLevelUnits));
}

int ScopeCurveHeight(int code, int minDb, int maxDb, double unitPixels, double scale) {
  const int range = maxDb - minDb;
  if (range <= 0 || unitPixels <= 0.0 || scale <= 0.0) return 0;
  const double height = scale * (code - static_cast<double>(kCodesPerDb) * minDb) *
                        (kCodesPerUnitRange / range) * unitPixels;
  return std::clamp(TruncNudged(height), 0, ScopePlotHeight(unitPixels, scale));
}

void ScopeCurveHeights(std::span<const std::int16_t> codes, int minDb, int maxDb,
                       double unitPixels, std::span<int> heights, double scale,
                       int loweringCodes) {
  const std::size_t n = std::min(codes.size(), heights.size());
  for (std::size_t i = 0; i < n; ++i) {
    heights[i] = ScopeCurveHeight(codes[i] - loweringCodes, minDb, maxDb, unitPixels, scale);
  }
}

int ScopeDeltaHeight(int leftHeight, int rightHeight, double unitPixels, double scale) {
  const int middle = TruncNudged(scale * kHalfLevelUnits * unitPixels);
  return std::clamp(leftHeight + middle - rightHeight, 0, ScopePlotHeight(unitPixels, scale));
}

void ScopeDeltaHeights(std::span<const int> leftHeights, std::span<const int> rightHeights,
                       double unitPixels, std::span<int> delta, double scale) {
  const std::size_t n = std::min({leftHeights.size(), rightHeights.size(), delta.size()});
  for (std::size_t i = 0; i < n; ++i) {
    delta[i] = ScopeDeltaHeight(leftHeights[i], rightHeights[i], unitPixels, scale);
  }
}

int GainLoweringCodes(int currentGainDb, int madeGainDb) {
  return kCodesPerDb * (currentGainDb - madeGainDb);
}

void ResetPeakHold(std::span<std::int16_t> peaks) {
  std::fill(peaks.begin(), peaks.end(), kPeakHoldReset);
}

void UpdatePeakHold(std::span<std::int16_t> peaks, std::span<const std::int16_t> codes) {
  const std::size_t n = std::min(peaks.size(), codes.size());
  for (std::size_t i = 0; i < n; ++i) peaks[i] = std::max(peaks[i], codes[i]);
}

void LowerPeakHold(std::span<std::int16_t> peaks, int loweringCodes) {
  for (std::int16_t& peak : peaks) {
    peak = static_cast<std::int16_t>(
        std::clamp(peak - loweringCodes, static_cast<int>(kPeakHoldReset), 32767));
  }
}

void CaptureReference(ReferenceSpectrum& reference, std::span<const std::int16_t> codes,
                      int lowHz, int highHz, int minDb, int maxDb, int gainDb) {
  reference.codes.assign(codes.begin(), codes.end());
  reference.lowHz = lowHz;
  reference.highHz = highHz;
  reference.minDb = minDb;
  reference.maxDb = maxDb;
  reference.gainDb = gainDb;
  reference.exists = true;
}

void DropReference(ReferenceSpectrum& reference) {
  reference.exists = false;
  reference.codes.clear();
}

bool ReferenceShown(const ReferenceSpectrum& reference, int lowHz, int highHz, int points) {
  return reference.exists && reference.lowHz == lowHz && reference.highHz == highHz &&
         points > 0 && reference.codes.size() >= static_cast<std::size_t>(points);
}

void ScopeCurvePlan::Reserve(int points) {
  const auto n = static_cast<std::size_t>(std::max(0, points));
  for (ScopeCurvePath* path : {&reference, &peakHold, &live, &second}) {
    path->points.reserve(2 * n + 1);
  }
  scratchA.reserve(n);
  scratchB.reserve(n);
}

void PlanScopeCurves(const ScopeCurveInput& in, ScopeCurvePlan& plan) {
  const ScopeGeometry& g = in.geometry;
  const int width = g.penWidth;
  for (ScopeCurvePath* path : {&plan.reference, &plan.peakHold, &plan.live, &plan.second}) {
    path->shown = false;
    path->points.clear();
  }

  if (!in.reference.empty()) {
    JoinedPath(g, HeightsOf(in, in.reference, GainLoweringCodes(in.gainDb, in.referenceGainDb),
                            plan.scratchA),
               plan.reference);
    plan.reference.pen = WithWidth(PenRole::Green, width);
  }
  if (!in.peakHold.empty()) {
    JoinedPath(g, HeightsOf(in, in.peakHold, GainLoweringCodes(in.gainDb, in.peakGainDb),
                            plan.scratchA),
               plan.peakHold);
    plan.peakHold.pen = WithWidth(PenRole::FreqMark, width);
  }

  const int frameLowering = GainLoweringCodes(in.gainDb, in.frameGainDb);
  const auto curve = [&](std::span<const int> heights, ScopeCurvePath& path, int shift, int slant) {
    if (in.bars) {
      BarPath(g, heights, shift, slant, path);
    } else {
      JoinedPath(g, heights, path);
    }
  };

  if (in.delta) {
    const std::span<const int> left = HeightsOf(in, in.left, frameLowering, plan.scratchA);
    const std::span<const int> right = HeightsOf(in, in.right, frameLowering, plan.scratchB);
    const std::size_t n = std::min(left.size(), right.size());
    // The delta replaces the left heights in place, point by point.
    std::span<int> delta(plan.scratchA.data(), n);
    ScopeDeltaHeights(left.first(n), right.first(n), g.unitPixels, delta, g.scale);
    curve(delta, plan.live, 0, 0);
    plan.live.pen = WithWidth(PenRole::Signal1, width);
    return;
  }

  switch (in.channels) {
    case ScopeChannels::Mono:
    case ScopeChannels::Left:
      curve(HeightsOf(in, in.left, frameLowering, plan.scratchA), plan.live, 0, 0);
      break;
    case ScopeChannels::Right:
      curve(HeightsOf(in, in.right, 0, plan.scratchA), plan.live, 0, 1);
      break;
    case ScopeChannels::Dual:
      curve(HeightsOf(in, in.left, frameLowering, plan.scratchA), plan.live, 0, 0);
      curve(HeightsOf(in, in.right, frameLowering, plan.scratchB), plan.second, width, 0);
      plan.second.pen = WithWidth(PenRole::Signal1, width);
      break;
  }
  plan.live.pen = WithWidth(PenRole::Signal2, width);
}

}  // namespace sonavue::render
