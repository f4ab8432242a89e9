#pragma once

#include <cstdint>

// The scroll-bar and value rules the parameter dialogs share, as pure
// functions over plain values. Frequencies are analysis Hz, levels whole dB
// on the internal scale (90 = 0 dB relative).
namespace sonavue::dialogs {

// A scroll-bar action, named by the direction in which it moves the value
// (whatever the bar's orientation). Thumb carries the dragged position.
enum class ScrollAction { LineDown, LineUp, PageDown, PageUp, Thumb };

// Standard rate for a rate in Hz: up to 11025 → 11025, up to 22050 → 22050,
// up to 44100 → 44100, up to 48000 → 48000, anything higher → 96000.
std::int32_t SnapSampleRate(std::int32_t rateHz);

// The rate a Scan Input dialog opens with: the last rate snapped when a rate
// radio offers it, else the rate of the stored rate radio, else 48000 Hz.
std::int32_t ScanInputRate(std::int32_t lastRateHz, int rateId);

// Rate radio (1165 … 1168) of a rate, 0 for a rate without one; and back
// (0 for an identifier that is no rate radio).
int RateIdForRate(std::int32_t rateHz);
std::int32_t RateForId(int rateId);

// FFT-size radio (1082 … 1087) of a size, 0 for a size without one; and back.
int FftIdForSize(int fftSize);
int FftSizeForId(int fftId);

// Frequency resolution of scroll position p (10 … 100, tenths of a bin
// width): (rate / fftSize) × p / 10.
float ResolutionForPosition(std::int32_t rateHz, int fftSize, int position);
// Scroll position of a resolution: r × 10 / (rate / fftSize), rounded half
// away from zero and kept within 10 … 100.
int PositionForResolution(std::int32_t rateHz, int fftSize, float resolutionHz);

// Time per display column in ms for a display width in seconds: the width
// spread over the plot columns (display-area width − left margin, or for a
// stereo "Dual" display twice the width over display-area width − 2 × left
// margin). Plots without columns give 10 ms.
float TimePerColumnMs(float widthS, int displayWidth, int leftMargin, bool dual);

struct LevelLimits {
  std::int32_t max = 90;
  std::int32_t min = 0;
};
// Scroll bars 1235 (Max) and 1237 (Min): range 0 … 180, position = level + 60.
inline constexpr int kLevelScrollOffset = 60;
inline constexpr int kLevelScrollMax = 180;
// Max: steps of 10 stop at −30 and 120; a drag gives position − 60 within
// −30 … 120 rounded toward zero to tens. After a step down or a drag a gap
// of 29 dB or less moves Min to Max − 30.
LevelLimits ScrollLevelMax(LevelLimits limits, ScrollAction action, int thumbPosition);
// Min: steps of 10 stop at −30 (down) and 90 (up); a drag gives position − 60
// within −60 … 90 rounded toward zero to tens. After a step up or a drag a
// gap under 30 dB moves Max to Min + 30.
LevelLimits ScrollLevelMin(LevelLimits limits, ScrollAction action, int thumbPosition);

struct BandLimits {
  std::int32_t lowHz = 0;
  std::int32_t highHz = 6000;
};
// Scroll ranges of the band bars: Linear low and high 0 … rate / 2; on the
// Log and Oct/3 scales low 20 … 1000 and high fixed at rate / 2.
inline constexpr std::int32_t kLogLowestHz = 20;
inline constexpr std::int32_t kLogLowHighestHz = 1000;
// Low band bar (1234): lines ±10 Hz, pages ±100 Hz (upward pages land on a
// multiple of 100), the thumb on a multiple of 10; steps down stop at 20 Hz.
// Linear: low stays within 0 … rate / 2 − 500 and pushes high up to low + 500.
// Log and Oct/3: low stays within 20 … 1000.
BandLimits ScrollLowBand(BandLimits band, ScrollAction action, int thumbPosition,
                         std::int32_t rateHz, bool linear);
// High band bar (1233, Linear only): lines ±10 Hz, pages ±100 Hz landing on a
// multiple of 100, the thumb on a multiple of 10; high stays within
// 500 … rate / 2 and pushes low down to high − 500.
BandLimits ScrollHighBand(BandLimits band, ScrollAction action, int thumbPosition,
                          std::int32_t rateHz);

// Trigger level bar (1054), 30 … 120: lines ±1, pages ±10 then down to a
// multiple of 10, the thumb down to a multiple of 10.
inline constexpr int kTriggerLowest = 30;
inline constexpr int kTriggerHighest = 120;
int ScrollTriggerLevel(int level, ScrollAction action, int thumbPosition);

// Resolution bar (1066), 10 … 100: lines ±1, pages ±10, the thumb as dragged.
inline constexpr int kResolutionPositionLowest = 10;
inline constexpr int kResolutionPositionHighest = 100;
int ScrollResolutionPosition(int position, ScrollAction action, int thumbPosition);

// Display width bar (1236) of the automatic members, 1 … 600 tenths of a
// second: lines ±1 (0.1 s), pages ±10 (1 s), the thumb as dragged.
inline constexpr int kWidthPositionLowest = 1;
inline constexpr int kWidthPositionHighest = 600;
int ScrollWidthPosition(int position, ScrollAction action, int thumbPosition);

// Frequency multiplier bar (1060), 1 … 20: lines ±1, pages ±5, the thumb as
// dragged.
inline constexpr int kMultiplierLowest = 1;
inline constexpr int kMultiplierHighest = 20;
int ScrollMultiplier(int multiplier, ScrollAction action, int thumbPosition);

}  // namespace sonavue::dialogs
