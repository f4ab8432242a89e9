#pragma once

namespace sonavue::app {
class App;
}

namespace sonavue::render {

// Questions about the display on show that several drawing parts ask.

// A stereo sonogram shown as two plots side by side ("Dual").
bool IsDualView(const app::App& app);
// The display is "Scroll 2" (sonogram with a waveform strip).
bool IsScroll2(const app::App& app);
// The frequency axis is logarithmic ("Log" or "Oct/3").
bool IsLogScale(const app::App& app);
// The divisor of displayed times: the frequency multiplier under "Time Exp",
// else 1.
double TimeDivisor(const app::App& app);
// The frequency multiplier, at least 1.
int Multiplier(const app::App& app);

}  // namespace sonavue::render
