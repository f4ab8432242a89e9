#include "engines/ColumnAnalysis.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "context/CommandIds.h"
#include "context/CurrentParameters.h"
#include "dsp/SpectralFrame.h"
#include "platform/WorkerPool.h"

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

struct ColumnAnalysis::Slot {
  std::vector<float> frames;  // BatchFrames() frames of N samples
  dsp::LevelScratch scratch;
};

namespace {

// A block covers about this many samples per channel (columns × N): a few
// milliseconds of work, so that the window is served often enough between
// blocks, with memory for its results of a megabyte or two.
constexpr std::int64_t kBlockSamples = std::int64_t{1} << 18;

}  // namespace

// The steps of one block, as items the pool hands out.
class ColumnAnalysis::Steps {
 public:
  Steps(ColumnAnalysis& a, std::span<const std::uint8_t> data, std::int64_t first, int count,
        std::int64_t dataFirstSample)
      : a_(a), data_(data), first_(first), count_(count), dataFirstSample_(dataFirstSample),
        batches_((count + a.lanes_ - 1) / a.lanes_) {}

  int Batches() const { return batches_; }

  // Item (channel, batch): fill, peaks, spectra; then the codes when each
  // frame stands alone, else the spectra for the average.
  void Spectra(int item, int slot) {
    const int channel = item / batches_;
    const int firstColumn = (item % batches_) * a_.lanes_;
    const int frames = std::min(a_.lanes_, count_ - firstColumn);
    const ColumnRun& run = a_.run_;
    const int n = run.levels.fftSize;
    const int source = run.onlyChannel >= 0 ? run.onlyChannel : channel;
    Slot& s = a_.slots_[static_cast<std::size_t>(slot)];
    float* pointers[8];
    std::optional<float> totals[8];
    for (int l = 0; l < frames; ++l) {
      const int i = firstColumn + l;
      const std::span<float> frame(s.frames.data() + static_cast<std::size_t>(l) * n, static_cast<std::size_t>(n));
      const std::int64_t start = FrameStart(first_ + i, run.frames.hop, run.channels) - dataFirstSample_;
      FillFrame(data_, run.bytesPerSample, run.channels, source, start, run.gainFactor, frame);
      if (run.stripPeaks) a_.peaks_[a_.ResultIndex(channel, i)] = PeaksAroundCentre(frame, run.strip, channel);
      pointers[l] = frame.data();
    }
    a_.levels_.FrameSpectra(channel, std::span<float* const>(pointers, static_cast<std::size_t>(frames)),
                            std::span<std::optional<float>>(totals, static_cast<std::size_t>(frames)), s.scratch);
    const auto half = static_cast<std::size_t>(a_.half_);
    for (int l = 0; l < frames; ++l) {
      const int i = firstColumn + l;
      const std::size_t at = a_.ResultIndex(channel, i);
      a_.totals_[at] = totals[l];
      const std::span<const float> spectrum(pointers[l], half);
      if (a_.standAlone_) {
        a_.levels_.RowCodes(spectrum, Codes(at), s.scratch);
        if (i == count_ - 1) std::copy(spectrum.begin(), spectrum.end(), a_.lastSpectra_.begin() + channel * half);
      } else {
        std::copy(spectrum.begin(), spectrum.end(), a_.spectra_.begin() + at * half);
      }
    }
  }

  // Item channel: the time average over the block's columns in order.
  void Average(int channel) {
    const auto half = static_cast<std::size_t>(a_.half_);
    for (int i = 0; i < count_; ++i) {
      const std::size_t at = a_.ResultIndex(channel, i);
      a_.levels_.FoldIntoAverage(channel, std::span<const float>(a_.spectra_).subspan(at * half, half));
      const std::span<const double> average = a_.levels_.AveragedSpectrum(channel);
      std::copy(average.begin(), average.end(), a_.averages_.begin() + at * half);
    }
  }

  // Item (channel, batch): the codes of averaged spectra.
  void AveragedCodes(int item, int slot) {
    const int channel = item / batches_;
    const int firstColumn = (item % batches_) * a_.lanes_;
    const int last = std::min(count_, firstColumn + a_.lanes_);
    const auto half = static_cast<std::size_t>(a_.half_);
    Slot& s = a_.slots_[static_cast<std::size_t>(slot)];
    for (int i = firstColumn; i < last; ++i) {
      const std::size_t at = a_.ResultIndex(channel, i);
      a_.levels_.RowCodes(std::span<const double>(a_.averages_).subspan(at * half, half), Codes(at), s.scratch);
    }
  }

 private:
  std::span<std::int16_t> Codes(std::size_t at) {
    const auto rows = static_cast<std::size_t>(a_.rows_);
    return std::span<std::int16_t>(a_.codes_).subspan(at * rows, rows);
  }

  ColumnAnalysis& a_;
  std::span<const std::uint8_t> data_;
  std::int64_t first_;
  int count_;
  std::int64_t dataFirstSample_;
  int batches_;
};

ColumnAnalysis::ColumnAnalysis() = default;
ColumnAnalysis::~ColumnAnalysis() = default;
ColumnAnalysis::ColumnAnalysis(ColumnAnalysis&&) noexcept = default;
ColumnAnalysis& ColumnAnalysis::operator=(ColumnAnalysis&&) noexcept = default;

