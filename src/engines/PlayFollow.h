#pragma once

#include "audio/Playback.h"

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// PLAY and PLAY WDW on the static picture of the last analysis: starts the
// sound, then follows it until it ends, serving the window between passes.
// PLAY clears the display and reveals the sonogram column by column in step
// with the sound, scrolling the view (scroll bar and time axis with it) once
// the sound passes the right edge; PLAY WDW moves a one-pixel play cursor
// across the picture as it is (in both halves of "Dual"). The readouts
// follow each new column. At the end the window is repainted whole, and a
// layout change asked for while playing analyses the file again. Does
// nothing while anything else runs or plays, or without a picture.
void PlayCommand(app::App& app, audio::PlayKind kind);

// After the window was repainted from the display image while a playback
// runs: PLAY hides again the columns not yet heard (and redraws its time
// axis), PLAY WDW saves the column under its cursor again and redraws it.
void RepaintPlayback(app::App& app);

}  // namespace sonavue::engines
