#pragma once

namespace sonavue::app {

class App;

// "Log Spectrum" and "Log Points", the latter with its modeless window.
void LogSpectrumCommand(App& app);
void LogPointsCommand(App& app);

}  // namespace sonavue::app
