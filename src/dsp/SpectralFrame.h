#pragma once

#include <span>
#include <vector>

#include "dsp/FrameTransform.h"

namespace sonavue::dsp {

// Duration of the analysis window in ms for a frequency resolution in Hz:
// 1000 / resolutionHz in single precision. A resolution of 0 gives +inf
// (a window as long as the frame).
float WindowDurationMs(float resolutionHz);

// Window length in samples: trunc(sampleRateHz × windowMs / 1000) with the
// product and the quotient formed in single precision, so that a whole
// ratio of rate and resolution (48000 Hz at 60 Hz: 800) gives that length
// for the usual rates. Limited to 0 … fftSize; a negative rate or duration
// (−1), NaN or a window longer than the frame give fftSize.
int WindowLength(float sampleRateHz, float windowMs, int fftSize);

// The Hann window and FFT tables of one analysis run, and the magnitude
// spectrum of a frame. Create once when a run starts; frames then use the
// tables without allocating.
class SpectralFrame {
 public:
  // Builds the window for fftSize points (a power of two, 4 … 16384): a Hann
  // window of 2h points centred on index fftSize/2, h = L/2, where L is
  // WindowLength(sampleRateHz, windowMs, fftSize). Zero outside the window.
  // Returns false when fftSize is unusable or the tables cannot be allocated.
  bool Create(int fftSize, float sampleRateHz, float windowMs);

  // Frees both tables; MagnitudeSpectrum does nothing until the next Create.
  void Release();

  // True between a successful Create and Release.
  bool IsCreated() const { return fftSize_ > 0; }
  // FFT size N recorded by Create; 0 when released.
  int FftSize() const { return fftSize_; }
  // Half length h of the window in samples (0 … N/2).
  int HalfLength() const { return halfLength_; }
  // The N window values (peak 1.0 at N/2); empty when released.
  std::span<const double> Window() const { return window_; }

  // Windows frame[0 … N−1] (16-bit sample scale), transforms it and writes
  // N/2 values into frame[0 … N/2−1]: [0] the signed DC term ÷ N, [k] the
  // magnitude of bin k ÷ N for 1 ≤ k ≤ N/2−2, [N/2−1] the signed term at
  // fs/2 ÷ N (not bin N/2−1). frame[N/2 …] is left as it was. Does nothing
  // if the window is not created or frame holds fewer than N values.
  void MagnitudeSpectrum(std::span<float> frame);

  // The transform behind MagnitudeSpectrum, for batches of frames on other
  // threads (each with its own scratch); empty when released.
  const FrameTransform& Transform() const { return transform_; }

 private:
  int fftSize_ = 0;
  int halfLength_ = 0;
  std::vector<double> window_;
  FrameTransform transform_;
  TransformScratch scratch_;
};

}  // namespace sonavue::dsp
