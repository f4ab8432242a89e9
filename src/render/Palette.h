#pragma once

#include "plans/ColorScale.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// Width of the cursor strip in pixels.
inline constexpr int kCursorStripWidth = 8;

// Copies the colours of "CB" (1046), "BW" (1047), "User" (1048, the user
// palette of the current parameters) or "Perceptual" (1049) into the current
// record, then ApplyPalette. Any other value counts as "CB".
void SelectPaletteColors(app::App& app, int paletteId);

// Rebuilds the colour table from the current record and makes it the table
// of the display image, the window's backing image and the cursor strip;
// (re)creates the cursor strip and refills its columns 0 … 3 with Signal 1.
// Pixels already drawn keep their colours.
void ApplyPalette(app::App& app);

}  // namespace sonavue::render
