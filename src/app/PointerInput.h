#pragma once

#include "platform/Geometry.h"
#include "platform/NativeWindow.h"

namespace sonavue::app {

class App;

// The mouse and the two scroll bars of the main window: the pointer shape,
// the cursor point and its validity for the readouts, drag-select (zoom and
// point spectrum), box mode, the scope marker, panning and the gain bar.

// The pointer moved over the client area (client coordinates).
void HandleMouseMove(App& app, platform::Point position);
void HandleLeftButtonDown(App& app, platform::Point position);
// The end of a drag-select: a zoom, or for a click a point spectrum.
void HandleLeftButtonUp(App& app, platform::Point position);
void HandleRightButtonDown(App& app, platform::Point position);
void HandleRightButtonUp(App& app, platform::Point position);

// The horizontal scroll bar: pans a sonogram wider than the window (lines
// 4 columns, pages 100, the thumb directly), within 0 … the range.
void HandleHorizontalScroll(App& app, platform::ScrollAction action, int position);
// The vertical scroll bar: the gain setting, position − 30 in 0 … 60
// (lines 1, pages 5, the released thumb directly), asking first while the
// gain lock is On; then the picture is analysed again or redrawn.
void HandleVerticalScroll(App& app, platform::ScrollAction action, int position);

// The pointer left the client area: the readouts show their placeholders.
void BlankReadouts(App& app);
// What the pointer shows over a repainted window: the drag-select band,
// the box and the scope marker.
void DrawPointerMarks(App& app);

// "Display Freq Mark" › "On": the markers dialog, then the check marks and
// the picture with its markers.
void FrequencyMarkersCommand(App& app);

}  // namespace sonavue::app
