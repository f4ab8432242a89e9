#pragma once

#include <QFont>

#include "platform/DisplayBitmap.h"

namespace sonavue::platform {

// The Qt font for a font record: family, pixel height (at least 1), weight.
QFont ToQFont(const FontSpec& font);

}  // namespace sonavue::platform
