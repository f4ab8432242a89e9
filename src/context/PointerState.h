#pragma once

#include "platform/Geometry.h"

namespace sonavue::app {

// What the left and right mouse buttons are doing on the display area.
enum class MouseMode {
  None,
  DragSelect,  // left button held on a static sonogram: a time segment is being selected
  Box,         // right button held on an analysed sonogram: a rectangle is shown inverted
};

// The pointer's state between mouse messages: the mode and its press
// points, the inverted band or box on the window, the scope marker and the
// overlays a pan left undrawn.
struct PointerState {
  MouseMode mode = MouseMode::None;
  // Drag-select: x of the press and of the latest move (display columns
  // after the stereo fold); the window shows the columns between them
  // inverted.
  int dragStartX = 0;
  int dragLastX = 0;
  // Box mode: the press point (after the stereo fold) and the rectangle now
  // shown inverted (empty when none).
  platform::Point boxStart;
  platform::Rect boxShown;
  // A pan left the grid and the frequency markers undrawn; the next move
  // draws them.
  bool overlaysStale = false;
  // The marker a click sets on a scope display.
  bool scopeMarkerShown = false;
  platform::Point scopeMarker;
};

// What a point spectrum replaced, so that forgetting it (a resize, which
// also empties the snapshot stack) shows the sonogram's display again.
struct ReplacedDisplay {
  bool saved = false;
  int displayId = 0;
  int scopeLevelMin = 0;
  int scopeLevelMax = 0;
};

}  // namespace sonavue::app
