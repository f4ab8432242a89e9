#pragma once

#include <cstdint>
#include <string>

#include "platform/DisplayBitmap.h"
#include "context/PaletteDefaults.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// Palette indices of the five other colours; 5 … 235 are the colour scale.
inline constexpr int kTextIndex = 0;
inline constexpr int kFreqMarkIndex = 1;
inline constexpr int kSignal2Index = 2;
inline constexpr int kSignal1Index = 3;
inline constexpr int kBackgroundIndex = 4;
inline constexpr int kFirstScaleIndex = 5;
inline constexpr int kLastScaleIndex = 235;

// Positions inside a ColorRecord.
inline constexpr int kScalePoints = 13;  // records 0 … 12
inline constexpr int kRecordBackground = 13;
inline constexpr int kRecordSignal1 = 14;
inline constexpr int kRecordSignal2 = 15;
inline constexpr int kRecordFreqMark = 16;
inline constexpr int kRecordText = 17;

// Width of the cursor strip in pixels.
inline constexpr int kCursorStripWidth = 8;

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

// Copies the colours of "CB" (1046), "BW" (1047) or "User" (1048, the user
// palette of the current parameters) into the current record, then
// ApplyPalette. Any other value counts as "CB".
void SelectPaletteColors(app::App& app, int paletteId);

// Rebuilds the colour table from the current record and makes it the table
// of the display image, the window's backing image and the cursor strip;
// (re)creates the cursor strip and refills its columns 0 … 3 with Signal 1.
// Pixels already drawn keep their colours.
void ApplyPalette(app::App& app);

}  // namespace sonavue::render
