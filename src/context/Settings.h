#pragma once

#include <filesystem>
#include <vector>

namespace sonavue::app {

class App;

inline constexpr const char* kSettingsFileName = "sonv16.ini";

// Where the settings file is looked for and written, in order: beside the
// executable, in the user's configuration folder, in the working folder.
std::vector<std::filesystem::path> SettingsFileCandidates(const App& app);

// Loads the settings file into the current parameters. The first candidate
// that can be opened decides: a whole record of the right size is applied
// (returns true); a file of any other size is deleted and the first-start
// values are used (returns false), as they are when no file exists.
bool LoadSettings(App& app);

// Fills the settings record from the current parameters and writes it to the
// first candidate folder that takes it. The file is replaced whole or not at
// all (written beside, then renamed over the old one); failure is silent.
void SaveSettings(App& app);

// Makes the colour record of a palette choice (CB, BW or User) the current
// one and rebuilds the colour table from it.
void SelectPaletteRecord(App& app, int paletteId);

// Brings the program back to a clean state after a failed run: frees the
// display and its per-column levels, enters the scan-idle menu state and
// puts back the parameters of the settings file (or fixed safe values when
// it cannot be read) with the colours of their palette. Never reports
// anything.
void RestoreAfterFailure(App& app);

}  // namespace sonavue::app
