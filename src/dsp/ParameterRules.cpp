#include "dsp/ParameterRules.h"

#include <algorithm>

namespace sonavue::dsp {
namespace {

constexpr int kFftSizes[] = {512, 1024, 2048, 4096, 8192, 16384};
constexpr float kLogScaleResolutionHz = 20.0f;
constexpr int kMostSonogramRows = 500;

// The coarsest automatic resolution: ten bin widths of the smallest FFT.
float CoarsestResolution(float sampleRateHz) { return sampleRateHz * 10.0f / 512.0f; }

}  // namespace

bool ResolutionIsValid(float sampleRateHz, int fftSize, float resolutionHz) {
  if (fftSize <= 0 || resolutionHz == 0.0f) return false;
  const float n = static_cast<float>(fftSize);
  return sampleRateHz / n <= resolutionHz && resolutionHz <= 10.0f * sampleRateHz / n;
}

float AutomaticResolution(float lowHz, float highHz, float sampleRateHz, float columnStepMs,
                          DisplayKind display, int rows, FrequencyScale scale) {
  if (scale != FrequencyScale::Linear) return kLogScaleResolutionHz;
  const int count = std::max(rows, 1);
  float r = 0.0f;
  if (display == DisplayKind::Sonogram) {
    r = (highHz - lowHz) / static_cast<float>(std::min(count, kMostSonogramRows));
    if (columnStepMs > 0.0f) r = std::max(r, 1000.0f / (12.0f * columnStepMs));
  } else {
    r = std::max(sampleRateHz / 16384.0f, (highHz - lowHz) / static_cast<float>(count));
  }
  return std::min(r, CoarsestResolution(sampleRateHz));
}

int FftSizeForResolution(float sampleRateHz, float resolutionHz) {
  // min then max rather than std::clamp: a negative rate inverts the limits.
  const float r =
      std::max(sampleRateHz / 16384.0f, std::min(sampleRateHz * 5.0f / 512.0f, resolutionHz));
  for (const int n : kFftSizes) {
    const float binHz = sampleRateHz / static_cast<float>(n);
    if (binHz <= r && r <= 5.0f * binHz) return n;
  }
  // Not reached for a positive rate once r is limited (the ranges of
  // neighbouring sizes overlap); a NaN or negative input ends here.
  const float bins = sampleRateHz / r;
  if (bins < 512.0f) return 512;
  if (bins > 16384.0f) return 16384;
  return 2048;
}

}  // namespace sonavue::dsp
