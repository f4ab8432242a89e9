#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "dsp/LevelSpectrum.h"
#include "engines/AnalysisPlan.h"

namespace sonavue::platform {
class WorkerPool;
}

namespace sonavue::app {
struct CurrentParameters;
}

namespace sonavue::engines {

// The frequency scale an analysis runs on. Sonogram displays (the static
// analysis and the scrolling scans) have no one-third-octave scale: Oct/3
// draws as Log there; the scope keeps it.
dsp::FrequencyScale AnalysisScale(int frequencyScaleId, bool scope);

// The SPL calibration gain C in dB: the calibration control less its middle,
// 60 (the control spans ±60 dB in 1-dB steps); 0 without calibration.
inline constexpr int kSplControlMiddle = 60;
int SplGainDb(const app::CurrentParameters& p);

// The level-run settings of an analysis from the current parameters: band,
// resolution, scale, averaging (the scroll or the scope time), the SPL
// calibration with its gain, and the response-correction tables (borrowed
// from p, which must outlive the settings' use).
dsp::LevelRunSettings LevelRunFor(const app::CurrentParameters& p, std::int32_t rateHz, int fftSize,
                                  int rows, int channels, float columnStepMs, bool scope);

// Where the waveform strip looks for a column's peaks: positions j of a
// frame with centre − reach < j < centre + reach, where centre is half the
// window length (at most N) and reach the samples of one column (at least 1).
struct StripWindow {
  double centre = 0.0;
  double reach = 1.0;
};
StripWindow StripWindowFor(int fftSize, std::int32_t rateHz, float resolutionHz, float columnStepMs);

// The largest and smallest sample of a frame in the strip window, rounded,
// made non-negative and non-positive, and limited to the strip's range.
struct StripPeaks {
  float high = 0.0F;
  float low = 0.0F;
};
// The strip's limits: the left (or only) channel a little inside the 16-bit
// range, the right channel at it, so the two traces stay apart.
inline constexpr float kStripLimitLeft = 32750.0F;
inline constexpr float kStripLimitRight = 32760.0F;
StripPeaks PeaksAroundCentre(std::span<const float> frame, const StripWindow& window, int channel);

// Pixel offset of a strip value v (16-bit units) from the strip's centre
// line, in a strip of height pixels: v × height ÷ 65500, truncated. The
// full 16-bit swing of 65500 fills the strip.
inline constexpr float kStripFullSwing = 65500.0F;
inline int StripOffset(float value, int height) {
  return static_cast<int>(value * static_cast<float>(height) / kStripFullSwing);
}

// Everything the column loop of a static analysis needs, settled before it
// starts.
struct ColumnRun {
  dsp::LevelRunSettings levels;  // levels.channels: how many channels are analysed
  FramePlan frames;
  int channels = 1;              // interleaved channels in the data
  int bytesPerSample = 2;        // 2 (16-bit) or 3 (packed 24-bit)
  float gainFactor = 1.0F;
  int onlyChannel = -1;          // ≥ 0: analyse only this channel of the data
  bool stripPeaks = false;       // find the waveform strip's peaks too
  StripWindow strip;
};

// The one column-analysis path of every static analysis: the frames of a
// segment in memory through the level spectrum into level codes, total
// level and strip peaks per column and channel. Start allocates; Analyse
// and AnalyseBlock then run without allocating.
//
// AnalyseBlock takes many columns at once and spreads their frames over the
// cores: the frames are independent up to the time average, which runs in
// column order. Its results are exactly those of Analyse column by column.
class ColumnAnalysis {
 public:
  ColumnAnalysis();
  ~ColumnAnalysis();
  ColumnAnalysis(ColumnAnalysis&&) noexcept;
  ColumnAnalysis& operator=(ColumnAnalysis&&) noexcept;

  // False when the level run cannot be created (bad settings, no memory).
  bool Start(const ColumnRun& run);
  void Release();

  // Analyses column `column` of `data` (the segment's interleaved samples)
  // for every analysed channel.
  void Analyse(std::span<const std::uint8_t> data, std::int64_t column);

  // The most columns one AnalyseBlock takes (0 before Start).
  int BlockColumns() const { return blockColumns_; }
  // Analyses columns first … first + count − 1 (count ≤ BlockColumns()), as
  // Analyse would one after the other. data holds interleaved samples from
  // the segment's sample dataFirstSample on (0: data is the whole segment);
  // positions outside it read as silence.
  void AnalyseBlock(std::span<const std::uint8_t> data, std::int64_t first, int count,
                    std::int64_t dataFirstSample = 0);
  // Columns the last Analyse or AnalyseBlock produced.
  int BlockCount() const { return blockCount_; }

  // Results of column first + i of the last block, by analysed channel
  // (0 … Channels() − 1).
  int Channels() const { return run_.levels.channels; }
  std::span<const std::int16_t> Codes(int channel, int i) const;
  std::optional<float> TotalDb(int channel, int i) const;  // nullopt for an all-zero frame
  StripPeaks Peaks(int channel, int i) const;

  // The same for the last column analysed.
  std::span<const std::int16_t> Codes(int channel) const { return Codes(channel, blockCount_ - 1); }
  std::optional<float> TotalDb(int channel) const { return TotalDb(channel, blockCount_ - 1); }
  StripPeaks Peaks(int channel) const { return Peaks(channel, blockCount_ - 1); }
  // Whole-dB level of FFT bin `bin` of the last analysed channel's
  // unaveraged spectrum in the last column analysed (relative or calibrated
  // as the run is, as the data logs print it); nullopt for a zero bin or one
  // outside 0 … N/2 − 1.
  std::optional<int> BinLevel(int bin) const;

 private:
  struct Slot;
  class Steps;

  std::size_t ResultIndex(int channel, int i) const;

  ColumnRun run_;
  dsp::LevelSpectrum levels_;
  std::unique_ptr<platform::WorkerPool> pool_;
  std::vector<Slot> slots_;  // one per thread of the pool
  int lanes_ = 1;
  int blockColumns_ = 0;
  int blockCount_ = 0;
  int rows_ = 0;
  int half_ = 0;
  bool standAlone_ = true;
  // Per column of a block and channel: codes, totals, peaks; the spectra and
  // averages only when frames are averaged; each channel's last spectrum.
  std::vector<std::int16_t> codes_;
  std::vector<std::optional<float>> totals_;
  std::vector<StripPeaks> peaks_;
  std::vector<float> spectra_;
  std::vector<double> averages_;
  std::vector<float> lastSpectra_;
};

}  // namespace sonavue::engines
