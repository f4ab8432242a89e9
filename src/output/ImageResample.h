#pragma once

#include "output/PixelView.h"

namespace sonavue::output {

// Resamples source into target (any sizes of at least one pixel) by
// bilinear interpolation, byte by byte. Rows are counted from the bottom
// in both pictures, as the saved images store them: output row y (from the
// bottom) and column x sample the source at
//   fy = y × (source height − 1) ÷ (output height − 1),
//   fx = x × (source width − 1) ÷ (output width − 1)     (double precision),
// between rows y0 = trunc(fy) and y0 + 1 (y0 alone on the last source row)
// and columns x0 = trunc(fx) and x0 + 1 likewise; in single precision
//   g = a + (b − a)·dy,  h = c + (d − c)·dy,  value = trunc(g + (h − g)·dx)
// with a, b at (x0, y0), (x0, y1) and c, d at (x1, y0), (x1, y1). A target
// of the source's size is an exact copy. A one-pixel side samples the
// source's first (bottom or left) pixel.
void ResampleBilinear(const PixelView& source, const MutablePixelView& target);

}  // namespace sonavue::output
