#include "output/LevelLegend.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "context/App.h"
#include "context/ImageSettings.h"
#include "plans/LevelLegendPlan.h"
#include "plans/PaletteIndex.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::output {

bool AddLevelLegend(const app::App& app, const platform::DisplayBitmap& picture, float k,
                    platform::DisplayBitmap& out, platform::DrawingRecorder* recorder) {
  const app::CurrentParameters& p = app.params;
  platform::FontSpec font;
  font.family = app::ImageFontFamily(app.image.fontId);
  font.pixelHeight = std::max(8, static_cast<int>(std::lround(app.layout.font.pixelHeight * k)));
  const int textHeight = platform::MeasureFont(font).height;
  int widest = 0;
  for (const std::string& text : render::LevelLegendTexts(p.sonogramLevelMin, p.sonogramLevelMax, p.splCalibrated)) {
    widest = std::max(widest, platform::TextWidth(font, text));
  }
  const int h = picture.Height();
  const render::LevelLegendPlan plan =
      render::PlanLevelLegend(h, textHeight, widest, p.sonogramLevelMin, p.sonogramLevelMax, p.splCalibrated);
  const int w = picture.Width();
  if (!out.Allocate(w + plan.width, h)) return false;
  out.BindColors(&app.colors);
  out.Blit({0, 0}, picture, {0, 0, w, h});
  out.FillRectIndex({w, 0, plan.width, h}, render::kBackgroundIndex);

  const int left = w + plan.bar.x;
  for (int y = plan.bar.y; y < plan.bar.y + plan.bar.h; ++y) {
    out.FillRectIndex({left, y, plan.bar.w, 1}, render::LevelLegendIndex(plan, y));
  }
  const int right = left + plan.bar.w;
  out.BindRecorder(recorder);
  for (const render::LevelLegendLabel& label : plan.labels) {
    out.LineIndex({right, label.y}, {right + plan.tickLength - 1, label.y}, render::kTextIndex);
    const int top = std::clamp(label.y - textHeight / 2, 0, std::max(0, h - textHeight));
    out.TextIndex({w + plan.textX, top}, label.text, font, render::kTextIndex);
  }
  out.BindRecorder(nullptr);
  return true;
}

}  // namespace sonavue::output
