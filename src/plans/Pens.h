#pragma once

#include "plans/PaletteIndex.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// The fixed drawing pens, picked by role. A pen names a palette entry, or a
// fixed colour that is not in the palette (the stock white and black pens and
// the green of the reference spectrum).
enum class PenRole {
  White,           // stock white, width 1
  Black,           // stock black, width 1
  Text,            // index 0
  Green,           // fixed 0, 200, 0
  Background,      // index 4
  Signal1,         // index 3
  Signal2,         // index 2
  FreqMark,        // index 1
  WideBackground,  // index 4, width 2
  WideFreqMark,    // index 1, width 2
};

struct Pen {
  int paletteIndex = -1;  // −1: the fixed colour below
  platform::Rgb fixed;
  int width = 1;
};

inline constexpr platform::Rgb kWhite{255, 255, 255};
inline constexpr platform::Rgb kBlack{0, 0, 0};
inline constexpr platform::Rgb kReferenceGreen{0, 200, 0};

constexpr Pen PenFor(PenRole role) {
  switch (role) {
    case PenRole::White: return {-1, kWhite, 1};
    case PenRole::Black: return {-1, kBlack, 1};
    case PenRole::Text: return {kTextIndex, {}, 1};
    case PenRole::Green: return {-1, kReferenceGreen, 1};
    case PenRole::Background: return {kBackgroundIndex, {}, 1};
    case PenRole::Signal1: return {kSignal1Index, {}, 1};
    case PenRole::Signal2: return {kSignal2Index, {}, 1};
    case PenRole::FreqMark: return {kFreqMarkIndex, {}, 1};
    case PenRole::WideBackground: return {kBackgroundIndex, {}, 2};
    case PenRole::WideFreqMark: return {kFreqMarkIndex, {}, 2};
  }
  return {};
}

// The colour a pen draws with under a colour table.
inline platform::Rgb PenColor(const Pen& pen, const platform::ColorTable& table) {
  if (pen.paletteIndex < 0 || pen.paletteIndex >= platform::kColorTableSize) return pen.fixed;
  return table[static_cast<std::size_t>(pen.paletteIndex)];
}

}  // namespace sonavue::render
