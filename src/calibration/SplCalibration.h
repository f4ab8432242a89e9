#pragma once

#include <optional>

namespace sonavue::app {
class App;
}

namespace sonavue::calibration {

// Sound pressure level calibration: one number, the control (0 … 120, 60
// the middle), whose SPL factor 10^((control − 60) / 20) turns the
// program's relative levels into dB SPL.

// "Sound Pressure Level Cal" › "Calibrate": opens the modeless "SPL
// Calibration" dialog (levels include the SPL factor while it is open; the
// calibration sound plays for "Sound Meter") and runs Scan Input as a live
// mono 48000 Hz scope until the dialog's OK or Cancel. When the input cannot
// be opened the dialog stays open with no level. Does nothing while an
// operation runs or a calibration is under way.
void SplCalibrateCommand(app::App& app);

// The dialog's end: OK keeps the control (AcceptSplCalibration), Cancel
// puts back the calibration as it was when the dialog opened. Either way
// the sound stops, the scan stops, the dialog closes and the calibration
// state ends.
void FinishSplCalibration(app::App& app, bool ok, bool gainLockOn);

// What OK stores: today's date, the gain lock chosen (the gain setting at
// the time becomes the locked gain first, so that the lock holds the gain
// the calibration was made with), the calibrated flag and the calibrated
// level ranges (sonogram 30 … 120 dB, scope −60 … 120 dB).
void AcceptSplCalibration(app::App& app, bool gainLockOn);

// The control position at which a level measured without SPL factor reads
// knownDb: 60 + knownDb − measuredDb, rounded half away from zero. Nothing
// when it lies outside 0 … 120 (the control spans ±60 dB).
std::optional<int> ControlForLevel(double measuredDb, double knownDb);

// The level read with the control's SPL factor: measuredDb + control − 60.
double CalibratedLevel(double measuredDb, int control);

}  // namespace sonavue::calibration
