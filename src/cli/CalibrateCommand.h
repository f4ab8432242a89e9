#pragma once

#include <string>
#include <vector>

namespace sonavue::cli {

// sonavue-cli calibrate spl --level DB [--seconds S] [--gain-lock on|off]:
// measures the default input (mono, 16-bit, 48000 Hz) for S seconds (5 by
// default) while a calibrator or a steady sound of known level DB (dB SPL)
// plays, sets the SPL Calibration Control so that the level reads DB, and
// stores the calibration in the settings file as the dialog's OK does
// (today's date, gain lock On unless asked otherwise). Returns the exit
// status: 0 stored, 1 refused (no input, a level out of the control's
// range), 2 bad arguments.
int RunCalibrate(const std::vector<std::string>& args);

}  // namespace sonavue::cli
