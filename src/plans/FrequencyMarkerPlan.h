#pragma once

#include <span>
#include <vector>

#include "plans/AxesPlan.h"
#include "plans/ScopeCurves.h"
#include "plans/ScopeScales.h"

namespace sonavue::render {

// The two fixed frequency markers as lines, in drawn pixels: horizontal
// lines across a sonogram's plot, vertical lines up a scope's plot. No
// drawing here. Markers are given in displayed hertz (0 = off) and placed
// at marker ÷ multiplier on the analysed band; one that rounds to less than
// 1 Hz there, or that falls outside the band, is not drawn.

// Sonogram rows: with the plot bottom B (one channel picture's height less
// two text heights) and the sonogram rows R (B, less the "Scroll 2" strip),
// a marker at f stands round(R·(f − fL) ÷ (fH − fL)) pixels above B on the
// linear scale (drawn when 1 … R), and G + 1 pixels above B on the
// logarithmic scales, G = round((log10 f − log10 fL) ÷ the row step of the
// readouts, (log10 fH − log10 fL) ÷ (R − 1)), drawn when 0 < G < R. Each
// line runs from the left margin across the plot; in "Dual" once in each
// half; once per stacked channel picture. Lengths are scaled by the
// options' scale as the grid's are.
std::vector<GridLine> PlanSonogramMarkers(const AxesParams& params, std::span<const int> markersHz);

// Scope: a vertical line from the baseline up the full plot height at
// x0 + round(2P·(f − fL) ÷ (fH − fL)), or the logarithmic position on the
// "Log" and "Oct/3" scales, both with the band as analysed (fL, fH).
std::vector<GridLine> PlanScopeMarkers(const ScopeGeometry& geometry, int lowHz, int highHz,
                                       int multiplier, bool logarithmic,
                                       std::span<const int> markersHz);

}  // namespace sonavue::render
