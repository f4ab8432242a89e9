#pragma once

#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace sonavue::render {

// The level legend beside an exported sonogram: a colour bar from the
// sonogram Min (bottom) to Max (top) in the colours the picture gives those
// levels, with the levels of the scale points written beside it.

// The label texts, scale point 0 (Min) first: "Min -90.00 dB", then the
// plain levels, "Max 0.00 dB" (display units: less 90 without SPL
// calibration). The caller measures them for the plan.
std::vector<std::string> LevelLegendTexts(int minDb, int maxDb, bool splCalibrated);

struct LevelLegendLabel {
  int point = 0;  // scale point 0 … 12
  int y = 0;      // the row its tick is drawn on
  std::string text;
};

// Positions inside the legend strip (x from the strip's left edge).
struct LevelLegendPlan {
  int width = 0;        // of the strip, pixels
  platform::Rect bar;   // the colour bar
  int tickLength = 0;   // ticks run from the bar's right edge
  int textX = 0;        // left edge of the labels
  std::vector<LevelLegendLabel> labels;  // Min and Max always; others as room allows
};

// The strip for a picture `height` pixels high, labels `textHeight` high
// and at most `widestText` wide. The bar leaves one text height above and
// below it; labels are spread over every 1st, 2nd, 3rd, 4th, 6th or 12th
// scale point, the first spacing that keeps them 1.5 text heights apart.
LevelLegendPlan PlanLevelLegend(int height, int textHeight, int widestText, int minDb, int maxDb,
                                bool splCalibrated);

// The palette index the picture gives the level of bar row y: the level
// Min + f·(Max − Min), f running from 0 on the bottom row to 1 on the top,
// mapped as a level code is (trunc(f·240)), limited to the scale 5 … 235.
int LevelLegendIndex(const LevelLegendPlan& plan, int y);

}  // namespace sonavue::render
