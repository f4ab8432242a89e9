#pragma once

#include <vector>

#include "plans/AxesPlan.h"
#include "plans/ScopeScales.h"

namespace sonavue::render {

// The GRID overlay of the sonogram displays ("Scroll 1", "Scroll 2"):
// vertical time lines and horizontal frequency lines, as data.

// The grid's time step (s): the entry of 0.01, 0.02, 0.05 … 100000 s nearest
// to target; on equal distance the smaller. The grid never goes below 10 ms.
double ChooseGridTimeStep(double targetS);

// The grid lines in drawn pixels, from the same parameters as the axes
// (scale, whole image, "Dual", stacked channels, scroll position).
// Time lines sit where the time ticks of the axes would, with the grid's
// own step: the first at the last multiple of the step at or before the
// plot's left edge, then every step, trunc(steps across the plot) + 2 in
// all; each runs from the top of its picture (y = 0) to the plot bottom and
// is kept only when it lies more than 2·cw inside both ends of the plot (in
// "Dual" the left half's plot, the line repeated W ÷ 2 further right).
// Frequency lines run at every frequency-label row of the axes that lies in
// the sonogram rows (below the "Scroll 2" strip, above the plot bottom),
// from the left margin across the plot (in "Dual" Mx … W ÷ 2 and
// W ÷ 2 + Mx … W).
std::vector<GridLine> PlanSonogramGrid(const AxesParams& params);

}  // namespace sonavue::render
