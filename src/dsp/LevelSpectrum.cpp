#include "dsp/LevelSpectrum.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>

#include "dsp/LevelCode.h"

namespace sonavue::dsp {
bool LevelSpectrum::Create(const LevelRunSettings& settings) {
  Release();
  if (settings.channels < 1 || settings.channels > 2 || !(settings.resolutionHz > 0.0f)) {
    return false;
  }
  const int n = settings.fftSize;
  const float windowMs = WindowDurationMs(settings.resolutionHz);
  if (!frame_.Create(n, settings.sampleRateHz, windowMs) ||
      !scale_.Prepare(n, settings.sampleRateHz, settings.lowHz, settings.highHz, settings.rows,
                      settings.scale)) {
    Release();
    return false;
  }

  const bool measuring =
      settings.responseMeasurement.size() >= static_cast<std::size_t>(kResponseTableSize);
  const std::span<const float> table =
      !measuring
          ? ResponseTableFor(settings.sampleRateHz, settings.channels, settings.monoResponse,
                             settings.stereoResponse)
          : std::span<const float>();
  const bool correct = !table.empty();
  try {
    half_ = n / 2;
    averages_.assign(static_cast<std::size_t>(settings.channels) * half_, 0.0);
    frameIndex_.assign(static_cast<std::size_t>(settings.channels), 0);
    if (correct) {
      binCorrection_.resize(static_cast<std::size_t>(half_));
      for (int k = 0; k < half_; ++k) {
        binCorrection_[static_cast<std::size_t>(k)] = table[static_cast<std::size_t>(ResponseEntryOfBin(k, n))];
      }
    }
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }

  settings_ = settings;
  settings_.monoResponse = {};
  settings_.stereoResponse = {};
  channels_ = settings.channels;
  windowCorrectionDb_ = WindowCorrectionDb(settings.resolutionHz, n, settings.sampleRateHz);
  coder_ = LevelCoder(n, settings.sampleRateHz, windowCorrectionDb_);
  if (!measuring) settings_.responseMeasurement = {};
  SetSplCalibration(settings.splCalibrated, settings.splGainDb);
  weights_ = AveragingWeightsFor(settings.columnStepMs, settings.averagingMs);
  if (!PrepareScratch(scratch_)) {
    Release();
    return false;
  }
  return true;
}

bool LevelSpectrum::PrepareScratch(LevelScratch& scratch) const {
  if (!frame_.IsCreated()) return false;
  if (!frame_.Transform().PrepareScratch(scratch.transform)) return false;
  try {
    const int bands = scale_.Scale() == FrequencyScale::Linear ? 0 : scale_.LastBand() + 1;
    scratch.powers.assign(static_cast<std::size_t>(std::max(scale_.Rows(), bands)), 0.0);
    scratch.bandCodes.assign(static_cast<std::size_t>(bands), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void LevelSpectrum::Release() {
  frame_.Release();
  scale_ = LevelScale();
  std::vector<double>().swap(averages_);
  std::vector<std::int64_t>().swap(frameIndex_);
  std::vector<float>().swap(binCorrection_);
  scratch_ = LevelScratch();
  channels_ = 0;
  half_ = 0;
}

void LevelSpectrum::ResetAverage() {
  std::fill(averages_.begin(), averages_.end(), 0.0);
  std::fill(frameIndex_.begin(), frameIndex_.end(), 0);
}

void LevelSpectrum::SetAveraging(float columnStepMs, float averagingMs) {
  settings_.columnStepMs = columnStepMs;
  settings_.averagingMs = averagingMs;
  weights_ = AveragingWeightsFor(columnStepMs, averagingMs);
}

void LevelSpectrum::SetSplCalibration(bool calibrated, float gainDb) {
  settings_.splCalibrated = calibrated;
  settings_.splGainDb = gainDb;
  splFactor_ = calibrated ? std::pow(10.0, gainDb / 20.0) : 1.0;
}

std::span<const double> LevelSpectrum::AveragedSpectrum(int channel) const {
  if (channel < 0 || channel >= channels_) return {};
  return std::span<const double>(averages_).subspan(static_cast<std::size_t>(channel) * half_,
                                                    static_cast<std::size_t>(half_));
}

std::int64_t LevelSpectrum::FrameIndex(int channel) const {
  if (channel < 0 || channel >= channels_) return 0;
  return frameIndex_[static_cast<std::size_t>(channel)];
}

std::optional<float> LevelSpectrum::ProcessFrame(int channel, std::span<float> frame,
                                                 std::span<std::int16_t> codes) {
  const int n = settings_.fftSize;
  if (channel < 0 || channel >= channels_ || frame.size() < static_cast<std::size_t>(n) ||
      codes.size() < static_cast<std::size_t>(scale_.Rows())) {
    return std::nullopt;
  }
  float* const frames[] = {frame.data()};
  std::optional<float> totals[1];
  FrameSpectra(channel, frames, totals, scratch_);
  FoldIntoAverage(channel, frame.first(static_cast<std::size_t>(half_)));
  RowCodes(AveragedSpectrum(channel), codes, scratch_);
  return totals[0];
}

namespace {

// Σ x² in double over the frame, in eight interleaved partial sums: the
// same order on every path, and no chain of dependent additions.
double SumOfSquares(const float* x, int n) {
  double partial[8] = {};
  int j = 0;
  for (; j + 8 <= n; j += 8) {
    for (int q = 0; q < 8; ++q) partial[q] += static_cast<double>(x[j + q]) * x[j + q];
  }
  for (; j < n; ++j) partial[j % 8] += static_cast<double>(x[j]) * x[j];
  return ((partial[0] + partial[1]) + (partial[2] + partial[3])) + ((partial[4] + partial[5]) + (partial[6] + partial[7]));
}

}  // namespace

void LevelSpectrum::FrameSpectra(int channel, std::span<float* const> frames, std::span<std::optional<float>> totals,
                                 LevelScratch& scratch) const {
  const int n = settings_.fftSize;
  const std::size_t count = frames.size();
  if (channels_ == 0 || count == 0 || count > static_cast<std::size_t>(BatchFrames()) ||
      totals.size() < count) {
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    float* const x = frames[i];
    if (settings_.splCalibrated) {
      const double factor = splFactor_;
      for (int j = 0; j < n; ++j) x[j] = static_cast<float>(x[j] * factor);
    }
    const double sumOfSquares = SumOfSquares(x, n);
    totals[i] = std::nullopt;
    if (sumOfSquares > 0.0) {
      totals[i] = static_cast<float>(20.0 * std::log10(std::sqrt(sumOfSquares / n)));
    }
  }

  const float* in[8];
  for (std::size_t i = 0; i < count; ++i) in[i] = frames[i];
  frame_.Transform().Magnitudes(std::span<const float* const>(in, count), frames, scratch.transform);

  for (std::size_t i = 0; i < count; ++i) {
    float* const spectrum = frames[i];
    // A measurement takes channel 0's spectrum before any correction.
    if (channel == 0 && !settings_.responseMeasurement.empty()) {
      AccumulateResponse(settings_.responseMeasurement, std::span<const float>(spectrum, static_cast<std::size_t>(half_)), n);
    }
    if (!binCorrection_.empty()) {
      const float* const factor = binCorrection_.data();
      for (int k = 0; k < half_; ++k) spectrum[k] *= factor[k];
    }
    // SPL normalisation ties the spectrum to the calibrated total level; a
    // silent frame has neither a level nor any power to rescale.
    if (settings_.splCalibrated && totals[i]) {
      double power = 0.0;
      for (int k = 0; k < half_; ++k) power += static_cast<double>(spectrum[k]) * spectrum[k];
      if (power > 0.0) {
        const double factor = std::pow(10.0, (*totals[i] - 10.0 * std::log10(power)) / 10.0);
        for (int k = 0; k < half_; ++k) spectrum[k] = static_cast<float>(spectrum[k] * factor);
      }
    }
  }
}

void LevelSpectrum::FoldIntoAverage(int channel, std::span<const float> spectrum) {
  if (channel < 0 || channel >= channels_) return;
  const std::span<double> average = std::span<double>(averages_).subspan(
      static_cast<std::size_t>(channel) * half_, static_cast<std::size_t>(half_));
  std::int64_t& index = frameIndex_[static_cast<std::size_t>(channel)];
  AccumulateAverage(average, spectrum, index, weights_, settings_.skipInvalidBins);
  ++index;
}

bool LevelSpectrum::FramesStandAlone() const {
  return weights_.newest == 1.0 && weights_.runningMeanFrames <= 1 && !settings_.skipInvalidBins;
}

void LevelSpectrum::TakeLastSpectrum(int channel, std::span<const float> spectrum, std::int64_t frames) {
  if (channel < 0 || channel >= channels_ || frames <= 0) return;
  double* const average = averages_.data() + static_cast<std::size_t>(channel) * half_;
  const std::size_t count = std::min(spectrum.size(), static_cast<std::size_t>(half_));
  for (std::size_t k = 0; k < count; ++k) average[k] = spectrum[k];
  frameIndex_[static_cast<std::size_t>(channel)] += frames;
}

void LevelSpectrum::RowCodes(std::span<const double> average, std::span<std::int16_t> codes,
                             LevelScratch& scratch) const {
  WriteRows(average, codes, scratch);
}

void LevelSpectrum::RowCodes(std::span<const float> spectrum, std::span<std::int16_t> codes,
                             LevelScratch& scratch) const {
  WriteRows(spectrum, codes, scratch);
}

template <typename Value>
void LevelSpectrum::WriteRows(std::span<const Value> values, std::span<std::int16_t> codes,
                              LevelScratch& scratch) const {
  if (channels_ == 0 || values.size() < static_cast<std::size_t>(half_) ||
      codes.size() < static_cast<std::size_t>(scale_.Rows()) ||
      scratch.powers.size() < static_cast<std::size_t>(scale_.Rows())) {
    return;
  }
  if (scale_.Scale() == FrequencyScale::Linear) {
    WriteLinearRows(values, codes, scratch);
  } else {
    WriteBandRows(values, codes, scratch);
  }
}

template <typename Value>
void LevelSpectrum::WriteLinearRows(std::span<const Value> values, std::span<std::int16_t> codes,
                                    LevelScratch& scratch) const {
  const int bins = scale_.BinsPerRow();
  const int top = half_ - 1;
  const int rows = scale_.Rows();
  const int* const firstBin = scale_.RowFirstBin().data();
  double* const powers = scratch.powers.data();
  if (bins > 1) {
    for (int m = 0; m < rows; ++m) {
      const int first = firstBin[m];
      double power = 0.0;
      for (int g = 0; g < bins; ++g) {
        const double v = values[static_cast<std::size_t>(std::min(first + g, top))];
        power += v * v;
      }
      powers[m] = power / bins;
    }
  } else {
    for (int m = 0; m < rows; ++m) {
      const double v = values[static_cast<std::size_t>(firstBin[m])];
      powers[m] = v * v;
    }
  }
  coder_.Codes(std::span<const double>(powers, static_cast<std::size_t>(rows)), codes);
}

template <typename Value>
void LevelSpectrum::WriteBandRows(std::span<const Value> values, std::span<std::int16_t> codes,
                                  LevelScratch& scratch) const {
  const bool sum = scale_.Scale() == FrequencyScale::Oct3;
  const int top = half_ - 1;
  const std::span<const std::uint16_t> firstBin = scale_.BandFirstBin();
  const std::span<const std::uint16_t> binCount = scale_.BandBinCount();
  const int firstBand = scale_.FirstUsedBand();
  const int lastBand = scale_.LastUsedBand();
  double* const powers = scratch.powers.data();
  std::int16_t* const bandCodes = scratch.bandCodes.data();
  for (int l = firstBand; l <= lastBand; ++l) {
    // A band without bins has no level: a power of 0 gives code 0.
    const int count = binCount[l];
    double power = 0.0;
    for (int j = 0; j < count; ++j) {
      const double v = values[static_cast<std::size_t>(std::min(top, firstBin[l] + j))];
      power = sum ? power + v * v : std::max(power, v * v);
    }
    powers[l] = power;
  }
  const auto used = static_cast<std::size_t>(lastBand - firstBand + 1);
  coder_.Codes(std::span<const double>(powers + firstBand, used), std::span<std::int16_t>(bandCodes + firstBand, used));

  const std::span<const std::uint16_t> lowBand = scale_.RowLowBand();
  const std::span<const std::uint16_t> highBand = scale_.RowHighBand();
  for (int m = 0; m < scale_.Rows(); ++m) {
    const int low = lowBand[m];
    const int high = highBand[m];
    std::int16_t code = bandCodes[low];
    if (high - low > 1) {
      for (int l = low + 1; l <= high; ++l) code = std::max(code, bandCodes[l]);
    }
    codes[m] = code;
  }
}

std::optional<int> LevelSpectrum::BinLevel(std::span<const float> spectrum, int bin) const {
  if (bin < 0 || bin >= half_ || static_cast<std::size_t>(bin) >= spectrum.size()) {
    return std::nullopt;
  }
  return BinLevelDb(spectrum[static_cast<std::size_t>(bin)], settings_.fftSize,
                    settings_.sampleRateHz, windowCorrectionDb_, settings_.splCalibrated);
}

}  // namespace sonavue::dsp
