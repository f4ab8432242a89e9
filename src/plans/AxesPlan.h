#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/DisplayBitmap.h"
#include "platform/Geometry.h"

namespace sonavue::render {

// The sonogram axes as data: frame, fills and label positions and texts in
// drawn pixels, and the lines of the "Scroll 2" waveform strip. No drawing
// here.

// How the caller wants the axes drawn.
struct AxesOptions {
  float scale = 1.0F;           // drawing scale k (1 on screen)
  bool singleLayout = false;    // one plot even for a stereo "Dual" display
  bool wholeImage = false;      // the plot spans every analysed column, not the window
  bool timeOriginZero = false;  // time labels count from the picture's left edge
  std::string chosenFont;       // font family of the image settings; empty: "Arial"
  bool closedFrame = false;     // also the top and right edges of the plot frame
  bool swapColors = false;      // red and blue exchanged (targets read red first)
};

// Everything the axes are drawn from, at scale 1. render's AxesParamsFor
// fills it from the application; tests build it directly.
struct AxesParams {
  int width = 0;       // W: display-area width
  int height = 0;      // H: one channel's picture, plot and bottom strip
  int leftMargin = 0;  // Mx
  int charWidth = 0;   // cw of the display font
  int textHeight = 0;  // th of the display font
  int fontHeight = 0;  // fh: pixel height the display font is made with
  bool scroll2 = false;   // "Scroll 2": waveform strip at the top of the plot
  bool dual = false;      // two plots side by side (stereo "Dual", not single layout)
  int channelBlocks = 1;  // channel pictures stacked one above the other, each H tall
  double columnMs = 10.0;     // time per display column, ms (÷ m under "Time Exp")
  int columns = 0;            // analysed columns (whole image)
  int horizontalScroll = 0;   // horizontal scroll position, columns
  double segmentStartMs = 0.0;
  double originMs = 0.0;
  double scrollTimeMs = 0.0;
  double timeDivisor = 1.0;   // m under "Time Exp", else 1
  int lowHz = 0;
  int highHz = 0;
  int multiplier = 1;
  bool logarithmic = false;   // "Log" and "Oct/3"
  AxesOptions options;
};

// The waveform strip height Hw of "Scroll 2" for a picture H tall with text
// height th: an eighth of the plot height H − 2·th.
int WaveformStripHeight(int height, int textHeight);

struct AxesLabel {
  platform::Point topLeft;
  std::string text;
};

// What DrawAxes paints, in drawn pixels: background fills, then the frame
// polylines in the text colour, then the labels in the text colour.
struct AxesPlan {
  platform::FontSpec font;
  int penWidth = 1;
  int plotBottom = 0;  // B of the first channel picture
  int plotWidth = 0;   // P
  int leftMargin = 0;
  int textHeight = 0;
  int charWidth = 0;
  int waveformStrip = 0;  // Hw, 0 for "Scroll 1"
  std::vector<platform::Rect> fills;
  std::vector<std::vector<platform::Point>> frames;
  std::vector<AxesLabel> labels;
};

using TextWidthFn = std::function<int(const std::string&)>;

// Lays out the axes for a target imageWidth pixels wide (the right limit of
// the time labels); textWidth measures a label in the plan's font.
AxesPlan PlanAxes(const AxesParams& params, int imageWidth, const TextWidthFn& textWidth);

// The font of the axes: the display font's height × k, "Arial" unless a
// font was chosen.
platform::FontSpec AxesFont(const AxesParams& params);

struct StripLine {
  platform::Point from;
  platform::Point to;
  int paletteIndex = 0;
};

// The "Scroll 2" waveform strip lines: the separator at y = Hw (Signal 2,
// index 2) and the centre line at y = Hw ÷ 2 (Signal 1, index 3), from the
// left margin to right (inclusive); the pair repeats at + dx in each entry of
// offsets.
std::vector<StripLine> WaveformStripLines(int leftMargin, int right, int strip,
                                          const std::vector<platform::Point>& offsets);

}  // namespace sonavue::render
