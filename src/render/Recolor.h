#pragma once

#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// Gives a finished picture the colours of a new colour table without
// analysing it again: every pixel that holds the colour of an entry of
// `from` gets the colour of the same entry of `to`; pixels of no entry
// (anti-aliased text) stay. When `from` holds one colour at two entries
// that `to` tells apart, the pixels of that colour take the lower entry's
// new colour, and the result is false: the picture is then not exactly what
// drawing it anew would give. Runs over the whole image; not for per-frame use.
bool RecolorImage(platform::DisplayBitmap& image, const platform::ColorTable& from,
                  const platform::ColorTable& to);

// Whether RecolorImage from `from` to `to` is exact (see above).
bool RecolorIsExact(const platform::ColorTable& from, const platform::ColorTable& to);

}  // namespace sonavue::render
