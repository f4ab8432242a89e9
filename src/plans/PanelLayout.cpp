#include "plans/PanelLayout.h"

namespace sonavue::render {

using platform::Point;

PanelLayout ComputePanelLayout(const PanelLayoutInput& v) {
  PanelLayout p;
  p.textHeight = v.charHeight;
  p.charWidth = v.charWidth;
  p.infoValueOffset = v.bandLabelWidth;
  p.readoutValueOffset = v.frequencyLabelWidth;
  const int height = 9 * v.charHeight / 2;
  const int stripTop = v.displayHeight + v.scrollThickness;
  const int top = stripTop + (v.clientHeight - stripTop - height) / 2;
  p.info = {v.columnGap, top, v.bandTextWidth, height};
  p.readout = {v.bandTextWidth + 2 * v.columnGap, top, v.frequencyTextWidth, height};
  return p;
}

std::vector<Point> InfoRowOrigins(const PanelLayout& p) {
  std::vector<Point> rows;
  const int first = p.info.y + (p.info.h - 4 * p.textHeight) / 2;
  for (int i = 0; i < 4; ++i) rows.push_back({p.info.x + p.charWidth, first + i * p.textHeight});
  return rows;
}

std::vector<Point> ReadoutRowOrigins(const PanelLayout& p, bool splCalibrated) {
  std::vector<Point> rows;
  const int count = splCalibrated ? 4 : 3;
  const int first = p.readout.y + (splCalibrated ? p.textHeight / 4 : 3 * p.textHeight / 4);
  for (int i = 0; i < count; ++i) {
    rows.push_back({p.readout.x + p.charWidth, first + i * p.textHeight});
  }
  return rows;
}

}  // namespace sonavue::render
