#include "output/DataLogFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "dsp/LevelCode.h"
#include "dsp/Rounding.h"

namespace sonavue::output {
namespace {

// Appends printf-style text; the formats are the logs' own, so numbers
// come out character for character as the formats say.
__attribute__((format(printf, 2, 3))) void AppendFormat(std::string& out, const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out.append(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
}

// Appends text padded with spaces on the right to width characters.
void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
  out += text;
  if (text.size() < width) out.append(width - text.size(), ' ');
}

template <typename Integer>
void AppendInteger(std::string& out, Integer value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendLine(std::string& out, std::string_view text) {
  out += text;
  out += kLineEnd;
}

// Bin width fs ÷ N in single precision, as the logs use it.
float BinWidthHz(std::int32_t rateHz, int fftSize) {
  return fftSize > 0 ? static_cast<float>(rateHz) / static_cast<float>(fftSize) : 0.0F;
}

const char* LevelKindText(bool calibrated) {
  return calibrated ? "Calibrated Spectrum Level in Decibels/Hz" : "Relative Spectrum Level in Decibels/Hz";
}

// Far beyond any third-octave band a spectrum has.
constexpr int kBandLimit = 1000;
constexpr std::size_t kNumberWidth = 6;
constexpr std::size_t kCentreWidth = 9;
constexpr std::size_t kFrequencyWidth = 10;
constexpr std::size_t kPointFieldWidth = 14;

}  // namespace

std::string CommonLogLines(std::string_view signalFile, std::int32_t rateHz) {
  std::string out;
  AppendLine(out, "Sonavue 15 Data");
  AppendLine(out, signalFile);
  AppendInteger(out, rateHz);
  AppendLine(out, " Hz Sampling Rate");
  return out;
}

LoggedBins LoggedBinsFor(std::int32_t rateHz, int fftSize, std::int32_t lowHz, std::int32_t highHz) {
  LoggedBins bins;
  if (rateHz <= 0 || fftSize <= 0) return bins;
  const int half = fftSize / 2;
  const auto bin = [&](std::int32_t hz) {
    return dsp::RoundHalfUp(static_cast<float>(hz) * static_cast<float>(fftSize) / static_cast<float>(rateHz), 0,
                            half);
  };
  bins.first = bin(lowHz);
  bins.end = bin(highHz);
  return bins;
}

std::uint32_t LogStartMs(double startMs) {
  if (!(startMs > 0.0)) return 0;
  return static_cast<std::uint32_t>(std::min(startMs, 4294967295.0));
}

std::string SpectrumHeaderLines(const SpectrumLogHeader& h) {
  std::string out;
  const LoggedBins bins = LoggedBinsFor(h.rateHz, h.fftSize, h.lowHz, h.highHz);
  AppendInteger(out, h.fftSize);
  AppendLine(out, " Point FFT");
  AppendFormat(out, "FFT Points %u to %u Recorded", static_cast<unsigned>(bins.first),
               static_cast<unsigned>(bins.end));
  out += kLineEnd;
  AppendInteger(out, LogStartMs(h.startMs));
  AppendLine(out, " msec Sample Start");
  AppendFormat(out, "%-4.2f msec Time Step", static_cast<double>(h.columnMs));
  out += kLineEnd;
  AppendLine(out, "Comma Delimited Values");
  out += LevelKindText(h.calibrated);
  AppendLine(out, " vs. Time and Frequency");
  out += kLineEnd;
  out += "Freq, ";
  const float width = BinWidthHz(h.rateHz, h.fftSize);
  for (int b = bins.first; b < bins.end; ++b) {
    const float centre = static_cast<float>(b) * width + width / 2.0F;
    AppendFormat(out, "%.1f Hz, ", static_cast<double>(centre));
  }
  out += kLineEnd;
  return out;
}

std::uint32_t ColumnTimeMs(std::uint32_t startMs, std::int64_t column, float columnMs) {
  const float t = static_cast<float>(startMs) + static_cast<float>(column) * columnMs;
  const float rounded = std::floor(t + 0.5F);
  if (!(rounded > 0.0F)) return 0;
  return rounded >= 4294967295.0F ? 4294967295U : static_cast<std::uint32_t>(rounded);
}

std::size_t RowCapacity(int bins) {
  // "Time 4294967295 msec, ", and "-2147483648, " per bin at the most.
  constexpr std::size_t kTimeField = 24;
  constexpr std::size_t kBinField = 13;
  return kTimeField + kBinField * static_cast<std::size_t>(std::max(0, bins)) + kLineEnd.size();
}

void FormatColumnRow(std::string& line, std::uint32_t timeMs, std::span<const int> binLevels) {
  line.clear();
  line += "Time ";
  AppendInteger(line, timeMs);
  line += " msec, ";
  for (const int level : binLevels) {
    AppendInteger(line, level);
    line += ", ";
  }
  line += kLineEnd;
}

int SilentBinLevel(bool calibrated) { return dsp::ShownLevelDb(0, calibrated); }

std::string ScopeLogLines(const ScopeLogInput& in) {
  std::string out;
  const float width = BinWidthHz(in.rateHz, in.fftSize);
  switch (in.scale) {
    case ScopeLogScale::Linear:
      AppendFormat(out, "%-2.2f Hz Frequency Resolution", static_cast<double>(width));
      out += kLineEnd;
      break;
    case ScopeLogScale::Log: AppendLine(out, "Log Frequency Scale"); break;
    case ScopeLogScale::ThirdOctave: AppendLine(out, "1/3 Octave Frequency Scale"); break;
  }
  AppendInteger(out, dsp::RoundHalfAway(in.totalLevelDb, -1000000, 1000000));
  AppendLine(out, " dB Total SPL");
  AppendInteger(out, static_cast<long long>(std::isfinite(in.eventMs) ? std::trunc(in.eventMs) : 0.0));
  AppendLine(out, " msec Event Time");
  AppendLine(out, LevelKindText(in.calibrated));
  out += kLineEnd;
  AppendLine(out, in.scale == ScopeLogScale::Linear ? "Num   Hz       dB" : "Hz        dB");
  out += kLineEnd;

  const int points = static_cast<int>(in.codes.size());
  if (points == 0) return out;
  const auto level = [&](int j) { return in.codes[static_cast<std::size_t>(j)] / 4.0; };
  std::string field;
  if (in.scale == ScopeLogScale::Linear) {
    const LoggedBins bins = LoggedBinsFor(in.rateHz, in.fftSize, in.lowHz, in.highHz);
    const int offset = width > 0.0F ? dsp::TruncateClamped(static_cast<float>(in.lowHz) / width, 0, 1 << 20) : 0;
    const float span = static_cast<float>(in.highHz - in.lowHz);
    for (int b = bins.first; b < bins.end; ++b) {
      // The point of the bin's lower edge, not its centre.
      const float edge = static_cast<float>(b) * width;
      const int j = span > 0.0F ? dsp::RoundHalfUp(static_cast<float>(points) * (edge - static_cast<float>(in.lowHz)) / span,
                                                   0, points - 1)
                                : 0;
      field.clear();
      AppendInteger(field, b + offset);
      AppendPadded(out, field, kNumberWidth);
      field.clear();
      AppendFormat(field, "%-2.2f", static_cast<double>(static_cast<float>(b) * width + width / 2.0F));
      AppendPadded(out, field, kCentreWidth);
      AppendFormat(out, "%-2.1f", level(j));
      out += kLineEnd;
    }
    return out;
  }

  // Log and Oct/3: the points are spaced evenly in log10 between the limits.
  const float lowLog = std::log10(static_cast<float>(in.lowHz));
  const float step = points > 1 ? (std::log10(static_cast<float>(in.highHz)) - lowLog) / static_cast<float>(points - 1) : 0.0F;
  if (in.scale == ScopeLogScale::Log) {
    int previous = 0;
    for (int i = 0; i < points; ++i) {
      const float exponent = lowLog + static_cast<float>(i) * step;
      const int f = std::isfinite(exponent) ? dsp::RoundHalfUp(std::pow(10.0F, exponent), 0, 1 << 30) : 0;
      if (f == previous) continue;
      previous = f;
      field.clear();
      AppendFormat(field, "%-5i", f);
      AppendPadded(out, field, kFrequencyWidth);
      AppendFormat(out, "%-2.1f", level(i));
      out += kLineEnd;
    }
    return out;
  }
  const float log2 = std::log10(2.0F);
  int previous = 0;
  for (int i = 0; i < points; ++i) {
    const float exponent = lowLog + static_cast<float>(i) * step;
    // A point at 0 Hz (a low limit of 0) lies in no band.
    if (!std::isfinite(exponent)) continue;
    const int k = dsp::TruncateClamped(3.0F * exponent / log2, -kBandLimit, kBandLimit);
    if (k == previous) continue;
    previous = k;
    const double centre = std::pow(2.0, k / 3.0);
    if (!(centre > in.lowHz)) continue;
    field.clear();
    AppendFormat(field, "%0.0f", centre);
    AppendPadded(out, field, kFrequencyWidth);
    AppendFormat(out, "%-2.1f", level(i));
    out += kLineEnd;
  }
  return out;
}

std::string PointLogHeaderLines(std::string_view signalFile, std::int32_t rateHz, int fftSize) {
  std::string out = CommonLogLines(signalFile, rateHz);
  AppendInteger(out, fftSize);
  AppendLine(out, " Point FFT");
  out += kLineEnd;
  AppendLine(out, "Time (msec),  Freq (Hz),    Level (dB)");
  out += kLineEnd;
  return out;
}

std::string PointLogRow(int timeMs, int frequencyHz, std::string_view levelText) {
  std::string out;
  std::string field;
  AppendInteger(field, timeMs);
  AppendPadded(out, field, kPointFieldWidth);
  field.clear();
  AppendInteger(field, frequencyHz);
  AppendPadded(out, field, kPointFieldWidth);
  AppendPadded(out, levelText, kPointFieldWidth);
  out += kLineEnd;
  return out;
}

std::string PointLogTimeText(int timeMs) {
  std::string out;
  AppendFormat(out, "%-1d", timeMs);
  return out;
}

std::string PointLogFrequencyText(int frequencyHz) {
  std::string out;
  AppendFormat(out, "%-1d", frequencyHz);
  return out;
}

}  // namespace sonavue::output
