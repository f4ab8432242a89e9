#pragma once

#include <cstdint>
#include <string>

#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// The texts of the information and readout boxes and the numbers behind
// them: pure functions, no drawing.

// Information box values.
// "%u to %u" of the displayed band (fL·m, fH·m) up to 48 kHz; above it
// "%-2.1fk to %-2.1fk" in kHz, above 999999 Hz "%-2.1fm to %-2.1fm" in MHz.
std::string BandText(int lowHz, int highHz, int multiplier);
// The channels choice of the display: both ("Dual") or one of them.
enum class DisplayChannels { Dual, Left, Right };
// "Monaural", or for two channels "Stereo (Left)", "Stereo (Right)" or
// "Stereo" ("Dual") by the channels choice.
std::string ChannelsText(int channelCount, DisplayChannels channels);
// "%-4u" of the analysis rate × the multiplier.
std::string SampleRateText(int analysisRateHz, int multiplier);
// "8", "16", "24" or "32".
std::string SampleSizeText(int bits);

// Labels of the boxes.
inline constexpr const char* kBandLabel = "Display Band (Hz) :";
inline constexpr const char* kChannelsLabel = "Display Channels :";
inline constexpr const char* kRateLabel = "Sample Rate (Hz) :";
inline constexpr const char* kSizeLabel = "Sample Size (Bits) :";
inline constexpr const char* kRecordingLabel = "Recording Wave File";
inline constexpr const char* kElapsedLabel = "Elapsed Time (sec) :";
inline constexpr const char* kTimeLabel = "Time (msec) :";
inline constexpr const char* kFrequencyLabel = "Frequency (Hz) :";
inline constexpr const char* kLevelLabel = "Spect Level (dB) :";
inline constexpr const char* kTotalSplLabel = "Total SPL (dB) :";
// Placeholders, 16 characters so that they cover older values.
inline constexpr const char* kLongPlaceholder = "00000           ";
inline constexpr const char* kShortPlaceholder = "000             ";

// The label of the first readout row: recording, scanning, or a time.
const char* TimeRowLabel(bool recording, bool scanning);

// Time (ms) at image column `column` of a sonogram:
// ((column − Mx)·Δ + segment start + origin) ÷ divisor, Δ in ms per column.
double PointerTimeMs(int column, int leftMargin, double columnMs, double segmentStartMs,
                     double originMs, double timeDivisor);
// "%-4.0f +/- %-2u " with the half-column time round(Δ ÷ (2·divisor)) when
// that is 1 … 99 ms and no drag-select runs, else "%-4.0f".
std::string TimeReadoutText(double timeMs, double columnMs, double timeDivisor, bool dragSelect);
// Whole elapsed seconds, "%-4.0f".
std::string ElapsedText(std::uint32_t elapsedMs);

enum class ReadoutScale { Linear, Log, ThirdOctave };

struct FrequencyReadoutInput {
  int lowHz = 0;
  int highHz = 0;
  int multiplier = 1;
  ReadoutScale scale = ReadoutScale::Linear;
  int plotBottom = 0;  // H − Hb: the row under the lowest sonogram row
  int plotRows = 0;    // sonogram rows: H − Hb, or H − Hb − Hw for "Scroll 2"
  float resolutionHz = 0.0F;
  bool dragSelect = false;
  int cursorOffsetHz = 0;  // added to the shown frequency
};

struct FrequencyReadout {
  int frequencyHz = 0;     // as shown (offset included)
  double plusMinusHz = 0;  // the ± value u
  std::string text;
};

// Frequency of the sonogram row at pointer y, its ± value and text:
// "%-4i +/- %-3.1f " when u < 10, "%-4i +/- %-2u " otherwise, "%-4i" alone
// for "Oct/3" and during drag-select; when u > 99 the frequency is rounded
// down to a multiple of u.
FrequencyReadout FrequencyAtRow(const FrequencyReadoutInput& input, int y);

struct ScopeFrequencyInput {
  int width = 0;       // display-area width
  int points = 0;      // P: scope points, 2 pixels each
  int charWidth = 0;   // cw of the display font
  int lowHz = 0;       // fL as analysed
  int highHz = 0;      // fH as analysed
  int multiplier = 1;  // m: displayed frequency = analysed × m
  bool logarithmic = false;  // "Log" and "Oct/3"
};

// Displayed frequency at column x of a scope plot, rounded half away from
// zero: the plot starts at max((width − 2P) ÷ 2, cw·9 ÷ 2) with P at least 1
// and spans fL·m … fH·m over 2P pixels, linearly or (logarithmic, limits
// under 1 Hz counted as 1 Hz) in equal ratios. Columns outside the plot
// extend the scale.
int ScopeFrequencyAt(const ScopeFrequencyInput& input, int x);

// Index of the table entry nearest to color (Euclidean RGB distance; ties
// keep the lower index).
int NearestPaletteIndex(const platform::ColorTable& table, platform::Rgb color);
// Level (whole-dB internal scale) a palette index stands for between the
// sonogram Min and Max: Min + (Max − Min)·(index − 4) ÷ 240, never below Min.
double LevelForPaletteIndex(int index, int minDb, int maxDb);
// Level of scope pixel row y: (H − 2·th − y)·(Max − Min) ÷ (240·h) + Min,
// with h the scope's pixels per level unit.
double ScopeLevelAt(int y, int height, int textHeight, double pixelsPerUnit, int minDb, int maxDb);
// "%-4.0f".
std::string LevelText(double levelDb);
// "%-2.0f".
std::string TotalSplText(double levelDb);

}  // namespace sonavue::render
