#include "dsp/SpectralFrame.h"

#include <cmath>
#include <cstddef>
#include <new>


namespace sonavue::dsp {
namespace {

// 2π rounded to 12 significant digits; the window's first point still
// evaluates cos(≈−π) to exactly −1, so that point is exactly 0.
constexpr double kWindowTwoPi = 6.28318530718;
constexpr int kLargestFftSize = 16384;

}  // namespace

float WindowDurationMs(float resolutionHz) { return 1000.0f / resolutionHz; }

int WindowLength(float sampleRateHz, float windowMs, int fftSize) {
  if (!(sampleRateHz >= 0.0f) || !(windowMs >= 0.0f)) return fftSize;
  // Single precision throughout: the duration is a float, and the float
  // product rounds 48000 × 16.666666 to 800000 where a double product keeps
  // 799999.97 and truncates to one sample less.
  const float product = sampleRateHz * windowMs;
  const float samples = std::trunc(product / 1000.0f);
  // NaN or a window longer than the frame both give the full frame.
  if (samples >= 0.0f && samples < static_cast<float>(fftSize)) return static_cast<int>(samples);
  return fftSize;
}

bool SpectralFrame::Create(int fftSize, float sampleRateHz, float windowMs) {
  Release();
  if (fftSize < 4 || fftSize > kLargestFftSize || (fftSize & (fftSize - 1)) != 0) {
    return false;
  }

  const int half = WindowLength(sampleRateHz, windowMs, fftSize) / 2;

  try {
    window_.assign(static_cast<std::size_t>(fftSize), 0.0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }

  const int centre = fftSize / 2;
  for (int i = -half; i < half; ++i) {
    window_[static_cast<std::size_t>(centre + i)] =
        0.5 * std::cos(kWindowTwoPi * i / (2 * half)) + 0.5;
  }
  if (!transform_.Prepare(fftSize, window_) || !transform_.PrepareScratch(scratch_)) {
    Release();
    return false;
  }
  fftSize_ = fftSize;
  halfLength_ = half;
  return true;
}

void SpectralFrame::Release() {
  std::vector<double>().swap(window_);
  transform_.Release();
  scratch_ = TransformScratch();
  fftSize_ = 0;
  halfLength_ = 0;
}

void SpectralFrame::MagnitudeSpectrum(std::span<float> frame) {
  const int n = fftSize_;
  if (n == 0 || frame.size() < static_cast<std::size_t>(n)) return;
  const float* in[] = {frame.data()};
  float* out[] = {frame.data()};
  transform_.Magnitudes(in, out, scratch_);
}

}  // namespace sonavue::dsp
