#include "dsp/TimeAverage.h"

#include <algorithm>
#include <cmath>

namespace sonavue::dsp {
namespace {

// Beyond this the running mean never ends in any real run; the limit keeps
// the conversion of 1/D to an integer defined for a tiny D.
constexpr double kLongestRunningMean = 1e15;

}  // namespace

AveragingWeights AveragingWeightsFor(float columnStepMs, float averagingMs) {
  AveragingWeights weights;
  if (!(averagingMs > 0.0f)) return weights;
  const double d = static_cast<double>(columnStepMs) / static_cast<double>(averagingMs);
  if (!(d > 0.0) || d >= 1.0) return weights;
  weights.newest = d;
  weights.runningMeanFrames =
      static_cast<std::int64_t>(std::min(std::round(1.0 / d), kLongestRunningMean));
  return weights;
}

void AccumulateAverage(std::span<double> average, std::span<const float> spectrum,
                       std::int64_t frameIndex, const AveragingWeights& weights, bool skipInvalid) {
  const std::size_t count = std::min(average.size(), spectrum.size());
  if (frameIndex < weights.runningMeanFrames) {
    const double i = static_cast<double>(frameIndex);
    for (std::size_t k = 0; k < count; ++k) {
      if (skipInvalid && !(spectrum[k] > 0.0F)) continue;
      average[k] = (i * average[k] + spectrum[k]) / (i + 1.0);
    }
  } else {
    const double keep = 1.0 - weights.newest;
    for (std::size_t k = 0; k < count; ++k) {
      if (skipInvalid && !(spectrum[k] > 0.0F)) continue;
      average[k] = average[k] * keep + spectrum[k] * weights.newest;
    }
  }
}

}  // namespace sonavue::dsp
