#include "render/Palette.h"

#include <algorithm>

#include "context/App.h"
#include "context/CurrentParameters.h"
#include "context/Settings.h"

namespace sonavue::render {

void SelectPaletteColors(app::App& app, int paletteId) {
  app::SelectPaletteRecord(app, paletteId);
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
