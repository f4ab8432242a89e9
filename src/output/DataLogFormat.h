#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonavue::output {

// The text of the data logs, line by line. Every line ends with CR LF;
// list lines keep their trailing ", ". Pure: no files, no App.

inline constexpr std::string_view kLineEnd = "\r\n";

// The three lines both logs begin with: "Sonavue 15 Data", the signal
// file's name, and "<fs> Hz Sampling Rate".
std::string CommonLogLines(std::string_view signalFile, std::int32_t rateHz);

// The FFT bins a spectrum log lists: b0 = round(fL × N ÷ fs) up to but not
// including b1 = round(fH × N ÷ fs), each worked out in single precision and
// rounded half up, and kept within the N/2 bins of the spectrum.
struct LoggedBins {
  int first = 0;  // b0
  int end = 0;    // b1 (exclusive)
  int Count() const { return end > first ? end - first : 0; }
};
LoggedBins LoggedBinsFor(std::int32_t rateHz, int fftSize, std::int32_t lowHz, std::int32_t highHz);

// What the Log Spectrum of a sonogram states about its analysis.
struct SpectrumLogHeader {
  std::int32_t rateHz = 48000;   // fs, the analysis rate
  int fftSize = 1024;            // N
  std::int32_t lowHz = 0;        // fL
  std::int32_t highHz = 6000;    // fH
  double startMs = 0.0;          // the segment's start times and the time origin, summed
  float columnMs = 10.0F;        // Δ, time per display column
  bool calibrated = false;       // SPL calibration: calibrated, else relative levels
};

// S: the start of the log in whole ms, truncated.
std::uint32_t LogStartMs(double startMs);

// Lines 4 to 10 of a sonogram's Log Spectrum: FFT size, the bins recorded,
// the start, the time step, "Comma Delimited Values", the level kind with an
// empty line after it, and the "Freq, " line of bin centres.
std::string SpectrumHeaderLines(const SpectrumLogHeader& header);

// Time of display column i in the log: S + i × Δ in single precision,
// rounded half up.
std::uint32_t ColumnTimeMs(std::uint32_t startMs, std::int64_t column, float columnMs);

// Formats the row of one column into line (cleared first): "Time <t> msec, "
// and one "<level>, " per bin, then CR LF. Appends only: a line reserved
// with RowCapacity never allocates.
void FormatColumnRow(std::string& line, std::uint32_t timeMs, std::span<const int> binLevels);
std::size_t RowCapacity(int bins);

// The whole-dB level a log prints for a bin without any power: the lowest
// level of the internal scale (0), shown relative (−90) or calibrated (0).
int SilentBinLevel(bool calibrated);

// The spectrum of a scope display as its Log Spectrum prints it.
enum class ScopeLogScale { Linear, Log, ThirdOctave };
struct ScopeLogInput {
  ScopeLogScale scale = ScopeLogScale::Linear;
  std::int32_t rateHz = 48000;
  int fftSize = 1024;
  std::int32_t lowHz = 0;
  std::int32_t highHz = 6000;
  double totalLevelDb = 0.0;   // the frame total level
  double eventMs = 0.0;        // the frame's time plus the time origin
  bool calibrated = false;
  std::span<const std::int16_t> codes;  // one level code per scope point, P = codes.size()
};

// Lines 4 … of a scope's Log Spectrum: its header lines and one row per
// bin (Linear), per distinct whole-Hz point frequency (Log) or per
// third-octave band (Oct/3).
std::string ScopeLogLines(const ScopeLogInput& input);

// The Log Points file: the new-file lines (common lines, "<N> Point FFT",
// the column heads, each new-file block followed by an empty line), and one
// row per point: time and frequency in whole units, the level as "%-4.0f",
// each padded with spaces to 14 characters.
std::string PointLogHeaderLines(std::string_view signalFile, std::int32_t rateHz, int fftSize);
std::string PointLogRow(int timeMs, int frequencyHz, std::string_view levelText);

// What the point-log window shows of a point: "%-1d", "%-1d", and the level
// text "%-4.0f" as given.
std::string PointLogTimeText(int timeMs);
std::string PointLogFrequencyText(int frequencyHz);

}  // namespace sonavue::output
