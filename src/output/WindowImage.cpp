#include "output/WindowImage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "context/App.h"
#include "plans/PaletteIndex.h"
#include "render/Axes.h"
#include "render/Panels.h"
#include "render/Scope.h"
#include "render/SonogramGrid.h"

namespace sonavue::output {
namespace {

// The image settings' text font until they are stored: "Times New Roman".
constexpr const char* kImageFont = "Times New Roman";

void FailBox(app::App& app, const char* text) {
  const std::string caption = app.window != nullptr ? app.window->Caption() : std::string("Sonavue");
  app.prompts.MessageBox(text, caption, platform::BoxIcon::Error, platform::BoxButtons::Ok);
}

}  // namespace

void ResampleBilinear(const platform::DisplayBitmap& source, platform::DisplayBitmap& target) {
  if (source.IsNull() || target.IsNull()) return;
  const int sw = source.Width();
  const int sh = source.Height();
  const int tw = target.Width();
  const int th = target.Height();
  const double sx = tw > 1 ? static_cast<double>(sw - 1) / (tw - 1) : 0.0;
  const double sy = th > 1 ? static_cast<double>(sh - 1) / (th - 1) : 0.0;
  for (int y = 0; y < th; ++y) {
    const double fy = y * sy;
    const int y0 = std::min(static_cast<int>(fy), sh - 1);
    const auto dy = static_cast<float>(fy - y0);
    const int y1 = y0 + 1 < sh ? y0 + 1 : y0;
    const std::uint8_t* row0 = source.Row(y0);
    const std::uint8_t* row1 = source.Row(y1);
    std::uint8_t* out = target.Row(y);
    for (int x = 0; x < tw; ++x) {
      const double fx = x * sx;
      const int x0 = std::min(static_cast<int>(fx), sw - 1);
      const auto dx = static_cast<float>(fx - x0);
      const int x1 = x0 + 1 < sw ? x0 + 1 : x0;
      for (int c = 0; c < 3; ++c) {
        const float a = row0[3 * x0 + c];
        const float b = row1[3 * x0 + c];
        const float cc = row0[3 * x1 + c];
        const float d = row1[3 * x1 + c];
        const float g = a + (b - a) * dy;
        const float h = cc + (d - cc) * dy;
        out[3 * x + c] = static_cast<std::uint8_t>(g + (h - g) * dx);
      }
    }
  }
}

bool RenderWindowImage(app::App& app, platform::Size outputSize, platform::DisplayBitmap& out) {
  const int w = app.layout.displayWidth;
  const int h = app.layout.displayHeight;
  if (w < 2 || h < 2 || !out.Allocate(outputSize.w, outputSize.h)) {
    FailBox(app, "Not Enough Memory To Save Image");
    return false;
  }
  out.BindColors(&app.colors);
  const float scale = static_cast<float>(outputSize.w) / static_cast<float>(w);
  if (app.params.IsScopeDisplay()) {
    render::DrawScopeImage(app, out, {scale, kImageFont, false});
    return true;
  }

  platform::DisplayBitmap source;
  if (!source.Allocate(w, h)) {
    out.Release();
    FailBox(app, "Not Enough Memory For Bitmap");
    return false;
  }
  source.BindColors(&app.colors);
  source.FillRectIndex({0, 0, w, h}, render::kBackgroundIndex);
  // What the window shows of the display image, without the overlays that
  // are drawn again at the new scale.
  render::BlitDisplay(app);
  if (app.window != nullptr) source.Blit({0, 0}, app.window->Surface(), {0, 0, w, h});
  ResampleBilinear(source, out);

  render::AxesOptions options;
  options.scale = scale;
  options.chosenFont = kImageFont;
  options.closedFrame = true;
  render::DrawAxes(app, out, options);
  if (app.frame.grid) render::DrawSonogramGrid(app, out, options);
  return true;
}

}  // namespace sonavue::output
