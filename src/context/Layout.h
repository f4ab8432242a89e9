#pragma once

#include <functional>
#include <string>

#include "context/App.h"
#include "platform/Geometry.h"

namespace sonavue::app {

// The window's first rectangle on a screen: 96 % of the screen width; on a
// landscape screen 90 % of its height, else three quarters of the width;
// centred, never above the top edge.
platform::Rect InitialWindowRect(platform::Size screen);

// Text measurement used by the layout, so that it can be computed without a
// window.
struct TextMeasure {
  std::function<platform::FontMetrics(const platform::FontSpec&)> font;
  std::function<int(const platform::FontSpec&, const std::string&)> width;
};
TextMeasure SystemTextMeasure();

// Height in pixels of the layout font for a client area W pixels wide: about
// W / 72, never below 1.
int LayoutFontPixelHeight(int clientWidth);

// Every value the layout step derives from the client size.
LayoutValues ComputeLayout(int clientWidth, int clientHeight, int captionHeight,
                           const TextMeasure& measure);

// Where the five buttons go for a layout and a display kind.
struct ButtonPlacement {
  platform::Rect play, playWindow, grid, peakHold, stop;
};
ButtonPlacement PlaceButtons(const LayoutValues& layout, bool scopeDisplay);

// Captions of PLAY and PLAY WDW for the display type and recording mode.
struct PlayCaptions {
  const char* play;
  const char* playWindow;
};
PlayCaptions PlayButtonCaptions(const CurrentParameters& params);

// The layout step: recomputes the layout values, places and captions the
// buttons and, unless keepBuffers, resets the peak-hold array and places the
// scroll bars. Inside an engine loop it only notes that a layout is pending.
void RunLayout(App& app, bool keepBuffers);

}  // namespace sonavue::app
