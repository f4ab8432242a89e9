#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plans/ScopeCurves.h"
#include "platform/DisplayBitmap.h"
#include "platform/Geometry.h"

namespace sonavue::render {

// The scope's frame, frequency and level scales and its grid, as data:
// tick positions, label texts and lines in drawn pixels. No drawing here.

// Everything the scales are laid out from, at scale 1 (frame.scale is k).
struct ScopeScaleParams {
  ScopeGeometryInput frame;
  int fontHeight = 0;   // pixel height the display font is made with
  int lowHz = 0;        // fL as analysed
  int highHz = 0;       // fH as analysed
  int multiplier = 1;   // m: displayed frequency = analysed × m
  bool logarithmic = false;  // "Log" and "Oct/3"
  int minDb = 0;        // scope range, internal whole dB (90 = 0 dB relative)
  int maxDb = 0;
  bool splCalibrated = false;  // labels show internal values, not value − 90
  bool delta = false;          // "L-R Signal Delta": the fixed ±30 dB scale
  std::string chosenFont;      // font family; empty: "Arial"
};

// One label candidate: its position (frequency: x of the tick; level: the
// row y of the level it stands for), its value (display Hz or internal dB)
// and text, and whether the rules let it be written.
struct ScopeTick {
  int position = 0;
  double value = 0.0;
  std::string text;
  bool shown = false;
};

// The level step: the entry of 10, 20, 30 dB nearest a quarter of the range
// (ties the smaller), but 30 dB for the range 0 … 90.
int ScopeLevelStep(int minDb, int maxDb);

// Frequency labels along the bottom. Linear: every label of the band,
// f0 + j·s with the step of the sonogram axis, at
// x0 + 1 + 2·(f0 + j·s − fL·m)·P ÷ F (P scaled), written when
// x0 − cw ÷ 2 ≤ x ≤ x0 + 2P − 5·cw; text the Hz, or kHz (integer) for steps
// of 1000 Hz and more. Log: 10, 20, 30 and 50 times five decades from the
// decade factor, at x0 + (log10 f − log10 fL·m) ÷ λ, written when
// x0 ≤ x < x0 + 2P − 6·cw; text "%-2.1f" below 10, the integer below 1000,
// else integer thousands and "K" (values in kHz when fL·m > 9999).
std::vector<ScopeTick> ScopeFrequencyTicks(const ScopeScaleParams& params,
                                           const ScopeGeometry& geometry);
// "Hz" or "kHz" (linear), "Hz" or "KHz" (log).
std::string ScopeFrequencyUnit(const ScopeScaleParams& params);

// Level labels up the left side. "Signal": from L0 (Min, or for a negative
// Min the largest multiple of the step strictly below it) upwards by the
// step, at the row yb − k·(L − Min)·240·h ÷ (Max − Min), at most
// round(range ÷ step) + 2, stopping once a label's top would be more than a
// text height above the plot top; written when the row is not below the
// baseline and lies below the "dB" caption's row. Text "%d" of L − 90, or of
// L with SPL calibration. "L-R Signal Delta": −30, −15, 0, 15, 30, 60·k·h
// apart from the baseline up, all written.
std::vector<ScopeTick> ScopeLevelTicks(const ScopeScaleParams& params,
                                       const ScopeGeometry& geometry);

struct ScopeLabel {
  platform::Point topLeft;
  std::string text;
};

// What DrawScopeAxes paints: opaque labels (the caption last) in the Text
// colour on the Background colour, then the closed frame.
struct ScopeAxesPlan {
  ScopeGeometry geometry;
  platform::FontSpec font;
  std::vector<ScopeLabel> labels;
  std::vector<platform::Point> frame;  // closed: (x0, yb) … back to (x0, yb)
};

using ScopeTextWidthFn = std::function<int(const std::string&)>;

// Frequency labels centred on their ticks by half their character count of
// cw, tops at yb + th ÷ 2, the unit at x0 + 2P − 2·cw; level labels ending
// cw ÷ 2 left of x0, tops th ÷ 2 above their rows; "dB" centred left of x0
// with its top at yb − k·240·h − th ÷ 2.
ScopeAxesPlan PlanScopeAxes(const ScopeScaleParams& params, const ScopeTextWidthFn& textWidth);

// The font of the scales: the display font's height × k, "Arial" unless a
// font was chosen.
platform::FontSpec ScopeFont(const ScopeScaleParams& params);

struct GridLine {
  platform::Point from;
  platform::Point to;
};

// The scope grid: vertical lines from yb up to the plot top at every linear
// label position inside the plot, or on the logarithmic scales at each
// decade × 10, 20 … 90 inside the plot (and at or above the power of ten of
// fL·m); horizontal lines from x0 to x0 + 2P at every level-label row from
// the baseline up to the plot top.
std::vector<GridLine> PlanScopeGrid(const ScopeScaleParams& params);

// The caption of the "L-R Signal Delta" plot, centred over the plot in the
// space above it: the top-left corner of a caption textWidth pixels wide.
inline constexpr const char* kDeltaCaption = "L-R Signal Delta";
platform::Point DeltaCaptionOrigin(const ScopeGeometry& geometry, int textWidth);

}  // namespace sonavue::render
