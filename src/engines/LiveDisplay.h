#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sonavue::app {
class App;
struct CurrentParameters;
struct LayoutValues;
}

namespace sonavue::engines {

// The live displays that Scan Input and Scan File share: the run's layout,
// the column clock, the scrolling sonogram column, the level trace and the
// 20-frame level mean. The two engines differ only in where a frame comes
// from (the input buffers or the playing file).

// Everything fixed when a live run starts.
struct LiveRun {
  bool scope = false;
  bool dual = false;
  int channels = 1;
  int bytesPerSample = 2;
  int fftSize = 1024;
  std::int32_t rate = 48000;
  float stepMs = 10.0F;        // display time step
  int margin = 0;
  int columns = 0;             // per plot
  int rows = 0;
  int strip = 0;               // Hw of "Scroll 2"
  int bottom = 0;              // Hb
  int height = 0;              // picture height
  int halfWidth = 0;
  std::uint32_t firstFrameDelayMs = 0;
};

// The live engine's state between passes.
struct LiveState {
  std::uint32_t start = 0;
  std::int64_t frameCount = 0;   // frames drawn
  std::int64_t loopCount = 0;    // passes that reached the drawing step
  std::int64_t drawnColumn = 0;  // the column clock's position
  int column = 0;                // next sonogram column until the picture is full
  int phase = 0;                 // 0 … 3; the picture scrolls at 3
  int behindPasses = 0;
  std::uint32_t lastFrameMs = 0;
  std::uint32_t lastReadoutMs = 0;
  float stepMs = 10.0F;          // display time step, replaced by the measured one
  // Clock reading of every drawn column (a ring, 0 = empty), for the
  // measured time per column; and when the picture first filled.
  std::vector<std::uint32_t> stamps;
  std::uint32_t filledAt = 0;
  bool filled = false;
  bool scrolling = false;  // columns have gone past the right edge
  // The shown level is the mean of the last 20 frames' total levels.
  std::array<double, 20> levelHistory{};
  std::array<double, 2> frameLevel{};
  std::array<float, 2> high{};
  std::array<float, 2> low{};
};

// Once this many passes have been made, the averaging weight follows the
// measured time between frames rather than the nominal step.
inline constexpr std::int64_t kSettledPasses = 100;
// How often the readouts are redrawn while live: twenty times a second is
// more than numbers read by eye need, and each redraw repaints the window.
inline constexpr std::uint32_t kReadoutIntervalMs = 50;

// Pure: the live run the settled parameters and the layout describe (the
// rate, channels and bits of the current parameters; a file scan puts in
// its file's). latencyMs delays the first frame behind the frame's length.
LiveRun PlanLiveRun(const app::CurrentParameters& p, const app::LayoutValues& v, std::int64_t latencyMs);

// Plot width of a live display: the display less the margin; in "Dual" view
// half the display less the margin.
int LivePlotWidth(const app::App& app, bool dual);

// The automatic resolution of the current band and scale at rateHz, and the
// FFT size for it.
void ChooseAutomaticResolution(app::App& app, std::int32_t rateHz, bool scope, float stepMs);

// What the column clock says about one pass of a sonogram: whether to
// analyse a new frame (behind the clock: repeat the last column instead)
// and whether to draw (ahead of it: analyse only, then wait).
struct ColumnPace {
  bool analyse = true;
  bool draw = true;
};
// The column expected sinceStartMs into the run is sinceStartMs ÷ the step,
// rounded; a display more than one column behind repeats columns for two
// passes and then jumps to it, one more than one column ahead waits.
ColumnPace PaceColumn(LiveState& state, std::uint32_t sinceStartMs);

// Records the frame's total levels (state.frameLevel) in the 20-frame
// history and shows its mean: the left (or only) channel, the right one for
// "Right", and the mean of both amplitudes for "Dual".
void ShowFrameLevel(app::App& app, const LiveRun& run, LiveState& state);

// Appends the frame's total levels to the per-column level trace (one value
// per column; once full it shifts left by one and appends).
void TraceLevels(app::App& app, const LiveRun& run, const LiveState& state);

// Draws the live sonogram's column, scrolls it every fourth column once
// full, measures the time per column and scrolls the time axis with the
// picture.
void DrawLiveColumn(app::App& app, const LiveRun& run, LiveState& state, const std::vector<std::int16_t>* codes);

// A fresh window-sized display image for the run, filled with the
// background, with the scope frame or the sonogram axes, shown in the
// window; the view describes the run. False when the image cannot be had.
bool OpenLiveDisplay(app::App& app, const LiveRun& run);

}  // namespace sonavue::engines
