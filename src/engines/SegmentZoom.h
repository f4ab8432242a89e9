#pragma once

#include <cstdint>

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// The drag-select zoom of a finished static sonogram: the dragged time
// segment is analysed again so that it fills the plot, with a finer
// resolution allowed.

// What the zoom is worked out from: the picture on show and the drag.
struct ZoomInput {
  double startMs = 0.0;     // t0: start of the analysed segment in the file (analysis time)
  double columnMs = 10.0;   // Δt of the picture
  int offset = 0;           // s: horizontal scroll position
  int leftMargin = 0;       // Mx
  int pressX = 0;           // x of the press and of the release, after the stereo fold
  int releaseX = 0;
  std::int32_t rateHz = 48000;  // analysis rate fs
  int channels = 1;
  int bytesPerSample = 2;
  std::int64_t dataEndByte = 0;  // end of the analysed data in the file's data bytes
  int displayWidth = 0;     // W
  bool dual = false;        // stereo "Dual": two plots side by side
  float resolutionHz = 0.0F;  // R of the picture
};

// The zoomed analysis.
struct ZoomPlan {
  bool ok = false;
  std::int64_t startByte = 0;  // of the file's data, a whole sample frame
  std::int64_t endByte = 0;    // start + span, at most the data's end
  double spanS = 0.0;          // display width: a multiple of 0.1 s, 0.1 … 60 s
  float columnMs = 0.0F;       // Δt′ = span × 1000 ÷ plot width
  float minResolutionHz = 0.0F;  // Rmin = 1000 ÷ (12 Δt′)
  float resolutionHz = 0.0F;     // max(R, Rmin)
  double beginS = 0.0;           // t0′ = start ÷ B
};

// Bytes per second B = fs × bytes per sample × channels.
double BytesPerSecond(std::int32_t rateHz, int channels, int bytesPerSample);

// Column time t(x) = t0 + Δt × (x + s − Mx) in ms.
double ColumnTimeMs(double startMs, double columnMs, int x, int offset, int leftMargin);

// Works the zoom out. A drag from left to right takes its segment from the
// middle of the press column to the middle of the release column
// ((t0 + Δt × (x + s − Mx + 0.5)) × B ÷ 1000); a drag from right to left
// from the release column to the press column without the half column. The
// start is at least 0 and a whole sample frame; the end at most the data's
// end. The span (end − start) ÷ B is cut down to a multiple of 0.1 s and
// limited to 0.1 … 60 s, and the end becomes start + span × B (at most the
// data's end). Δt′ = span × 1000 ÷ (W − Mx), "Dual" span × 2000 ÷ (W − 2 Mx).
// Not ok for a plot without width.
ZoomPlan PlanZoom(const ZoomInput& input);

// The zoom of a release at a column other than the press column (x after
// the stereo fold): saves the shown analysis as a parameter snapshot (F6
// returns to it), sets the zoom's parameters (begin
// t0′, end start + span plus one frame of N samples per channel so that the
// last column has a whole frame, display width, Δt′, resolution, FFT size)
// and analyses the segment as Analyze File does ("Sample Rate Out of Range",
// "Not enough memory", "Time Scale Too Small"); a refused zoom puts the
// parameters back and drops its snapshot. The caller has checked that a
// zoom may run.
void ZoomToSegment(app::App& app, int pressX, int releaseX);

}  // namespace sonavue::engines
