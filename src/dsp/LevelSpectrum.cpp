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
    if (correct) correction_.assign(table.begin(), table.begin() + kResponseTableSize);
    bandCodes_.assign(static_cast<std::size_t>(scale_.LastBand()) + 1, 0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }

  settings_ = settings;
  settings_.monoResponse = {};
  settings_.stereoResponse = {};
  channels_ = settings.channels;
  windowCorrectionDb_ = WindowCorrectionDb(settings.resolutionHz, n, settings.sampleRateHz);
  if (!measuring) settings_.responseMeasurement = {};
  SetSplCalibration(settings.splCalibrated, settings.splGainDb);
  weights_ = AveragingWeightsFor(settings.columnStepMs, settings.averagingMs);
  return true;
}

void LevelSpectrum::Release() {
  frame_.Release();
  scale_ = LevelScale();
  std::vector<double>().swap(averages_);
  std::vector<std::int64_t>().swap(frameIndex_);
  std::vector<float>().swap(correction_);
  std::vector<std::int16_t>().swap(bandCodes_);
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
  const std::span<float> samples = frame.first(static_cast<std::size_t>(n));

  if (settings_.splCalibrated) {
    for (float& x : samples) x = static_cast<float>(x * splFactor_);
  }

  double sumOfSquares = 0.0;
  for (const float x : samples) sumOfSquares += static_cast<double>(x) * x;
  std::optional<float> totalDb;
  if (sumOfSquares > 0.0) {
    totalDb = static_cast<float>(20.0 * std::log10(std::sqrt(sumOfSquares / n)));
  }

  frame_.MagnitudeSpectrum(samples);
  const std::span<float> spectrum = samples.first(static_cast<std::size_t>(half_));

  if (channel == 0 && !settings_.responseMeasurement.empty()) {
    AccumulateResponse(settings_.responseMeasurement, spectrum, n);
  }
  ApplyResponseCorrection(spectrum, n, correction_);

  // SPL normalisation ties the spectrum to the calibrated total level; a
  // silent frame has neither a level nor any power to rescale.
  if (settings_.splCalibrated && totalDb) {
    double power = 0.0;
    for (const float a : spectrum) power += static_cast<double>(a) * a;
    if (power > 0.0) {
      const double factor = std::pow(10.0, (*totalDb - 10.0 * std::log10(power)) / 10.0);
      for (float& a : spectrum) a = static_cast<float>(a * factor);
    }
  }

  const std::span<double> average = std::span<double>(averages_).subspan(
      static_cast<std::size_t>(channel) * half_, static_cast<std::size_t>(half_));
  std::int64_t& index = frameIndex_[static_cast<std::size_t>(channel)];
  AccumulateAverage(average, spectrum, index, weights_, settings_.skipInvalidBins);
  ++index;

  if (scale_.Scale() == FrequencyScale::Linear) {
    WriteLinearRows(average, codes);
  } else {
    WriteBandRows(average, codes);
  }
  return totalDb;
}

std::int16_t LevelSpectrum::CodeOf(double power) const {
  return LevelCode(power, settings_.fftSize, settings_.sampleRateHz, windowCorrectionDb_);
}

void LevelSpectrum::WriteLinearRows(std::span<const double> average,
                                    std::span<std::int16_t> codes) const {
  const int bins = scale_.BinsPerRow();
  const int top = half_ - 1;
  const std::span<const int> firstBin = scale_.RowFirstBin();
  for (int m = 0; m < scale_.Rows(); ++m) {
    const int first = firstBin[m];
    double power = 0.0;
    if (bins > 1) {
      for (int g = 0; g < bins; ++g) {
        const double v = average[std::min(first + g, top)];
        power += v * v;
      }
      power /= bins;
    } else {
      power = average[first] * average[first];
    }
    codes[m] = CodeOf(power);
  }
}

void LevelSpectrum::WriteBandRows(std::span<const double> average, std::span<std::int16_t> codes) {
  const bool sum = scale_.Scale() == FrequencyScale::Oct3;
  const int top = half_ - 1;
  const std::span<const std::uint16_t> firstBin = scale_.BandFirstBin();
  const std::span<const std::uint16_t> binCount = scale_.BandBinCount();
  for (int l = scale_.FirstUsedBand(); l <= scale_.LastUsedBand(); ++l) {
    const int count = binCount[l];
    if (count < 1) {
      bandCodes_[l] = 0;
      continue;
    }
    double power = 0.0;
    for (int j = 0; j < count; ++j) {
      const double v = average[std::min(top, firstBin[l] + j)];
      power = sum ? power + v * v : std::max(power, v * v);
    }
    bandCodes_[l] = CodeOf(power);
  }

  const std::span<const std::uint16_t> lowBand = scale_.RowLowBand();
  const std::span<const std::uint16_t> highBand = scale_.RowHighBand();
  for (int m = 0; m < scale_.Rows(); ++m) {
    const int low = lowBand[m];
    const int high = highBand[m];
    std::int16_t code = bandCodes_[low];
    if (high - low > 1) {
      for (int l = low + 1; l <= high; ++l) code = std::max(code, bandCodes_[l]);
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
