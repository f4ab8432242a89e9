#include "plans/PointerRules.h"

#include <gtest/gtest.h>

namespace sonavue::render {
namespace {

// A sonogram area 800 × 500 with ch = 15 (the frequency axis ends at
// 500 − 30 = 470) and a margin of 60.
PointerArea Sonogram(int offset = 0, bool dual = false) {
  return {.displayWidth = 800, .displayHeight = 500, .charHeight = 15, .leftMargin = 60,
          .horizontalOffset = offset, .dual = dual, .scope = false};
}

TEST(PointerRulesTest, TheStereoFoldMapsTheRightHalfOntoTheLeft) {
  EXPECT_EQ(FoldStereoX(100, 800, true), 100);
  EXPECT_EQ(FoldStereoX(399, 800, true), 399);
  EXPECT_EQ(FoldStereoX(400, 800, true), 0);
  EXPECT_EQ(FoldStereoX(500, 800, true), 100);
  EXPECT_EQ(FoldStereoX(800, 800, true), 0);  // at or beyond the width
  EXPECT_EQ(FoldStereoX(-7, 800, true), 0);
  // Without the fold only a negative x changes.
  EXPECT_EQ(FoldStereoX(500, 800, false), 500);
  EXPECT_EQ(FoldStereoX(-1, 800, false), 0);
}

TEST(PointerRulesTest, ASonogramPointIsValidOnlyInsideThePlot) {
  const PointerArea area = Sonogram();
  EXPECT_TRUE(CursorPointFor(area, {300, 200}).valid);
  // The top row and the row above it.
  EXPECT_FALSE(CursorPointFor(area, {300, 0}).valid);
  EXPECT_TRUE(CursorPointFor(area, {300, 1}).valid);
  // The bottom of the frequency axis: the last valid row is just above it.
  EXPECT_TRUE(CursorPointFor(area, {300, 469}).valid);
  EXPECT_FALSE(CursorPointFor(area, {300, 470}).valid);
  EXPECT_FALSE(CursorPointFor(area, {300, 499}).valid);
  // The margin: the first plot column is valid, the column left of it not.
  EXPECT_FALSE(CursorPointFor(area, {59, 200}).valid);
  EXPECT_TRUE(CursorPointFor(area, {60, 200}).valid);
  // A negative position counts as 0 and is not valid.
  const CursorPoint negative = CursorPointFor(area, {-5, -5});
  EXPECT_EQ(negative.x, 0);
  EXPECT_EQ(negative.y, 0);
  EXPECT_FALSE(negative.valid);
}

TEST(PointerRulesTest, APannedSonogramKeepsTheMarginInvalidAndCountsImageColumns) {
  const PointerArea area = Sonogram(250);
  const CursorPoint inPlot = CursorPointFor(area, {100, 200});
  EXPECT_TRUE(inPlot.valid);
  EXPECT_EQ(inPlot.column, 350);
  // Over the unscrolled frequency labels nothing is read out, however far
  // the picture was panned.
  EXPECT_FALSE(CursorPointFor(area, {30, 200}).valid);
}

TEST(PointerRulesTest, InDualARightHalfPointReadsTheSameColumnAsTheLeftHalf) {
  const PointerArea area = Sonogram(0, true);
  const CursorPoint left = CursorPointFor(area, {150, 200});
  const CursorPoint right = CursorPointFor(area, {550, 200});
  EXPECT_EQ(left.column, right.column);
  EXPECT_TRUE(right.valid);
  // The right half's margin is a margin too.
  EXPECT_FALSE(CursorPointFor(area, {430, 200}).valid);
}

TEST(PointerRulesTest, AScopePointIsValidDownToTheBottomOfTheDisplayArea) {
  PointerArea area = Sonogram();
  area.scope = true;
  EXPECT_FALSE(CursorPointFor(area, {30, 0}).valid);
  EXPECT_TRUE(CursorPointFor(area, {30, 1}).valid);  // no margin on a scope
  EXPECT_TRUE(CursorPointFor(area, {300, 499}).valid);
  EXPECT_FALSE(CursorPointFor(area, {300, 500}).valid);
  // No stereo fold on a scope.
  area.dual = true;
  EXPECT_EQ(CursorPointFor(area, {600, 100}).x, 600);
}

}  // namespace
}  // namespace sonavue::render
