#pragma once

#include <cstdint>
#include <string>

#include "plans/ColorRecord.h"
#include "plans/PaletteIndex.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// The colour scale as data: the colour table built from a colour record, the
// palette index of a level code and the levels of the scale points.

// Fills the 236-entry colour table from a colour record: entries 0 … 4 are
// Text, Freq Mark, Signal 2, Signal 1 and Background; entry 5 + 20·k + j
// (up to 235) is step j of 20 from scale point k towards point k + 1, each
// channel truncated. Point 12 itself is never an entry.
void FillPaletteEntries(const ColorRecord& colors, platform::ColorTable& table);

// Palette index of a level code (quarter dB) between the sonogram Min and
// Max (whole dB): 0 for the code 0 ("no level"), else
// trunc((code − 4·Min) · 240 ÷ (4·(Max − Min))), so Min gives 0 and Max 240.
// The result is not limited; callers limit it with ClampToScale.
int LevelToColorIndex(std::int16_t code, int minDb, int maxDb);

// Limits a palette index to the drawable range 4 (Background) … 235.
int ClampToScale(int index);

// Level (whole dB, internal scale) of scale point k (0 … 12) between Min and
// Max, and its label "%-2.2f dB" in display units (minus 90 without SPL
// calibration).
double ScalePointLevel(int point, int minDb, int maxDb);
std::string ScalePointLabel(int point, int minDb, int maxDb, bool splCalibrated);

}  // namespace sonavue::render
