#pragma once

namespace sonavue::app {

class App;

// Loads the settings file into the current parameters. Returns true when a
// whole record was read and applied; otherwise the first-start values stand.
bool LoadSettings(App& app);

// Writes the current parameters to the settings file; silent on failure.
void SaveSettings(App& app);

}  // namespace sonavue::app
