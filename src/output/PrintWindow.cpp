#include "output/PrintWindow.h"

#include <cmath>

#include "context/App.h"
#include "render/Panels.h"
#include "render/Scope.h"
#include "render/SonogramGrid.h"

namespace sonavue::output {
namespace {

int RoundHalfAway(float x) { return static_cast<int>(x < 0.0F ? -std::floor(-x + 0.5F) : std::floor(x + 0.5F)); }

// The window shows the picture with its grid again.
void RedrawWindow(app::App& app) {
  render::RedrawWithOverlays(app, [](app::App& a) {
    if (!a.frame.grid) return;
    if (a.params.IsScopeDisplay()) {
      render::DrawScopeGrid(a, a.window->Surface());
    } else {
      render::DrawSonogramGrid(a, a.window->Surface(), {});
    }
  });
}

}  // namespace

PrintPlacement PlanPrintPage(platform::Size source, platform::Size page) {
  PrintPlacement p;
  if (source.w <= 0 || source.h <= 0) return p;
  p.scale = 0.9F * static_cast<float>(page.w) / static_cast<float>(source.w);
  p.output.w = RoundHalfAway(static_cast<float>(source.w) * p.scale) / 4 * 4;
  p.output.h = RoundHalfAway(static_cast<float>(source.h) * p.scale);
  p.at = {(page.w - p.output.w) / 2, (page.h - p.output.h) / 2};
  return p;
}

void PrintWindow(app::App& app, const WindowImageRenderer& render) {
  if (app.display.IsNull() || app.printer == nullptr || app.window == nullptr) return;
  platform::Printer& printer = *app.printer;
  if (!printer.ChoosePrinter()) return;
  RedrawWindow(app);
  const auto page = printer.BeginDocument(kPrintDocumentName);
  if (!page) return;
  const platform::Size source{app.layout.displayWidth, app.layout.displayHeight};
  const PrintPlacement placement = PlanPrintPage(source, *page);
  platform::DisplayBitmap image;
  if (placement.output.w < 2 || placement.output.h < 2 || !render(app, placement.output, image)) {
    // Nothing is printed; the document ends so that the printer is free.
    printer.AbortDocument();
    RedrawWindow(app);
    return;
  }
  printer.DrawImage(image, placement.at);
  printer.EndDocument();
  RedrawWindow(app);
}

}  // namespace sonavue::output
