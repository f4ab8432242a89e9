#include "dsp/LevelScale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "dsp/Rounding.h"

namespace sonavue::dsp {
namespace {

constexpr int kLargestTableValue = std::numeric_limits<std::uint16_t>::max();

}  // namespace

bool LevelScale::Prepare(int fftSize, float sampleRateHz, float lowHz, float highHz, int rows,
                         FrequencyScale scale) {
  fftSize_ = 0;
  rows_ = 0;
  if (fftSize < 4 || fftSize > 65536 || (fftSize & (fftSize - 1)) != 0) return false;
  if (!(sampleRateHz > 0.0f) || rows < 1) return false;
  scale_ = scale;
  fftSize_ = fftSize;
  rows_ = rows;
  try {
    const bool ok = scale == FrequencyScale::Linear ? PrepareLinear(sampleRateHz, lowHz, highHz)
                                                    : PrepareBands(sampleRateHz, lowHz, highHz);
    if (ok) return true;
  } catch (const std::bad_alloc&) {
  }
  fftSize_ = 0;
  rows_ = 0;
  return false;
}

bool LevelScale::PrepareLinear(float sampleRateHz, float lowHz, float highHz) {
  const int n = fftSize_;
  const float binHz = sampleRateHz / static_cast<float>(n);
  const float firstBin = lowHz / binHz;
  const float binsPerRow =
      static_cast<float>(n) * (highHz - lowHz) / (sampleRateHz * static_cast<float>(rows_));
  // More bins than the spectrum holds would only repeat its top bin.
  binsPerRow_ = RoundHalfAway(binsPerRow, 0, n / 2);
  rowFirstBin_.resize(static_cast<std::size_t>(rows_));
  for (int m = 0; m < rows_; ++m) {
    rowFirstBin_[m] = RoundHalfAway(firstBin + static_cast<float>(m) * binsPerRow, 0, n / 2 - 1);
  }
  bandsPerOctave_ = 0;
  bandStepDecades_ = 0.0f;
  lastBand_ = 0;
  bandFirstBin_.clear();
  bandBinCount_.clear();
  rowLowBand_.clear();
  rowHighBand_.clear();
  firstUsedBand_ = 0;
  lastUsedBand_ = 0;
  return true;
}

bool LevelScale::PrepareBands(float sampleRateHz, float lowHz, float highHz) {
  if (!(lowHz > 0.0f) || !(highHz > 0.0f)) return false;
  const int n = fftSize_;
  bandsPerOctave_ = FineBandsPerOctave(scale_);
  bandStepDecades_ = std::log10(2.0f) / static_cast<float>(bandsPerOctave_);
  const float step = bandStepDecades_;
  const float logF0 = std::log10(kLowestBandEdgeHz);

  lastBand_ =
      RoundHalfUp((std::log10(sampleRateHz / 2.0f) - logF0) / step, 0, kLargestTableValue - 1);
  if (lastBand_ < 1) return false;
  const int m = lastBand_;

  bandFirstBin_.assign(static_cast<std::size_t>(m) + 1, 0);
  bandBinCount_.assign(static_cast<std::size_t>(m) + 1, 0);
  float previousEdge = 0.0f;
  for (int l = 0; l <= m; ++l) {
    const float edge = static_cast<float>(n) *
                       std::pow(10.0f, logF0 + static_cast<float>(l) * step) / sampleRateHz;
    bandFirstBin_[l] = static_cast<std::uint16_t>(RoundHalfUp(edge, 0, kLargestTableValue));
    if (l >= 1) {
      // Bands narrower than a bin still read one bin, so low bands share.
      const float extra = std::max(0.0f, edge - previousEdge - 1.0f);
      bandBinCount_[l - 1] =
          static_cast<std::uint16_t>(RoundHalfUp(extra, 0, kLargestTableValue - 1) + 1);
    }
    previousEdge = edge;
  }
  bandBinCount_[m] = bandBinCount_[m - 1];

  rowLowBand_.resize(static_cast<std::size_t>(rows_));
  rowHighBand_.resize(static_cast<std::size_t>(rows_));
  const float logLow = std::log10(lowHz);
  const float rowStep =
      rows_ > 1 ? (std::log10(highHz) - logLow) / static_cast<float>(rows_ - 1) : 0.0f;
  const auto bandOf = [&](int row) {
    const float freqHz = std::pow(10.0f, logLow + static_cast<float>(row) * rowStep);
    // Rows below the lowest band edge give a negative band: band 0.
    return TruncateClamped(std::log10(freqHz / kLowestBandEdgeHz) / step, 0, m - 1);
  };
  firstUsedBand_ = m - 1;
  lastUsedBand_ = 0;
  int low = bandOf(0);
  for (int row = 0; row < rows_; ++row) {
    const int high = bandOf(row + 1);
    rowLowBand_[row] = static_cast<std::uint16_t>(low);
    rowHighBand_[row] = static_cast<std::uint16_t>(high);
    firstUsedBand_ = std::min(firstUsedBand_, std::min(low, high));
    lastUsedBand_ = std::max(lastUsedBand_, std::max(low, high));
    low = high;
  }
  binsPerRow_ = 0;
  rowFirstBin_.clear();
  return true;
}

}  // namespace sonavue::dsp
