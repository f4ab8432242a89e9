#pragma once

#include "render/PaletteDefaults.h"

namespace sonavue::render {

// What the drawing code keeps for the whole run: the colour records the
// colour table is built from. Owned by App.
struct RenderState {
  ColorRecord cb = kCbColors;
  ColorRecord bw = kBwColors;
  ColorRecord current = kCbColors;  // the one the colour table is built from
};

}  // namespace sonavue::render
