#pragma once

namespace sonavue::app {
class App;
}

namespace sonavue::calibration {

// Frequency response calibration against a broadband white-noise source:
// two live passes of Scan Input at 48000 Hz, stereo (left channel) then
// mono, 10 s each, give the two correction tables.

// "Frequency Response Cal" › "Calibrate": asks for the noise source (OK or
// Cancel); on OK zeroes both tables and runs the passes. When they cannot
// complete (the input cannot be opened) the calibration ends and the tables
// and averaging are put back as they were. Does nothing while an operation
// runs or a calibration is under way.
void ResponseCalibrateCommand(app::App& app);

// "Calibration Status": the modal dialog with both calibrations' dates.
void CalibrationStatusCommand(app::App& app);

}  // namespace sonavue::calibration
