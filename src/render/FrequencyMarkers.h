#pragma once

#include "plans/AxesPlan.h"
#include "platform/DisplayBitmap.h"
#include "render/Scope.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// The painting of the two fixed frequency markers (plans/FrequencyMarkerPlan.h)
// in the "Freq Mark" colour, pen width round(k).

// Either marker is set (above 0).
bool FrequencyMarkersSet(const app::App& app);

// Over a sonogram target (the window or an image) at the options' scale.
// Does nothing for the scope displays or a null target.
void DrawSonogramMarkers(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options);

// Over a scope picture: the ScopeOverlay that DrawScope and DrawScopeImage
// take. Does nothing for the sonogram displays or a null target.
void DrawScopeMarkers(app::App& app, platform::DisplayBitmap& target, const ScopeDrawOptions& options);

// The overlays of the window: the grid when GRID is on and the markers when
// either is set, for the display type on show; nothing while no display
// image exists or an analysis is pending.
void DrawWindowOverlays(app::App& app);

}  // namespace sonavue::render
