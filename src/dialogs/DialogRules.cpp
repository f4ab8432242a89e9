#include "dialogs/DialogRules.h"

#include <algorithm>
#include <array>

#include "context/CurrentParameters.h"
#include "dialogs/DialogControls.h"
#include "dsp/Rounding.h"

namespace sonavue::dialogs {
namespace {

constexpr std::array<std::int32_t, 4> kRates{22050, 44100, 48000, 96000};
constexpr std::array<int, 4> kRateIds{app::ID_RATE_22K, app::ID_RATE_44K, app::ID_RATE_48K,
                                      app::ID_RATE_96K};
constexpr std::array<int, 6> kFftSizes{512, 1024, 2048, 4096, 8192, 16384};
constexpr std::array<int, 6> kFftIds{IDC_FFT_512,  IDC_FFT_1024, IDC_FFT_2048,
                                     IDC_FFT_4096, IDC_FFT_8192, IDC_FFT_16384};

constexpr int kBandLineHz = 10;
constexpr int kBandPageHz = 100;
constexpr int kBandGapHz = 500;
constexpr int kLevelStep = 10;

// The largest multiple of step not above value (also for negative values).
int FloorTo(int value, int step) {
  const int q = value / step;
  return (value % step != 0 && value < 0 ? q - 1 : q) * step;
}

// value rounded toward zero to a multiple of step.
int TruncateTo(int value, int step) { return value / step * step; }

// A step down that stops at a floor: it never goes below it, and a value
// already below the floor stays where it is.
int StepDown(int value, int step, int floor) {
  const int next = value - step;
  return next < floor ? std::min(value, floor) : next;
}

int StepUp(int value, int step, int ceiling) {
  const int next = value + step;
  return next > ceiling ? std::max(value, ceiling) : next;
}

}  // namespace

std::int32_t SnapSampleRate(std::int32_t rateHz) {
  if (rateHz <= 11025) return 11025;
  if (rateHz <= 22050) return 22050;
  if (rateHz <= 44100) return 44100;
  if (rateHz <= 48000) return 48000;
  return 96000;
}

std::int32_t ScanInputRate(std::int32_t lastRateHz, int rateId) {
  const std::int32_t snapped = SnapSampleRate(lastRateHz);
  if (RateIdForRate(snapped) != 0) return snapped;
  const std::int32_t stored = RateForId(rateId);
  return stored != 0 ? stored : 48000;
}

int RateIdForRate(std::int32_t rateHz) {
  for (std::size_t i = 0; i < kRates.size(); ++i) {
    if (kRates[i] == rateHz) return kRateIds[i];
  }
  return 0;
}

std::int32_t RateForId(int rateId) {
  for (std::size_t i = 0; i < kRateIds.size(); ++i) {
    if (kRateIds[i] == rateId) return kRates[i];
  }
  return 0;
}

int FftIdForSize(int fftSize) {
  for (std::size_t i = 0; i < kFftSizes.size(); ++i) {
    if (kFftSizes[i] == fftSize) return kFftIds[i];
  }
  return 0;
}

int FftSizeForId(int fftId) {
  for (std::size_t i = 0; i < kFftIds.size(); ++i) {
    if (kFftIds[i] == fftId) return kFftSizes[i];
  }
  return 0;
}

float ResolutionForPosition(std::int32_t rateHz, int fftSize, int position) {
  if (fftSize <= 0) return 0.0F;
  return static_cast<float>(rateHz) / static_cast<float>(fftSize) * static_cast<float>(position) /
         10.0F;
}

int PositionForResolution(std::int32_t rateHz, int fftSize, float resolutionHz) {
  if (fftSize <= 0 || rateHz <= 0) return kResolutionPositionLowest;
  const float binHz = static_cast<float>(rateHz) / static_cast<float>(fftSize);
  return dsp::RoundHalfAway(resolutionHz * 10.0F / binHz, kResolutionPositionLowest,
                            kResolutionPositionHighest);
}

float TimePerColumnMs(float widthS, int displayWidth, int leftMargin, bool dual) {
  const int columns = dual ? displayWidth - 2 * leftMargin : displayWidth - leftMargin;
  if (columns <= 0) return 10.0F;
  return widthS * (dual ? 2000.0F : 1000.0F) / static_cast<float>(columns);
}

LevelLimits ScrollLevelMax(LevelLimits limits, ScrollAction action, int thumbPosition) {
  constexpr int kLowest = -30;
  constexpr int kHighest = 120;
  bool lowered = false;
  switch (action) {
    case ScrollAction::LineDown:
    case ScrollAction::PageDown:
      limits.max = StepDown(limits.max, kLevelStep, kLowest);
      lowered = true;
      break;
    case ScrollAction::LineUp:
    case ScrollAction::PageUp:
      limits.max = StepUp(limits.max, kLevelStep, kHighest);
      break;
    case ScrollAction::Thumb:
      limits.max = TruncateTo(std::clamp(thumbPosition - kLevelScrollOffset, kLowest, kHighest),
                              kLevelStep);
      lowered = true;
      break;
  }
  if (lowered && limits.max - limits.min <= 29) limits.min = limits.max - 30;
  return limits;
}

LevelLimits ScrollLevelMin(LevelLimits limits, ScrollAction action, int thumbPosition) {
  constexpr int kStepLowest = -30;
  constexpr int kDragLowest = -60;
  constexpr int kHighest = 90;
  bool raised = false;
  switch (action) {
    case ScrollAction::LineDown:
    case ScrollAction::PageDown:
      limits.min = StepDown(limits.min, kLevelStep, kStepLowest);
      break;
    case ScrollAction::LineUp:
    case ScrollAction::PageUp:
      limits.min = StepUp(limits.min, kLevelStep, kHighest);
      raised = true;
      break;
    case ScrollAction::Thumb:
      limits.min = TruncateTo(
          std::clamp(thumbPosition - kLevelScrollOffset, kDragLowest, kHighest), kLevelStep);
      raised = true;
      break;
  }
  if (raised && limits.max - limits.min < 30) limits.max = limits.min + 30;
  return limits;
}

BandLimits ScrollLowBand(BandLimits band, ScrollAction action, int thumbPosition,
                         std::int32_t rateHz, bool linear) {
  const int half = rateHz / 2;
  int low = band.lowHz;
  switch (action) {
    case ScrollAction::LineUp: low += kBandLineHz; break;
    case ScrollAction::LineDown: low = StepDown(low, kBandLineHz, kLogLowestHz); break;
    case ScrollAction::PageUp: low = FloorTo(low + kBandPageHz, kBandPageHz); break;
    case ScrollAction::PageDown: low = StepDown(low, kBandPageHz, kLogLowestHz); break;
    case ScrollAction::Thumb: low = FloorTo(thumbPosition, kBandLineHz); break;
  }
  if (linear) {
    band.lowHz = std::clamp(low, 0, std::max(0, half - kBandGapHz));
    if (band.highHz < band.lowHz + kBandGapHz) band.highHz = std::min(band.lowHz + kBandGapHz, half);
  } else {
    band.lowHz = std::clamp(low, kLogLowestHz, kLogLowHighestHz);
    band.highHz = half;
  }
  return band;
}

BandLimits ScrollHighBand(BandLimits band, ScrollAction action, int thumbPosition,
                          std::int32_t rateHz) {
  const int half = rateHz / 2;
  int high = band.highHz;
  switch (action) {
    case ScrollAction::LineUp: high += kBandLineHz; break;
    case ScrollAction::LineDown: high -= kBandLineHz; break;
    case ScrollAction::PageUp: high = FloorTo(high + kBandPageHz, kBandPageHz); break;
    case ScrollAction::PageDown: high = FloorTo(high - kBandPageHz, kBandPageHz); break;
    case ScrollAction::Thumb: high = FloorTo(thumbPosition, kBandLineHz); break;
  }
  band.highHz = std::clamp(high, std::min(kBandGapHz, half), half);
  if (band.lowHz > band.highHz - kBandGapHz) band.lowHz = std::max(0, band.highHz - kBandGapHz);
  return band;
}

int ScrollTriggerLevel(int level, ScrollAction action, int thumbPosition) {
  switch (action) {
    case ScrollAction::LineUp: level += 1; break;
    case ScrollAction::LineDown: level -= 1; break;
    case ScrollAction::PageUp: level = FloorTo(level + 10, 10); break;
    case ScrollAction::PageDown: level = FloorTo(level - 10, 10); break;
    case ScrollAction::Thumb: level = FloorTo(thumbPosition, 10); break;
  }
  return std::clamp(level, kTriggerLowest, kTriggerHighest);
}

namespace {

int StepPosition(int position, ScrollAction action, int thumbPosition, int page, int lowest,
                 int highest) {
  switch (action) {
    case ScrollAction::LineUp: position += 1; break;
    case ScrollAction::LineDown: position -= 1; break;
    case ScrollAction::PageUp: position += page; break;
    case ScrollAction::PageDown: position -= page; break;
    case ScrollAction::Thumb: position = thumbPosition; break;
  }
  return std::clamp(position, lowest, highest);
}

}  // namespace

int ScrollResolutionPosition(int position, ScrollAction action, int thumbPosition) {
  return StepPosition(position, action, thumbPosition, 10, kResolutionPositionLowest,
                      kResolutionPositionHighest);
}

int ScrollWidthPosition(int position, ScrollAction action, int thumbPosition) {
  return StepPosition(position, action, thumbPosition, 10, kWidthPositionLowest,
                      kWidthPositionHighest);
}

int ScrollMultiplier(int multiplier, ScrollAction action, int thumbPosition) {
  return StepPosition(multiplier, action, thumbPosition, 5, kMultiplierLowest, kMultiplierHighest);
}

}  // namespace sonavue::dialogs
