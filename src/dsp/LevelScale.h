#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dsp/FrequencyScale.h"

namespace sonavue::dsp {

// Tables that map FFT bins to display rows for one analysis run: the row
// start bins of the linear scale, or the fine bands (logarithmically spaced
// from 14.2544 Hz) and each row's band range on the Log and Oct3 scales.
// Built once by Prepare; frames only read them.
class LevelScale {
 public:
  // Lower edge of fine band 0 in Hz: 16 Hz × 2^(−1/6), the lower edge of the
  // 16 Hz one-third-octave band.
  static constexpr float kLowestBandEdgeHz = 14.2544f;

  // Builds the tables for an fftSize-point FFT at sampleRateHz, `rows` rows
  // (row 0 lowest) between lowHz and highHz. False when a value is unusable
  // (fftSize not a power of two ≥ 4, rate ≤ 0, rows < 1, a log scale with a
  // band limit ≤ 0 or no band below fs/2) or allocation fails.
  bool Prepare(int fftSize, float sampleRateHz, float lowHz, float highHz, int rows,
               FrequencyScale scale);

  // The scale, FFT size and row count of the last successful Prepare (size
  // and rows are 0 after a failed one).
  FrequencyScale Scale() const { return scale_; }
  int FftSize() const { return fftSize_; }
  int Rows() const { return rows_; }

  // Linear scale: bins per row E = round-half-away(N·(fH − fL)/(fs·rows));
  // a row averages the power of E bins when E > 1, else it reads one bin.
  int BinsPerRow() const { return binsPerRow_; }
  // Linear scale: first bin of each row, limited to 0 … N/2 − 1.
  std::span<const int> RowFirstBin() const { return rowFirstBin_; }

  // Log and Oct3: fine bands per octave B (30 or 3) and the band step
  // log10(2)/B in decades.
  int BandsPerOctave() const { return bandsPerOctave_; }
  float BandStepDecades() const { return bandStepDecades_; }
  // Index M of the last fine band; bands run 0 … M (M + 1 of them).
  int LastBand() const { return lastBand_; }
  // First FFT bin and number of bins (≥ 1) of each band, M + 1 entries. The
  // first bin of the top bands may lie beyond N/2 − 1; readers limit it.
  std::span<const std::uint16_t> BandFirstBin() const { return bandFirstBin_; }
  std::span<const std::uint16_t> BandBinCount() const { return bandBinCount_; }
  // Log and Oct3: lowest and highest fine band (0 … M − 1) of each row. A row
  // spanning three or more bands (high − low > 1) takes the largest code
  // among them, any other row its low band's code.
  std::span<const std::uint16_t> RowLowBand() const { return rowLowBand_; }
  std::span<const std::uint16_t> RowHighBand() const { return rowHighBand_; }
  // Lowest and highest band any row reads (the bands worth evaluating).
  int FirstUsedBand() const { return firstUsedBand_; }
  int LastUsedBand() const { return lastUsedBand_; }

 private:
  bool PrepareLinear(float sampleRateHz, float lowHz, float highHz);
  bool PrepareBands(float sampleRateHz, float lowHz, float highHz);

  FrequencyScale scale_ = FrequencyScale::Linear;
  int fftSize_ = 0;
  int rows_ = 0;
  int binsPerRow_ = 0;
  std::vector<int> rowFirstBin_;
  int bandsPerOctave_ = 0;
  float bandStepDecades_ = 0.0f;
  int lastBand_ = 0;
  std::vector<std::uint16_t> bandFirstBin_;
  std::vector<std::uint16_t> bandBinCount_;
  std::vector<std::uint16_t> rowLowBand_;
  std::vector<std::uint16_t> rowHighBand_;
  int firstUsedBand_ = 0;
  int lastUsedBand_ = 0;
};

}  // namespace sonavue::dsp
