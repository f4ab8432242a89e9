#include "engines/ColumnAnalysis.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "context/CommandIds.h"
#include "context/CurrentParameters.h"
#include "dsp/SpectralFrame.h"

namespace sonavue::engines {

dsp::FrequencyScale AnalysisScale(int frequencyScaleId, bool scope) {
  if (frequencyScaleId == app::ID_SCALE_LINEAR) return dsp::FrequencyScale::Linear;
  if (frequencyScaleId == app::ID_SCALE_OCT3 && scope) return dsp::FrequencyScale::Oct3;
  return dsp::FrequencyScale::Log;
}

int SplGainDb(const app::CurrentParameters& p) {
  return p.splCalibrated ? p.splControl - kSplControlMiddle : 0;
}

dsp::LevelRunSettings LevelRunFor(const app::CurrentParameters& p, std::int32_t rateHz, int fftSize,
                                  int rows, int channels, float columnStepMs, bool scope) {
  dsp::LevelRunSettings s;
  s.fftSize = fftSize;
  s.sampleRateHz = static_cast<float>(rateHz);
  s.resolutionHz = p.resolutionHz;
  s.lowHz = static_cast<float>(p.lowBandHz);
  s.highHz = static_cast<float>(p.highBandHz);
  s.rows = rows;
  s.scale = AnalysisScale(p.frequencyScaleId, scope);
  s.channels = channels;
  s.columnStepMs = columnStepMs;
  const std::int32_t averagingMs = scope ? p.averagingScopeMs : p.averagingScrollMs;
  s.averagingMs = p.averagingId == app::ID_AVERAGING_OFF ? 0.0F : static_cast<float>(averagingMs);
  s.splCalibrated = p.splCalibrated;
  s.splGainDb = static_cast<float>(SplGainDb(p));
  s.monoResponse = p.responseMono;
  s.stereoResponse = p.responseStereo;
  return s;
}

StripWindow StripWindowFor(int fftSize, std::int32_t rateHz, float resolutionHz, float columnStepMs) {
  StripWindow w;
  w.centre = dsp::WindowLength(static_cast<float>(rateHz), dsp::WindowDurationMs(resolutionHz), fftSize) / 2.0;
  w.reach = std::max(1.0, static_cast<double>(rateHz) * columnStepMs / 1000.0);
  return w;
}

StripPeaks PeaksAroundCentre(std::span<const float> frame, const StripWindow& window, int channel) {
  const int size = static_cast<int>(frame.size());
  const int first = std::max(0, static_cast<int>(std::floor(window.centre - window.reach)) + 1);
  const int last = std::min(size - 1, static_cast<int>(std::ceil(window.centre + window.reach)) - 1);
  float high = 0.0F;
  float low = 0.0F;
  for (int j = first; j <= last; ++j) {
    high = std::max(high, frame[static_cast<std::size_t>(j)]);
    low = std::min(low, frame[static_cast<std::size_t>(j)]);
  }
  const float limit = channel == 0 ? kStripLimitLeft : kStripLimitRight;
  return {std::min(std::round(high), limit), std::max(std::round(low), -limit)};
}

bool ColumnAnalysis::Start(const ColumnRun& run) {
  run_ = run;
  if (run_.levels.channels < 1 || run_.levels.channels > 2) return false;
  if (!levels_.Create(run_.levels)) return false;
  try {
    frame_.assign(static_cast<std::size_t>(run_.levels.fftSize), 0.0F);
    for (auto& codes : codes_) codes.assign(static_cast<std::size_t>(run_.levels.rows), 0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  return true;
}

void ColumnAnalysis::Release() {
  levels_.Release();
  frame_ = {};
  for (auto& codes : codes_) codes = {};
}

void ColumnAnalysis::Analyse(std::span<const std::uint8_t> data, std::int64_t column) {
  const std::int64_t start = FrameStart(column, run_.frames.hop, run_.channels);
  for (int c = 0; c < Channels(); ++c) {
    const int source = run_.onlyChannel >= 0 ? run_.onlyChannel : c;
    FillFrame(data, run_.bytesPerSample, run_.channels, source, start, run_.gainFactor, frame_);
    if (run_.stripPeaks) peaks_[static_cast<std::size_t>(c)] = PeaksAroundCentre(frame_, run_.strip, c);
    totals_[static_cast<std::size_t>(c)] = levels_.ProcessFrame(c, frame_, codes_[static_cast<std::size_t>(c)]);
  }
}

std::span<const std::int16_t> ColumnAnalysis::Codes(int channel) const {
  return codes_[static_cast<std::size_t>(channel)];
}

std::optional<float> ColumnAnalysis::TotalDb(int channel) const {
  return totals_[static_cast<std::size_t>(channel)];
}

StripPeaks ColumnAnalysis::Peaks(int channel) const { return peaks_[static_cast<std::size_t>(channel)]; }

std::optional<int> ColumnAnalysis::BinLevel(int bin) const { return levels_.BinLevel(frame_, bin); }

}  // namespace sonavue::engines
