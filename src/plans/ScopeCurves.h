#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "plans/Pens.h"
#include "platform/Geometry.h"

namespace sonavue::render {

// The scope plot's geometry and curves as data: where each point lies, how
// high each level code stands, and the polylines and bars that show them.
// No drawing here; lengths are drawn pixels (multiplied by the scale k).

// The display area and layout values the scope is laid out in, at scale 1.
struct ScopeGeometryInput {
  int width = 0;       // display-area width
  int height = 0;      // display-area height
  int points = 0;      // P: scope points (two pixels each at scale 1)
  int charWidth = 0;   // cw of the display font
  int textHeight = 0;  // th of the display font
  float scale = 1.0F;  // drawing scale k (1 on screen)
};

struct ScopeGeometry {
  double scale = 1.0;
  int points = 0;        // P: data points, not scaled
  int scaledPoints = 0;  // round(k·P)
  int plotWidth = 0;     // 2·round(k·P)
  int left = 0;          // x0: plot left edge
  int baseline = 0;      // yb: the row of level height 0
  int plotHeight = 0;    // trunc(k·240·h): the highest curve height
  int top = 0;           // yb − plotHeight
  double unitPixels = 0.0;  // h: pixels per level unit at scale 1 (240 units span the plot)
  int charWidth = 0;     // cw at scale k
  int textHeight = 0;    // th at scale k
  int penWidth = 1;      // round(k), at least 1
};

// h = (height − 4·th) ÷ 240, never negative.
double ScopeUnitPixels(int height, int textHeight);

// Lays the plot out: at scale 1 x0 = (width − 2P) ÷ 2 but at least 4½ cw
// (cw·9 ÷ 2), yb = height − 2·th; then every length × k, rounded half away
// from zero.
ScopeGeometry ComputeScopeGeometry(const ScopeGeometryInput& input);

// x of point i: x0 + round(2·k·i).
int ScopePointX(const ScopeGeometry& geometry, int point);

// The full plot height trunc(k·240·h) in pixels.
int ScopePlotHeight(double unitPixels, double scale = 1.0);

// Height in pixels above the baseline of level code `code` (quarter dB)
// between the scope's minDb and maxDb (whole dB):
// trunc(k·(code − 4·Min)·(60 ÷ (Max − Min))·h), 0 when negative, at most
// the plot height. A range of zero or less gives 0.
int ScopeCurveHeight(int code, int minDb, int maxDb, double unitPixels, double scale = 1.0);

// The same for every code, each first lowered by loweringCodes (quarter
// dB; see GainLoweringCodes). Fills min(codes, heights) entries.
void ScopeCurveHeights(std::span<const std::int16_t> codes, int minDb, int maxDb,
                       double unitPixels, std::span<int> heights, double scale = 1.0,
                       int loweringCodes = 0);

// The "L-R Signal Delta" curve: left + trunc(k·120·h) − right, so equal
// channels sit at mid-height; limited to 0 … the plot height.
int ScopeDeltaHeight(int leftHeight, int rightHeight, double unitPixels, double scale = 1.0);
void ScopeDeltaHeights(std::span<const int> leftHeights, std::span<const int> rightHeights,
                       double unitPixels, std::span<int> delta, double scale = 1.0);

// How far (quarter dB) a stored curve is lowered when the gain setting has
// moved from madeGainDb to currentGainDb since it was made: a higher gain
// setting attenuates, 4 codes per dB.
int GainLoweringCodes(int currentGainDb, int madeGainDb);

// The peak-hold value that lies below any level: PEAK HOLD starts from it.
inline constexpr std::int16_t kPeakHoldReset = -10000;
// Sets every peak-hold value to kPeakHoldReset.
void ResetPeakHold(std::span<std::int16_t> peaks);
// Keeps, per point, the greatest level code seen (min of both sizes).
void UpdatePeakHold(std::span<std::int16_t> peaks, std::span<const std::int16_t> codes);
// Lowers every peak-hold value by loweringCodes (quarter dB; a negative
// amount raises them), limited to kPeakHoldReset … 32767: peaks held at one
// gain setting brought to another (see GainLoweringCodes).
void LowerPeakHold(std::span<std::int16_t> peaks, int loweringCodes);

// A reference spectrum stored by CAPTURE: one level code per scope point,
// with the band limits (Hz, as analysed), the scope range and the gain
// setting of the moment it was captured.
struct ReferenceSpectrum {
  bool exists = false;
  std::vector<std::int16_t> codes;
  int lowHz = 0;
  int highHz = 0;
  int minDb = 0;
  int maxDb = 0;
  int gainDb = 0;
};

void CaptureReference(ReferenceSpectrum& reference, std::span<const std::int16_t> codes,
                      int lowHz, int highHz, int minDb, int maxDb, int gainDb);
void DropReference(ReferenceSpectrum& reference);
// The reference is drawn only while it exists, the band limits equal those
// at capture and it has a code for each of the plot's points.
bool ReferenceShown(const ReferenceSpectrum& reference, int lowHz, int highHz, int points);

// Which live curves a display shows.
enum class ScopeChannels {
  Mono,   // one curve of the only channel
  Left,   // stereo, the left channel's curve
  Right,  // stereo, the right channel's curve
  Dual,   // stereo, both curves
};

// One curve as drawn: a polyline, or (bars) pairs of points, one line each.
struct ScopeCurvePath {
  bool shown = false;
  Pen pen;
  bool bars = false;
  std::vector<platform::Point> points;
};

// The curves of one scope picture in drawing order. The vectors keep their
// capacity from frame to frame, so planning into the same plan again does
// not allocate.
struct ScopeCurvePlan {
  ScopeCurvePath reference;  // fixed green
  ScopeCurvePath peakHold;   // Freq Mark
  ScopeCurvePath live;       // the live curve ("Dual": left), or the L−R delta
  ScopeCurvePath second;     // "Dual" right channel (Signal 1)
  std::vector<int> scratchA;
  std::vector<int> scratchB;

  // Room for `points` points in every curve.
  void Reserve(int points);
};

// What the curves are made from. Empty spans are not drawn.
struct ScopeCurveInput {
  ScopeGeometry geometry;
  int minDb = 0;
  int maxDb = 0;
  bool bars = false;   // "Scope 2": a vertical bar per point; else joined lines
  ScopeChannels channels = ScopeChannels::Mono;
  bool delta = false;  // "L-R Signal Delta": only the delta curve, in Signal 1
  int gainDb = 0;      // current gain setting
  std::span<const std::int16_t> left;   // latest frame, left or only channel
  std::span<const std::int16_t> right;  // latest frame, right channel
  int frameGainDb = 0;
  std::span<const std::int16_t> peakHold;
  int peakGainDb = 0;
  std::span<const std::int16_t> reference;
  int referenceGainDb = 0;
};

// Plans the curves: joined lines start at (x of point 0, yb) and visit
// (x_i, yb − height_i); "Scope 2" bars run from (x_i, yb) to
// (x_i, yb − height_i), "Dual" right bars shifted right by round(k), "Right"
// bars ending one pixel right of where they start. Peak-hold and reference
// curves are always joined. Mono, "Left", both "Dual" curves, the peak hold
// and the reference are lowered by the gain moved since they were made; the
// "Right" curve is not.
void PlanScopeCurves(const ScopeCurveInput& input, ScopeCurvePlan& plan);

}  // namespace sonavue::render
