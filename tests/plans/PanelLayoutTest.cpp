#include "plans/PanelLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonavue::render {
namespace {

using platform::Point;
using platform::Rect;

TEST(PanelLayoutTest, BoxesAreCentredBelowTheScrollBar) {
  PanelLayoutInput v;
  v.clientHeight = 700;
  v.displayHeight = 595;
  v.scrollThickness = 18;
  v.charHeight = 15;
  v.charWidth = 7;
  v.columnGap = 30;
  v.bandTextWidth = 266;
  v.frequencyTextWidth = 259;
  v.bandLabelWidth = 140;
  v.frequencyLabelWidth = 147;
  const PanelLayout p = ComputePanelLayout(v);
  // The strip runs from 613 to 700 (87 high); boxes 67 high (4½ × 15) leave 10 above.
  EXPECT_EQ(p.info, (Rect{30, 623, 266, 67}));
  EXPECT_EQ(p.readout, (Rect{326, 623, 259, 67}));
  EXPECT_EQ(p.infoValueOffset, 140);
  EXPECT_EQ(p.readoutValueOffset, 147);
  // Four information rows centred in the box: (67 − 60) ÷ 2 = 3 below its top.
  EXPECT_EQ(InfoRowOrigins(p),
            (std::vector<Point>{{37, 626}, {37, 641}, {37, 656}, {37, 671}}));
  // Readout rows ¾ of a text height down; a quarter with the fourth (SPL) row.
  EXPECT_EQ(ReadoutRowOrigins(p, false), (std::vector<Point>{{333, 634}, {333, 649}, {333, 664}}));
  EXPECT_EQ(ReadoutRowOrigins(p, true).front(), (Point{333, 626}));
  EXPECT_EQ(ReadoutRowOrigins(p, true).size(), 4U);
}

}  // namespace
}  // namespace sonavue::render
