#pragma once

#include "plans/SonogramGridPlan.h"
#include "platform/DisplayBitmap.h"
#include "render/Axes.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// The painting of the GRID overlay of the sonogram displays, from
// PlanSonogramGrid.

// Draws the sonogram grid into target in the Text colour (swapped if the
// options ask), pen width round(k). On the window nothing is drawn below
// the display area (see AxesParamsFor). Does nothing for the scope displays
// or a null target.
void DrawSonogramGrid(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options);
// The same from explicit parameters and colour.
void DrawSonogramGrid(platform::DisplayBitmap& target, const AxesParams& params,
                      platform::Rgb text);

}  // namespace sonavue::render
