#pragma once

#include <cstdint>
#include <vector>

namespace sonavue::calibration {

// The broadband test sound of "cal.wav": pink noise (equal power in every
// octave) limited to a band, at a fixed RMS level, with short fades at both
// ends so that it starts and ends without a click. It is made by inverse
// FFT of one whole period, so between the fades it repeats seamlessly.
struct TestSoundSettings {
  int rateHz = 48000;
  int frames = 1 << 20;       // a power of two: 21.8 s at 48000 Hz
  double lowHz = 100.0;       // band edges, each softened over a sixth of an octave
  double highHz = 10000.0;
  double rmsUnits = 3277.0;   // RMS in 16-bit units: −20 dB below full scale
  double fadeMs = 50.0;       // raised-cosine fade in and out
  std::uint32_t seed = 16;    // the same sound on every build
};

// The sound as 16-bit mono samples; empty when the settings is unusable.
std::vector<std::int16_t> MakeTestSound(const TestSoundSettings& settings);

}  // namespace sonavue::calibration
