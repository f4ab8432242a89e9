#include "plans/PointerRules.h"

#include <algorithm>

namespace sonavue::render {

int FoldStereoX(int x, int displayWidth, bool dual) {
  x = std::max(0, x);
  if (!dual) return x;
  if (x >= displayWidth) return 0;
  if (x >= displayWidth / 2) return x - displayWidth / 2;
  return x;
}

CursorPoint CursorPointFor(const PointerArea& area, platform::Point raw) {
  CursorPoint p;
  p.x = area.scope ? std::max(0, raw.x) : FoldStereoX(raw.x, area.displayWidth, area.dual);
  p.y = std::max(0, raw.y);
  p.column = p.x + area.horizontalOffset;
  if (area.scope) {
    p.valid = raw.y >= 1 && raw.y < area.displayHeight;
  } else {
    const int axisBottom = area.displayHeight - 2 * area.charHeight;
    p.valid = raw.y >= 1 && raw.y < axisBottom && p.x >= area.leftMargin;
  }
  return p;
}

}  // namespace sonavue::render
