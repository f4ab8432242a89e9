#pragma once

#include <functional>

#include "platform/DisplayBitmap.h"
#include "platform/Geometry.h"

namespace sonavue::app {
class App;
}

namespace sonavue::output {

// The window's display drawn anew at another size, as image export and
// printing use it.

// Bilinear resampling of source into target (both allocated, each side at
// least 2 pixels in the target): per target pixel the source position
// x·(sw − 1)/(tw − 1), y·(sh − 1)/(th − 1); each colour byte interpolated
// between the four neighbours and truncated. Equal sizes copy unchanged.
void ResampleBilinear(const platform::DisplayBitmap& source, platform::DisplayBitmap& target);

// Renders what the window's display area shows (DW × DH) into out at
// outputSize (scale k = outputSize.w / DW): a sonogram is copied, resampled
// and gets its axes and grid redrawn at scale k with the closed frame; a
// scope is drawn whole at scale k. Text in the image settings' font. On a
// memory failure the box is shown ("Not Enough Memory To Save Image",
// "Not Enough Memory For Bitmap") and false is returned.
bool RenderWindowImage(app::App& app, platform::Size outputSize, platform::DisplayBitmap& out);

// How the window image is rendered; printing takes it as a parameter so
// that image export's own rendering can take its place.
using WindowImageRenderer =
    std::function<bool(app::App& app, platform::Size outputSize, platform::DisplayBitmap& out)>;

}  // namespace sonavue::output
