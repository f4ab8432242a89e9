#include "plans/LevelLegendPlan.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "plans/ColorScale.h"
#include "plans/PaletteIndex.h"

namespace sonavue::render {

std::vector<std::string> LevelLegendTexts(int minDb, int maxDb, bool splCalibrated) {
  std::vector<std::string> texts;
  for (int point = 0; point < kScalePoints; ++point) {
    std::string text = ScalePointLabel(point, minDb, maxDb, splCalibrated);
    // The label format pads short levels on the right; the legend does not.
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (point == 0) text = "Min " + text;
    if (point == kScalePoints - 1) text = "Max " + text;
    texts.push_back(text);
  }
  return texts;
}

LevelLegendPlan PlanLevelLegend(int height, int textHeight, int widestText, int minDb, int maxDb,
                                bool splCalibrated) {
  LevelLegendPlan plan;
  const int text = std::max(1, textHeight);
  const int pad = std::max(4, text / 2);
  plan.bar = {pad, text, std::max(8, text), std::max(2, height - 2 * text)};
  plan.tickLength = std::max(2, pad / 2);
  plan.textX = plan.bar.x + plan.bar.w + plan.tickLength + pad / 2;
  plan.width = plan.textX + std::max(0, widestText) + pad;

  const std::vector<std::string> texts = LevelLegendTexts(minDb, maxDb, splCalibrated);
  const int segments = kScalePoints - 1;
  const double perPoint = static_cast<double>(plan.bar.h - 1) / segments;
  int step = segments;
  for (const int candidate : std::array<int, 6>{1, 2, 3, 4, 6, 12}) {
    if (perPoint * candidate >= 1.5 * text) {
      step = candidate;
      break;
    }
  }
  const int bottom = plan.bar.y + plan.bar.h - 1;
  for (int point = 0; point <= segments; point += step) {
    plan.labels.push_back({point, bottom - static_cast<int>(std::lround(point * perPoint)),
                           texts[static_cast<std::size_t>(point)]});
  }
  return plan;
}

int LevelLegendIndex(const LevelLegendPlan& plan, int y) {
  const int bottom = plan.bar.y + plan.bar.h - 1;
  const double f = plan.bar.h > 1 ? static_cast<double>(bottom - y) / (plan.bar.h - 1) : 1.0;
  const int index = static_cast<int>(std::trunc(std::clamp(f, 0.0, 1.0) * 240.0));
  return std::clamp(index, kFirstScaleIndex, kLastScaleIndex);
}

}  // namespace sonavue::render
