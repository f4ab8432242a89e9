#include "dsp/ResponseCorrection.h"

#include <algorithm>

namespace sonavue::dsp {
namespace {

bool IsAllZero(std::span<const float> table) {
  return std::all_of(table.begin(), table.end(), [](float v) { return v == 0.0f; });
}

}  // namespace

std::span<const float> ResponseTableFor(float rateHz, int channels, std::span<const float> mono,
                                        std::span<const float> stereo) {
  const std::span<const float> table = channels == 1 ? mono : stereo;
  if (rateHz != kResponseTableRateHz || table.size() < static_cast<std::size_t>(kResponseTableSize)) {
    return {};
  }
  const std::span<const float> entries = table.first(static_cast<std::size_t>(kResponseTableSize));
  return IsAllZero(entries) ? std::span<const float>() : entries;
}

void ApplyResponseCorrection(std::span<float> spectrum, int fftSize, std::span<const float> table) {
  if (table.size() < static_cast<std::size_t>(kResponseTableSize) || fftSize < 2) return;
  const int half = std::min(fftSize / 2, static_cast<int>(spectrum.size()));
  for (int b = 0; b < half; ++b) {
    spectrum[static_cast<std::size_t>(b)] *= table[static_cast<std::size_t>(ResponseEntryOfBin(b, fftSize))];
  }
}

void AccumulateResponse(std::span<float> table, std::span<const float> spectrum, int fftSize) {
  if (table.size() < static_cast<std::size_t>(kResponseTableSize) || fftSize < 2) return;
  const std::size_t half = std::min(static_cast<std::size_t>(fftSize / 2), spectrum.size());
  for (int i = 0; i < kResponseTableSize; ++i) {
    const auto bin = static_cast<std::size_t>(ResponseBinOfEntry(i, fftSize));
    if (bin < half) table[static_cast<std::size_t>(i)] += spectrum[bin];
  }
}

void FinishResponseTable(std::span<float> table, std::int64_t frames) {
  const std::span<float> entries = table.first(std::min(table.size(), static_cast<std::size_t>(kResponseTableSize)));
  for (float& e : entries) e = frames > 0 ? static_cast<float>(e / static_cast<double>(frames)) : 0.0f;
  float strongest = -1000000.0f;
  for (float e : entries) strongest = std::max(strongest, e);
  for (float& e : entries) e = e > 0.0f ? std::min(strongest / e, kResponseFactorLimit) : 1.0f;
}

void ReplaceAllZeroTableByOnes(std::span<float> table) {
  if (IsAllZero(table)) std::fill(table.begin(), table.end(), 1.0f);
}

}  // namespace sonavue::dsp
