#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engines/ColumnAnalysis.h"

namespace sonavue::app {
class App;
struct CurrentParameters;
}  // namespace sonavue::app

namespace sonavue::engines {

// The point spectrum: a click on a static sonogram shows the spectrum at
// that moment as a scope curve, averaged over the averaging time before it.

struct PointSpectrumInput {
  int column = 0;            // x + s − Mx: the clicked column of the picture (x after the stereo fold)
  double columnMs = 10.0;    // Δt
  std::int32_t rateHz = 48000;
  int channels = 1;
  int bytesPerSample = 2;
  double averagingMs = 0.0;  // Tavg; 0 with averaging Off
  int fftSize = 1024;        // N
  std::int64_t dataLength = 0;  // bytes of the signal in memory
};

struct PointSpectrumPlan {
  bool ok = false;
  std::int64_t endByte = 0;    // e
  std::int64_t startByte = 0;
  std::int64_t frames = 0;     // F
};

// e = round(column × Δt × B ÷ 1000), down to a multiple of 12; the start
// round(e − fs × Tavg × bytes per sample × channels ÷ 1000), down to a
// multiple of 12, at least 0, and one second (B) before e when it came out
// equal to e; F = round((e − start) × 1000 ÷ (B × Δt)), at least 1. Ok only
// when e + 2 × N × channels × bytes per sample lies below the data length and
// the column is not left of the picture's first column (a click over the
// frequency labels shows nothing).
PointSpectrumPlan PlanPointSpectrum(const PointSpectrumInput& input);

// The run of a point spectrum: the static analysis's frame loop over F
// frames from the start byte (hop channels × Δt × fs ÷ 1000), `rows` rows
// (the scope points) on the scope's frequency scale, the spectra averaged
// over averagingMs; both channels of a stereo signal.
ColumnRun PointSpectrumRun(const app::CurrentParameters& p, std::int32_t rateHz, int channels,
                           int bytesPerSample, int fftSize, float columnMs, int rows,
                           double averagingMs, std::int64_t frames);

// Runs the frames over data (the signal from the start byte on) and leaves
// the last frame's level codes, one vector per analysed channel, in codes.
// between() runs after every frame (the window serves one message there);
// when it returns false the loop ends early. False when the run cannot be
// started (bad settings or no memory).
bool AnalysePointSpectrum(const ColumnRun& run, std::span<const std::uint8_t> data,
                          std::array<std::vector<std::int16_t>, 2>& codes,
                          const std::function<bool()>& between);

// The frequency (Hz, as analysed) at which row `row` of `rows` starts: on
// the linear scale fL + (fH − fL) × row ÷ rows, on the logarithmic scales
// fL × (fH ÷ fL)^(row ÷ rows) with limits under 1 Hz taken as 1 Hz.
double PointRowFrequencyHz(int lowHz, int highHz, int rows, int row, dsp::FrequencyScale scale);

// The averaging time a point spectrum of the current parameters uses: the
// sonogram's averaging time, 0 with averaging Off.
double PointSpectrumAveragingMs(const app::CurrentParameters& p);

// The click of a release at the press column (x after the stereo fold) on a
// static sonogram with its signal in memory (not in the "Dual" view): when
// the plan is ok, saves the shown analysis as a parameter snapshot (F6
// returns to it), shows a window-sized "Scope 1"
// picture with the level range −60 … 120, the time readout at the clicked
// time, and the spectrum as its curve (the right channel's as the second
// curve for "Right"). Otherwise nothing happens.
void ShowPointSpectrum(app::App& app, int x);

// A shown point spectrum is forgotten (a resize): the display choice and
// the scope's level range it replaced come back.
void ForgetPointSpectrum(app::App& app);

}  // namespace sonavue::engines
