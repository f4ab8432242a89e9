#include "plans/LevelLegendPlan.h"

#include <gtest/gtest.h>

#include "plans/PaletteIndex.h"

namespace sonavue::render {
namespace {

TEST(LevelLegendPlanTest, TheTextsRunFromMinToMaxInDisplayUnits) {
  const std::vector<std::string> texts = LevelLegendTexts(0, 90, false);
  ASSERT_EQ(texts.size(), 13U);
  EXPECT_EQ(texts.front(), "Min -90.00 dB");
  EXPECT_EQ(texts[6], "-45.00 dB");
  EXPECT_EQ(texts.back(), "Max 0.00 dB");
  EXPECT_EQ(LevelLegendTexts(30, 90, true).back(), "Max 90.00 dB");
}

TEST(LevelLegendPlanTest, TheBarRunsFromTheLowestScaleColourAtTheBottomToTheHighestAtTheTop) {
  const LevelLegendPlan plan = PlanLevelLegend(600, 14, 90, 0, 90, false);
  const int top = plan.bar.y;
  const int bottom = plan.bar.y + plan.bar.h - 1;
  EXPECT_EQ(top, 14);
  EXPECT_EQ(bottom, 600 - 14 - 1);
  EXPECT_EQ(LevelLegendIndex(plan, bottom), kFirstScaleIndex);
  EXPECT_EQ(LevelLegendIndex(plan, top), kLastScaleIndex);
  // Upward the index never falls, and every colour of the scale appears.
  std::vector<bool> seen(kLastScaleIndex + 1, false);
  for (int y = bottom; y >= top; --y) {
    const int index = LevelLegendIndex(plan, y);
    if (y < bottom) {
      EXPECT_GE(index, LevelLegendIndex(plan, y + 1)) << y;
    }
    seen[static_cast<std::size_t>(index)] = true;
  }
  for (int i = kFirstScaleIndex; i <= kLastScaleIndex; ++i) EXPECT_TRUE(seen[static_cast<std::size_t>(i)]) << i;
  // Half way up is half way along the levels: index 120 of 240.
  EXPECT_NEAR(LevelLegendIndex(plan, (top + bottom) / 2), 120, 1);
  // Everything fits the strip.
  EXPECT_EQ(plan.width, plan.textX + 90 + 7);
  EXPECT_GT(plan.textX, plan.bar.x + plan.bar.w);
}

TEST(LevelLegendPlanTest, LabelsSitOnTheirLevelsAndKeepApart) {
  for (const int height : {60, 120, 250, 600, 2400}) {
    const LevelLegendPlan plan = PlanLevelLegend(height, 14, 90, 0, 90, false);
    ASSERT_GE(plan.labels.size(), 2U) << height;
    EXPECT_EQ(plan.labels.front().point, 0);
    EXPECT_EQ(plan.labels.front().text, "Min -90.00 dB");
    EXPECT_EQ(plan.labels.front().y, plan.bar.y + plan.bar.h - 1);
    EXPECT_EQ(plan.labels.back().point, 12);
    EXPECT_EQ(plan.labels.back().text, "Max 0.00 dB");
    EXPECT_EQ(plan.labels.back().y, plan.bar.y);
    for (std::size_t i = 1; i < plan.labels.size(); ++i) {
      EXPECT_GE(plan.labels[i - 1].y - plan.labels[i].y, 21) << height;  // 1.5 text heights
    }
  }
  EXPECT_EQ(PlanLevelLegend(2400, 14, 90, 0, 90, false).labels.size(), 13U);
  EXPECT_EQ(PlanLevelLegend(120, 14, 90, 0, 90, false).labels.size(), 5U);  // every third point
  EXPECT_EQ(PlanLevelLegend(60, 14, 90, 0, 90, false).labels.size(), 2U);
}

}  // namespace
}  // namespace sonavue::render
