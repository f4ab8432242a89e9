#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plans/PanelLayout.h"
#include "platform/DisplayBitmap.h"
#include "platform/Geometry.h"

namespace sonavue::app {
class App;
struct LayoutValues;
}  // namespace sonavue::app

namespace sonavue::render {

// System colours of the panel boxes.
inline constexpr platform::Rgb kButtonFace{240, 240, 240};
inline constexpr platform::Rgb kRecordingRed{220, 0, 0};

// The panel's layout inputs from the application's layout values, and the
// panel laid out from them (see plans/PanelLayout.h).
PanelLayoutInput PanelLayoutInputFor(const app::LayoutValues& layout);
PanelLayout ComputePanelLayout(const app::LayoutValues& layout);

// The values the readout box shows for a pointer position.
struct ReadoutTexts {
  std::string time;
  std::string frequency;
  std::string level;
  std::string totalSpl;  // empty without SPL calibration
  bool store = false;    // both coordinates non-zero: the values go to Log Points
  double timeMs = 0.0;
  int frequencyHz = 0;
};

// Computes the readouts at client point `pointer` (valid as the pointer
// handling decided; an invalid point shows the placeholders). Reads the
// colour of the display image under the pointer for the sonogram level.
ReadoutTexts ComputeReadouts(const app::App& app, platform::Point pointer, bool valid);

// The information box: band, channels, sample rate (analysisRateHz × m) and
// sample size, drawn into the window.
void DrawInfoPanel(app::App& app, int analysisRateHz);
// The readout box with its labels and placeholders.
void DrawReadoutLabels(app::App& app);
// Draws the readout values at pointer and, when both coordinates are
// non-zero, keeps the time and frequency for Log Points.
void UpdateReadouts(app::App& app, platform::Point pointer, bool valid);

// Copies the display image into the window's backing image: the frequency
// margin unscrolled and the plot and time strip at the horizontal offset
// (stacked stereo pictures by channel), or the whole display area for the
// scopes; with no image the display area is cleared to the Background.
void BlitDisplay(app::App& app);

// Redraws the display area from the display image.
void RedrawWindow(app::App& app);
// The same, then the overlays (grid and frequency markers) when GRID is on
// or a marker is set, a display image exists and no analysis is pending.
void RedrawWithOverlays(app::App& app, const std::function<void(app::App&)>& overlays);
// Fills the display area of the window with the Background colour.
void ClearDisplay(app::App& app);

}  // namespace sonavue::render
