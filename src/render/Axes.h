#pragma once

#include "plans/AxesPlan.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// The painting of the sonogram axes and of the "Scroll 2" waveform strip
// lines, from the plans of plans/AxesPlan.h.

// The parameters of the current display for these options, drawn into
// target: layout, current parameters and the display view of the
// application. A picture of stacked channels gets the axes once per channel;
// the window shows one channel picture (or the two halves of "Dual") inside
// the display area, so on the window's backing image they are drawn once.
AxesParams AxesParamsFor(const app::App& app, const AxesOptions& options,
                         const platform::DisplayBitmap& target);

// Paints the frame, the frequency axis in the left margin and the time axis
// in the bottom strip into target, in the palette's Text colour on its
// Background colour. On the window nothing is drawn below the display area.
// Does nothing for the scope displays or a null target.
void DrawAxes(app::App& app, platform::DisplayBitmap& target, const AxesOptions& options);
// The same from explicit parameters and colours.
void DrawAxes(platform::DisplayBitmap& target, const AxesParams& params, platform::Rgb text,
              platform::Rgb background);

// Draws the waveform strip lines of a "Scroll 2" display: on the window
// (imageTarget false) across the display area, in each half for "Dual"; into
// an analysis image across its width, twice for stacked channels.
void DrawWaveformStripLines(app::App& app, platform::DisplayBitmap& target, bool imageTarget);

}  // namespace sonavue::render
