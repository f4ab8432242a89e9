#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dsp/FrequencyScale.h"
#include "dsp/LevelCode.h"
#include "dsp/LevelScale.h"
#include "dsp/ResponseCorrection.h"
#include "dsp/SpectralFrame.h"
#include "dsp/TimeAverage.h"

namespace sonavue::dsp {

// What one analysis run needs to turn frames into level codes.
struct LevelRunSettings {
  int fftSize = 1024;                             // N, a power of two 4 … 16384
  float sampleRateHz = 48000.0f;                  // analysis rate fs
  float resolutionHz = 100.0f;                    // R; the window lasts 1000 / R ms
  float lowHz = 0.0f;                             // lowest displayed frequency fL
  float highHz = 6000.0f;                         // highest displayed frequency fH
  int rows = 400;                                 // display rows (or scope points), ≥ 1
  FrequencyScale scale = FrequencyScale::Linear;  // frequency axis of the rows
  int channels = 1;                               // 1 (mono) or 2 (left, right)
  float columnStepMs = 12.0f;                     // time between frames Δt
  float averagingMs = 0.0f;                       // averaging time; 0 is "Off"
  bool splCalibrated = false;                     // SPL calibration active
  float splGainDb = 0.0f;                         // SPL calibration gain C in dB
  // Frequency-response correction tables (kResponseTableSize factors each,
  // or empty for none), used only when fs is exactly 48000: the mono table
  // for one channel, the stereo table for both channels of two.
  std::span<const float> monoResponse;
  std::span<const float> stereoResponse;
  // A frequency-response measurement: while set (kResponseTableSize
  // entries), channel 0's magnitude spectrum of every frame is added into
  // it (AccumulateResponse) before any correction, and no correction is
  // applied. Borrowed: must outlive the run.
  std::span<float> responseMeasurement;
  // Live input: a bin that is not a number or not above 0 leaves its
  // average alone instead of pulling it down.
  bool skipInvalidBins = false;
};

// Work memory of the steps of LevelSpectrum that other threads may run:
// one per thread, readied by PrepareScratch when a run starts.
class LevelScratch {
 private:
  friend class LevelSpectrum;
  TransformScratch transform;
  std::vector<double> powers;
  std::vector<std::int16_t> bandCodes;
};

// The per-run level processor: window, scale tables, averaged spectra (N/2
// doubles per channel) and frame counters. Create allocates everything;
// ProcessFrame then runs without allocating.
//
// ProcessFrame is also available in its parts, so that a run over many
// frames can spread the frames over threads: FrameSpectra and RowCodes only
// read the run's tables (each thread brings its own LevelScratch), while
// FoldIntoAverage carries the one sequential step. The parts give exactly
// the values ProcessFrame gives.
class LevelSpectrum {
 public:
  // Prepares a run: builds the window, the scale tables, zeroed averages and
  // a private copy of the correction table that applies (an all-zero table
  // counts as none). False if a setting is unusable or allocation fails.
  bool Create(const LevelRunSettings& settings);
  // Frees everything; ProcessFrame does nothing until the next Create.
  void Release();
  // Restarts the average: zero spectra and frame index 0 on every channel.
  void ResetAverage();
  // Changes Δt and the averaging time between frames (the frame indices go on).
  void SetAveraging(float columnStepMs, float averagingMs);
  // Changes the SPL calibration between frames (the calibration dialog moves
  // its control while a scan runs); the next frame uses it.
  void SetSplCalibration(bool calibrated, float gainDb);

  // Runs one frame of channel 0 or 1 through SPL factor, total level,
  // spectrum, correction, SPL normalisation, averaging and row codes. frame
  // (N samples, gain applied) is changed in place: the samples are SPL-scaled
  // and frame[0 … N/2−1] becomes this frame's unaveraged spectrum. codes gets
  // one code per row, row 0 lowest. Returns the total level 20·log10(RMS) in
  // dB, std::nullopt for an all-zero frame (no level: keep the old value) or
  // when not created or a span is too short (then nothing is touched).
  std::optional<float> ProcessFrame(int channel, std::span<float> frame,
                                    std::span<std::int16_t> codes);

