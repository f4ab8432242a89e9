#pragma once

namespace sonavue::app {
class App;
}
namespace sonavue::platform {
class DisplayBitmap;
class DrawingRecorder;
}

namespace sonavue::output {

// The level legend of an exported sonogram: picture copied into a new
// image with the legend strip at its right (PlanLevelLegend), drawn in the
// current palette's colours and the chosen image font at scale k. False
// when the memory for the new image cannot be had. With a recorder, the
// ticks and the numbers go to it (an SVG file keeps them as vectors and
// text); the colour bar is always drawn as pixels.
bool AddLevelLegend(const app::App& app, const platform::DisplayBitmap& picture, float k,
                    platform::DisplayBitmap& out, platform::DrawingRecorder* recorder = nullptr);

}  // namespace sonavue::output