bool ColumnAnalysis::Start(const ColumnRun& run) {
  Release();
  run_ = run;
  if (run_.levels.channels < 1 || run_.levels.channels > 2) return false;
  if (!levels_.Create(run_.levels)) return false;
  const int n = run_.levels.fftSize;
  const int channels = run_.levels.channels;
  lanes_ = dsp::LevelSpectrum::BatchFrames();
  half_ = n / 2;
  rows_ = run_.levels.rows;
  blockColumns_ = static_cast<int>(std::max<std::int64_t>(1, kBlockSamples / n / lanes_)) * lanes_;
  standAlone_ = levels_.FramesStandAlone();
  const auto block = static_cast<std::size_t>(blockColumns_) * channels;
  try {
    if (!pool_) pool_ = std::make_unique<platform::WorkerPool>();
    slots_.resize(static_cast<std::size_t>(pool_->Threads()));
    for (Slot& slot : slots_) {
      slot.frames.assign(static_cast<std::size_t>(lanes_) * n, 0.0F);
      if (!levels_.PrepareScratch(slot.scratch)) throw std::bad_alloc();
    }
    codes_.assign(block * rows_, 0);
    totals_.assign(block, std::nullopt);
    peaks_.assign(block, StripPeaks{});
    if (!standAlone_) {
      spectra_.assign(block * half_, 0.0F);
      averages_.assign(block * half_, 0.0);
    }
    lastSpectra_.assign(static_cast<std::size_t>(channels) * half_, 0.0F);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  return true;
}

void ColumnAnalysis::Release() {
  levels_.Release();
  slots_ = {};
  codes_ = {};
  totals_ = {};
  peaks_ = {};
  spectra_ = {};
  averages_ = {};
  lastSpectra_ = {};
  blockColumns_ = 0;
  blockCount_ = 0;
}

std::size_t ColumnAnalysis::ResultIndex(int channel, int i) const {
  return static_cast<std::size_t>(i) * static_cast<std::size_t>(Channels()) + static_cast<std::size_t>(channel);
}

void ColumnAnalysis::Analyse(std::span<const std::uint8_t> data, std::int64_t column) {
  AnalyseBlock(data, column, 1);
}

void ColumnAnalysis::AnalyseBlock(std::span<const std::uint8_t> data, std::int64_t first, int count,
                                  std::int64_t dataFirstSample) {
  if (!levels_.IsCreated() || count < 1 || count > blockColumns_) return;
  blockCount_ = count;
  const int channels = Channels();
  Steps steps(*this, data, first, count, dataFirstSample);
  const int items = channels * steps.Batches();
  // One column is not worth waking the other threads for. A response
  // measurement adds every frame of channel 0 into one table: its steps run
  // here, in order.
  const auto run = [&](int jobItems, auto&& step) {
    if (count == 1 || levels_.Measuring()) {
      for (int item = 0; item < jobItems; ++item) step(item, 0);
    } else {
      pool_->Run(jobItems, step);
    }
  };
  auto spectra = [&steps](int item, int slot) { steps.Spectra(item, slot); };
  run(items, spectra);
  if (standAlone_) {
    for (int c = 0; c < channels; ++c) {
      levels_.TakeLastSpectrum(c, std::span<const float>(lastSpectra_).subspan(static_cast<std::size_t>(c) * half_, half_),
                               count);
    }
    return;
  }
  auto average = [&steps](int channel, int) { steps.Average(channel); };
  run(channels, average);
  auto codes = [&steps](int item, int slot) { steps.AveragedCodes(item, slot); };
  run(items, codes);
}

std::span<const std::int16_t> ColumnAnalysis::Codes(int channel, int i) const {
  if (channel < 0 || channel >= Channels() || i < 0 || i >= blockCount_) return {};
  const auto rows = static_cast<std::size_t>(rows_);
  return std::span<const std::int16_t>(codes_).subspan(ResultIndex(channel, i) * rows, rows);
}

std::optional<float> ColumnAnalysis::TotalDb(int channel, int i) const {
  if (channel < 0 || channel >= Channels() || i < 0 || i >= blockCount_) return std::nullopt;
  return totals_[ResultIndex(channel, i)];
}

StripPeaks ColumnAnalysis::Peaks(int channel, int i) const {
  if (channel < 0 || channel >= Channels() || i < 0 || i >= blockCount_) return {};
  return peaks_[ResultIndex(channel, i)];
}

std::optional<int> ColumnAnalysis::BinLevel(int bin) const {
  const int channel = Channels() - 1;
  if (blockCount_ < 1 || channel < 0) return std::nullopt;
  const auto half = static_cast<std::size_t>(half_);
  const std::span<const float> spectrum =
      standAlone_ ? std::span<const float>(lastSpectra_).subspan(static_cast<std::size_t>(channel) * half, half)
                  : std::span<const float>(spectra_).subspan(ResultIndex(channel, blockCount_ - 1) * half, half);
  return levels_.BinLevel(spectrum, bin);
}

}  // namespace sonavue::engines
