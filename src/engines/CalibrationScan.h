#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/DisplayBitmap.h"

namespace sonavue::app {
class App;
struct CurrentParameters;
}  // namespace sonavue::app

namespace sonavue::platform {
struct CalendarDate;
}

namespace sonavue::engines {

// The Scan Input runs of the two calibrations: their preset parameters,
// the measurement of the frequency response pass by pass, and the caption
// of a running measurement. The calibration commands start the runs; these
// are the parts the engine itself needs.

// Start reasons of the calibration runs.
inline constexpr int kScanResponseCalibration = 6;
inline constexpr int kScanSplCalibration = 7;

// The parameters a calibration run starts with: a live mono 48000 Hz,
// 16-bit "Scope 1" on the Log scale over 20 … 24000 Hz, level range
// −60 … 120 dB, grid and recording off; the SPL run averages 200 ms at
// 20 Hz (N = 4096), the response run 10 s at 48000 / 16384 Hz (N = 16384),
// its first pass in stereo (left channel) after remembering the user's
// averaging. Other reasons change nothing.
void PresetCalibrationScan(app::App& app, int reason);

// The date stamp of a calibration: "month/day/year" without leading zeros.
std::string CalibrationDateText(const platform::CalendarDate& date);

// At the start of every engine run: a correction table whose entries are
// all 0 becomes all 1 (no correction), except while a response measurement
// runs.
void PrepareResponseTables(app::App& app);

// While a frequency-response pass runs: the table it measures into (the
// stereo table in pass 0, the mono one in pass 1), zeroed as the pass
// starts. Empty otherwise.
std::span<float> StartResponseMeasurement(app::App& app);

// Whether the running pass has measured for its averaging time.
bool ResponsePassDue(const app::App& app, std::uint32_t sinceStartMs);

// Ends the running pass after frames frames: the table becomes its factors.
// Pass 0 stops the scan (the second pass starts once the input has closed)
// and returns false. Pass 1 puts the user's averaging back, stamps the date,
// ends the calibration and redraws the information panel; it returns true:
// the scan goes on as a plain live scope (the caller erases the caption).
bool FinishResponsePass(app::App& app, std::int64_t frames);

// A pass that cannot finish (the input device failed): the table it was
// measuring into is left all 0 (no correction), the user's averaging comes
// back and the calibration ends.
void AbandonResponseCalibration(app::App& app);

// "Calibrating - Please Wait" centred above the scope plot, drawn into the
// display image after every frame of a response pass. Prepared once per
// run, so that the frames only copy pixels.
inline constexpr const char* kCalibratingCaption = "Calibrating - Please Wait";
class CalibratingCaption {
 public:
  // Renders the caption for the current layout; false when there is no
  // room for it.
  bool Prepare(app::App& app);
  void Draw(app::App& app) const;
  // Fills its place with the Background colour.
  void Erase(app::App& app) const;

 private:
  platform::DisplayBitmap image_;
  platform::Point origin_;
};

}  // namespace sonavue::engines
