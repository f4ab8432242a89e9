#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sonavue::dsp {

// Work memory of one thread's FrameTransform calls: allocated once per run
// (Prepare), so that the frames themselves never allocate.
class TransformScratch {
 public:
  // Sizes the buffers for the transform; false when memory is refused.
  bool Prepare(std::size_t floats, std::size_t spectrumFloats);
  float* Lanes() { return lanes_; }
  float* Spare() { return spare_.data(); }

 private:
  std::vector<float> storage_;
  float* lanes_ = nullptr;  // storage_ aligned to 64 bytes
  std::vector<float> spare_;
};

// The magnitude spectrum of windowed frames by a radix-4 FFT with
// precomputed twiddles. Several frames go through at once, one per SIMD
// lane, so every butterfly is one vector operation whatever the stage;
// a single frame runs the same operations in the same order on scalars, so
// its results are bit for bit those of a frame in a batch. The values agree
// with the described recurrence transform within single-precision rounding.
class FrameTransform {
 public:
  // Frames per batch: 8 where the processor has AVX2, else 4.
  static int BatchFrames();

  // Builds the tables for fftSize points (a power of two, 4 … 16384) and
  // keeps the window (fftSize values, rounded to single precision). False
  // when a value is unusable or memory is refused.
  bool Prepare(int fftSize, std::span<const double> window);
  void Release();
  bool IsPrepared() const { return n_ > 0; }
  int FftSize() const { return n_; }

  // Readies a thread's work memory for batches of up to BatchFrames().
  bool PrepareScratch(TransformScratch& scratch) const;

  // For each i < frames.size() (1 … BatchFrames()): windows frames[i] (N
  // samples), transforms it and writes N/2 values into spectra[i]: [0] the
  // signed DC term ÷ N, [k] the magnitude of bin k ÷ N for 1 ≤ k ≤ N/2 − 2,
  // [N/2 − 1] the signed term at fs/2 ÷ N. spectra[i] may be frames[i]
  // (then only its first N/2 values change). Does nothing when not prepared
  // or the spans differ in length.
  void Magnitudes(std::span<const float* const> frames, std::span<float* const> spectra,
                  TransformScratch& scratch) const;

 private:
  int n_ = 0;
  std::vector<float> window_;
  std::vector<float> twiddles_;       // per radix-4 stage: w, w², w³ (re, im) per butterfly
  std::vector<std::int32_t> stages_;  // per stage: quarter block size h, offset into twiddles_
  std::vector<std::uint32_t> reversed_;
  std::vector<float> untangle_;       // e^(iπk/M) for k = 0 … M/2
};

}  // namespace sonavue::dsp
