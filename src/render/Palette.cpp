#include "render/Palette.h"

#include <algorithm>

#include "context/App.h"
#include "context/CurrentParameters.h"

namespace sonavue::render {

void SelectPaletteColors(app::App& app, int paletteId) {
  switch (paletteId) {
    case app::ID_PALETTE_BW: app.render.current = app.render.bw; break;
    case app::ID_PALETTE_USER: app.render.current = app.params.userPalette; break;
    default: app.render.current = app.render.cb; break;
  }
  ApplyPalette(app);
}

void ApplyPalette(app::App& app) {
  FillPaletteEntries(app.render.current, app.colors);
  app.display.BindColors(&app.colors);
  if (app.window != nullptr) app.window->Surface().BindColors(&app.colors);

  platform::DisplayBitmap& strip = app.render.cursorStrip;
  const int height = std::max({1, app.screen.h, app.layout.clientHeight});
  if (strip.IsNull() || strip.Height() != height) strip.Allocate(kCursorStripWidth, height);
  strip.BindColors(&app.colors);
  strip.FillRectIndex({0, 0, 4, strip.Height()}, kSignal1Index);
}

}  // namespace sonavue::render
