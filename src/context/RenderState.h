#pragma once

#include <cstdint>
#include <vector>

#include "context/ScopeState.h"
#include "plans/ColorRecord.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// What the engines and the pointer handling tell the drawing code about the
// picture on show. Times are milliseconds as analysed (before any division
// by the frequency multiplier).
struct DisplayView {
  // Time per display column as the scan engines measured it; 0 means "use
  // the parameter's time per column".
  float measuredColumnMs = 0.0F;
  double segmentStartMs = 0.0;  // the start times of the shown segment, summed
  double timeOriginMs = 0.0;    // time origin of the picture
  double scrollTimeMs = 0.0;    // time of the plot's left edge while a scan display scrolls
  int horizontalOffset = 0;     // first image column shown (horizontal scroll position)
  int columns = 0;              // analysed columns of the picture
  int channelCount = 1;         // channels of the signal shown: 1 or 2
  // The picture holds two channels one above the other (an analysed stereo
  // file): the right channel in the upper half, the left in the lower half.
  bool stackedChannels = false;
  int analysisRateHz = 48000;   // sample rate of the analysis (before the multiplier)
  int sourceBits = 16;          // bit depth of the source: 8, 16, 24 or 32
  bool recording = false;       // a recording to a WAV file runs
  bool dragSelect = false;      // a drag-select across the picture is in progress
  std::uint32_t elapsedMs = 0;  // time since a scan started
  double scopeTimeMs = 0.0;     // the moment a static scope shows (point spectrum)
  float frameTotalLevelDb = 0.0F;  // total level of the latest frame (scope displays)
  // Frame total level per analysed column (dB), left or only channel and right.
  std::vector<float> levelTraceLeft;
  std::vector<float> levelTraceRight;
};

// What a running PLAY or PLAY WDW has put on the window, so that a repaint
// from the display image can put it back.
struct PlayMarks {
  bool active = false;
  bool cursor = false;  // PLAY WDW's play cursor; otherwise PLAY's revealed columns
  int revealed = -1;    // PLAY: last column shown while the window fills (−1: none yet)
  int cursorX = -1;     // PLAY WDW: x of the cursor in the left (or only) half; −1: none
};

// The last readout that Log Points takes its values from.
struct ReadoutRecord {
  bool stored = false;
  double timeMs = 0.0;
  int frequencyHz = 0;
};

// What the drawing code keeps for the whole run: the colour records the
// colour table is built from, the cursor strip and the picture's view.
// Owned by App.
struct RenderState {
  ColorRecord cb = kCbColors;
  ColorRecord bw = kBwColors;
  ColorRecord current = kCbColors;  // the one the colour table is built from
  // 8 pixels wide, as tall as the screen: columns 0 … 3 hold the one-pixel
  // play-position line in Signal 1 (index 3), columns 4 and 5 the image
  // column saved under the line.
  platform::DisplayBitmap cursorStrip;
  DisplayView view;
  PlayMarks play;
  ReadoutRecord readout;
  ScopeState scope;  // the scope picture's data, peak-hold gain and reference spectrum
};

}  // namespace sonavue::render
