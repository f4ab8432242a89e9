#pragma once

#include "dsp/FrequencyScale.h"

namespace sonavue::dsp {

// What the analysis feeds: a scrolling sonogram or the live spectrum curve.
enum class DisplayKind { Sonogram, Scope };

// True when fs/n ≤ r ≤ 10·fs/n (one to ten bin widths, single precision).
// n ≤ 0 or r = 0 is never valid.
bool ResolutionIsValid(float sampleRateHz, int fftSize, float resolutionHz);

// Frequency resolution in Hz chosen for a band lowHz … highHz: 20 Hz on the
// Log and Oct3 scales; otherwise one row's share of the band (sonogram: over
// min(rows, 500) pixel rows, and not finer than 1000 / (12 × columnStepMs) so
// the window spans at most twelve columns; scope: over `rows` curve points,
// not finer than fs/16384), then at most fs·10/512. rows < 1 counts as 1; a
// columnStepMs ≤ 0 drops the column term.
float AutomaticResolution(float lowHz, float highHz, float sampleRateHz, float columnStepMs,
                          DisplayKind display, int rows, FrequencyScale scale);

// FFT size (512 … 16384) for a resolution: r is first limited to
// fs/16384 … 5·fs/512, then the smallest N with fs/N ≤ r ≤ 5·fs/N is taken.
int FftSizeForResolution(float sampleRateHz, float resolutionHz);

}  // namespace sonavue::dsp
