#pragma once

#include <cstdint>
#include <span>

namespace sonavue::dsp {

// Weights of the time average of magnitude spectra.
struct AveragingWeights {
  // Weight D of the newest frame once the average is exponential (0 < D ≤ 1).
  double newest = 1.0;
  // Frames w = round-half-away(1/D) that form a plain running mean first.
  std::int64_t runningMeanFrames = 1;
};

// D = columnStepMs / averagingMs limited to 1; averagingMs ≤ 0 ("Off") gives
// D = 1, so each frame stands alone. A D that is not above 0 (a column step
// ≤ 0) also counts as no averaging.
AveragingWeights AveragingWeightsFor(float columnStepMs, float averagingMs);

// Folds spectrum into average (same length; the shorter length is used):
// for frameIndex i < w the running mean (i·V + A)/(i + 1), so frame 0
// copies A; afterwards V·(1 − D) + A·D. Double precision, over magnitudes.
// With skipInvalid, a bin whose value is not a number or not above 0 (a
// glitch of the input) leaves its average as it was.
void AccumulateAverage(std::span<double> average, std::span<const float> spectrum,
                       std::int64_t frameIndex, const AveragingWeights& weights,
                       bool skipInvalid = false);

}  // namespace sonavue::dsp
