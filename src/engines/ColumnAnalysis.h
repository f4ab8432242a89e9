#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dsp/LevelSpectrum.h"
#include "engines/AnalysisPlan.h"

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
// then runs without allocating.
class ColumnAnalysis {
 public:
  // False when the level run cannot be created (bad settings, no memory).
  bool Start(const ColumnRun& run);
  void Release();

  // Analyses column `column` of `data` (the segment's interleaved samples)
  // for every analysed channel.
  void Analyse(std::span<const std::uint8_t> data, std::int64_t column);

  // Results of the last Analyse, by analysed channel (0 … Channels() − 1).
  int Channels() const { return run_.levels.channels; }
  std::span<const std::int16_t> Codes(int channel) const;
  // Frame total level in dB; nullopt for an all-zero frame.
  std::optional<float> TotalDb(int channel) const;
  StripPeaks Peaks(int channel) const;
  // Whole-dB level of FFT bin `bin` of the last analysed channel's
  // unaveraged spectrum (relative or calibrated as the run is, as the data
  // logs print it); nullopt for a zero bin or one outside 0 … N/2 − 1.
  std::optional<int> BinLevel(int bin) const;

 private:
  ColumnRun run_;
  dsp::LevelSpectrum levels_;
  std::vector<float> frame_;
  std::array<std::vector<std::int16_t>, 2> codes_;
  std::array<std::optional<float>, 2> totals_;
  std::array<StripPeaks, 2> peaks_;
};

}  // namespace sonavue::engines
