#pragma once

#include "output/WindowImage.h"
#include "platform/Geometry.h"

namespace sonavue::app {
class App;
}

namespace sonavue::output {

// Where the printed window lands on the page: scaled to 90 % of the page
// width (k = 0.9 × page width ÷ source width, single precision), the
// output width round(W·k) taken down to a multiple of 4, the height
// round(H·k), centred on the page (integer halves of the differences).
struct PrintPlacement {
  float scale = 1.0F;
  platform::Size output;
  platform::Point at;
};
PrintPlacement PlanPrintPage(platform::Size source, platform::Size page);

// The document name of a printed window.
inline constexpr const char* kPrintDocumentName = "Zideduzive";

// "Print Window": the print dialog (Cancel ends it), then one page with the
// window's display (the display area, DW × DH) rendered at the print scale
// and centred; the window is redrawn with its overlays. Does nothing while
// no display image exists or no printer is known. The renderer draws the
// image; image export may supply its own.
void PrintWindow(app::App& app, const WindowImageRenderer& render = RenderWindowImage);

}  // namespace sonavue::output
