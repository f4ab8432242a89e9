#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "plans/ScopeCurves.h"
#include "plans/ScopeScales.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// The scope displays ("Scope 1", "Scope 2"): drawing the frame and scales,
// the curves, the grid, and the hooks the live engines call. The numbers
// come from ScopeCurves and ScopeScales; this file only paints them.

// How a scope picture is drawn: the screen passes the defaults; image
// export and printing pass their scale and chosen font, JPEG targets
// swapped colours.
struct ScopeDrawOptions {
  float scale = 1.0F;       // drawing scale k
  std::string chosenFont;   // font family of the image settings; empty: "Arial"
  bool swapColors = false;  // red and blue exchanged (targets read red first)
};

// Draws what other parts own over a finished scope picture (the frequency
// markers) into target at the options' scale. Called only when a marker is
// set.
using ScopeOverlay =
    std::function<void(app::App&, platform::DisplayBitmap&, const ScopeDrawOptions&)>;

// Which live curves the display shows: Mono for one channel, else by the
// channels choice.
ScopeChannels ScopeChannelsFor(const app::App& app);
// The scope's layout inputs: display area, scope points and display font.
ScopeGeometryInput ScopeGeometryInputFor(const app::App& app, float scale);
ScopeScaleParams ScopeScaleParamsFor(const app::App& app, const ScopeDrawOptions& options);
// The curves of the stored frame, peak hold (when on) and reference (while
// shown); the spans borrow from app.
ScopeCurveInput ScopeCurveInputFor(const app::App& app, float scale);

// Painting of the plans, by palette index through colors.
void PaintScopeCurves(platform::DisplayBitmap& target, const ScopeCurvePlan& plan,
                      const platform::ColorTable& colors, bool swapColors);
void PaintScopeAxes(platform::DisplayBitmap& target, const ScopeAxesPlan& plan, platform::Rgb text,
                    platform::Rgb background);

// The frame and both scales, text opaque in the Text colour on the
// Background colour. Does nothing for the sonogram displays or a null target.
void DrawScopeAxes(app::App& app, platform::DisplayBitmap& target,
                   const ScopeDrawOptions& options = {});

// The scope grid in the Text colour, pen width round(k). Does nothing for the
// sonogram displays or a null target.
void DrawScopeGrid(app::App& app, platform::DisplayBitmap& target,
                   const ScopeDrawOptions& options = {});

// Rebuilds the scope on the screen: the display image is filled with the
// Background, gets the reference, the peak hold and the live curves and the
// scales, and is copied to the window; then the grid (GRID on) and the
// markers (either marker set) go over the window. Does nothing while no
// display image or no stored frame exists, or for "L-R Signal Delta".
void DrawScope(app::App& app, const ScopeOverlay& markers = {});

// The same picture into an export or print target at the options' scale:
// Background over (0, 0)–(k·W, k·H), curves, scales, grid and markers, with
// the chosen font and swapped colours when asked. Same conditions as
// DrawScope.
void DrawScopeImage(app::App& app, platform::DisplayBitmap& target,
                    const ScopeDrawOptions& options, const ScopeOverlay& markers = {});

// Engine hooks.

// At the start of a scope run: forgets the previous frame and reserves
// every per-point buffer, so that the frames do not allocate. The reference
// spectrum is kept (it shows again while the band is the one it was
// captured with).
void BeginScopeRun(app::App& app);

// Per frame: keeps the frame's level codes (one per point; right empty for
// one channel) with the current gain setting, raises the peak-hold values
// to them while PEAK HOLD is on, and stores them as the reference when
// CAPTURE asked for it. Peak hold and capture take the channel shown
// (the right one for "Right").
void StoreScopeFrame(app::App& app, std::span<const std::int16_t> left,
                     std::span<const std::int16_t> right);

// Per frame, after StoreScopeFrame: redraws the plot of the display image
// (reference, peak hold, live curves or the L−R delta with its caption, then
// the frame). The caller copies the image to the window.
void DrawScopeFrame(app::App& app);

// CAPTURE: the next stored frame becomes the reference spectrum.
void RequestReferenceCapture(app::App& app);
// CLEAR: drops the reference spectrum and clears the plot.
void ClearReference(app::App& app);
// Fills the display image with the Background, redraws the frame and scales
// and copies it to the window (GRID off, PEAK HOLD switched, CLEAR).
void ClearScopePlot(app::App& app);

}  // namespace sonavue::render