  // Frames the transform takes at once (see FrameTransform::BatchFrames).
  static int BatchFrames() { return FrameTransform::BatchFrames(); }
  // Readies a thread's work memory for this run; false when memory is refused.
  bool PrepareScratch(LevelScratch& scratch) const;

  // Steps before the average for up to BatchFrames() frames of one channel:
  // SPL factor, total level (totals[i], nullopt for an all-zero frame),
  // spectrum into frames[i][0 … N/2−1], response correction and SPL
  // normalisation. Each frame holds N samples. Thread-safe, except while a
  // response measurement runs: then channel 0's frames add into the
  // measurement, and only one thread may run them.
  void FrameSpectra(int channel, std::span<float* const> frames, std::span<std::optional<float>> totals,
                    LevelScratch& scratch) const;
  // A response measurement runs (see LevelRunSettings::responseMeasurement).
  bool Measuring() const { return !settings_.responseMeasurement.empty(); }
  // Folds a frame's spectrum (N/2 values) into the channel's average and
  // counts the frame; the frames of a channel must come in order.
  void FoldIntoAverage(int channel, std::span<const float> spectrum);
  // True when every frame's levels come from that frame alone (averaging
  // off, no skipped bins): the average after a frame is that frame's spectrum.
  bool FramesStandAlone() const;
  // For a run whose frames stand alone: the state after `frames` more frames
  // of a channel, the last of which had this spectrum.
  void TakeLastSpectrum(int channel, std::span<const float> spectrum, std::int64_t frames);
  // Row codes (one per row, row 0 lowest) of an averaged spectrum, or of a
  // frame's own spectrum when frames stand alone. Thread-safe.
  void RowCodes(std::span<const double> average, std::span<std::int16_t> codes, LevelScratch& scratch) const;
  void RowCodes(std::span<const float> spectrum, std::span<std::int16_t> codes, LevelScratch& scratch) const;

  // Whole-dB level of bin k of a spectrum that ProcessFrame left in a frame
  // (see BinLevelDb); std::nullopt for a zero bin or k outside 0 … N/2−1.
  std::optional<int> BinLevel(std::span<const float> spectrum, int bin) const;

  // True between a successful Create and Release.
  bool IsCreated() const { return channels_ > 0; }
  // Channels of the run (1 or 2); 0 when not created.
  int Channels() const { return channels_; }
  // Averaged spectrum of a channel (N/2 magnitudes); empty if out of range.
  std::span<const double> AveragedSpectrum(int channel) const;
  // Frames processed on a channel since Create or ResetAverage.
  std::int64_t FrameIndex(int channel) const;
  // Window correction W in dB of this run.
  float WindowCorrection() const { return windowCorrectionDb_; }
  // Current averaging weights (see AveragingWeightsFor).
  const AveragingWeights& Weights() const { return weights_; }
  // The run's window and its row tables.
  const SpectralFrame& Frame() const { return frame_; }
  const LevelScale& Scale() const { return scale_; }

 private:
  template <typename Value>
  void WriteRows(std::span<const Value> values, std::span<std::int16_t> codes, LevelScratch& scratch) const;
  template <typename Value>
  void WriteLinearRows(std::span<const Value> values, std::span<std::int16_t> codes, LevelScratch& scratch) const;
  template <typename Value>
  void WriteBandRows(std::span<const Value> values, std::span<std::int16_t> codes, LevelScratch& scratch) const;

  LevelRunSettings settings_;
  int channels_ = 0;
  int half_ = 0;
  float windowCorrectionDb_ = 0.0f;
  double splFactor_ = 1.0;
  AveragingWeights weights_;
  SpectralFrame frame_;
  LevelScale scale_;
  std::vector<double> averages_;
  std::vector<std::int64_t> frameIndex_;
  std::vector<float> binCorrection_;  // the correction factor of each bin; empty for none
  LevelCoder coder_;
  LevelScratch scratch_;  // ProcessFrame's own
};

}  // namespace sonavue::dsp
