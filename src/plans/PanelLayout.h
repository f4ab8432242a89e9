#pragma once

#include <vector>

#include "platform/Geometry.h"

namespace sonavue::render {

// Where the boxes and rows of the readout panel go, as data.

// The layout values the panel is placed from, in pixels.
struct PanelLayoutInput {
  int clientHeight = 0;
  int displayHeight = 0;
  int scrollThickness = 0;  // the horizontal scroll bar under the display area
  int charHeight = 0;       // th
  int charWidth = 0;        // cw
  int columnGap = 0;
  int bandTextWidth = 0;       // width of the information box
  int frequencyTextWidth = 0;  // width of the readout box
  int bandLabelWidth = 0;      // ci
  int frequencyLabelWidth = 0;  // cr
};

// Where the two sunken boxes of the readout panel go: both vertically
// centred in the strip below the horizontal scroll bar, 4½ text heights
// high; the information box at x = column gap, the readout box after it.
struct PanelLayout {
  platform::Rect info;
  platform::Rect readout;
  int infoValueOffset = 0;     // ci: from a label's x to its value's x
  int readoutValueOffset = 0;  // cr
  int textHeight = 0;
  int charWidth = 0;
};
PanelLayout ComputePanelLayout(const PanelLayoutInput& input);

// Top-left corners of the row labels: four information rows; three readout
// rows, or four with SPL calibration (Total SPL).
std::vector<platform::Point> InfoRowOrigins(const PanelLayout& panel);
std::vector<platform::Point> ReadoutRowOrigins(const PanelLayout& panel, bool splCalibrated);

}  // namespace sonavue::render
