#pragma once

#include "platform/Geometry.h"

namespace sonavue::render {

// Where the pointer is on the display area, as the readouts and the mouse
// buttons see it: pure rules, no window.

// The stereo fold of a "Dual" sonogram, which shows the two channels side
// by side in halves of the display area: an x at or beyond the width maps to
// 0, an x in the right half to x − width ÷ 2; any other x stays. Without the
// fold (dual false) only a negative x changes, to 0.
int FoldStereoX(int x, int displayWidth, bool dual);

struct PointerArea {
  int displayWidth = 0;   // DW
  int displayHeight = 0;  // DH
  int charHeight = 0;     // ch: the time strip is 2·ch high
  int leftMargin = 0;     // Mx
  int horizontalOffset = 0;  // first image column shown
  bool dual = false;      // stereo "Dual" sonogram
  bool scope = false;     // a scope display
};

struct CursorPoint {
  int x = 0;       // display column after the stereo fold, at least 0
  int y = 0;       // at least 0
  int column = 0;  // image column: x + horizontal offset
  bool valid = false;
};

// The cursor point of a pointer at client position raw, and whether the
// readouts may show values for it. Sonograms: not valid above y = 1, at or
// below the bottom of the frequency axis (DH − 2·ch), or over the left
// margin (the folded x left of Mx, where the frequency labels stay
// unscrolled). Scopes: not valid above y = 1 or at or below DH.
CursorPoint CursorPointFor(const PointerArea& area, platform::Point raw);

}  // namespace sonavue::render
