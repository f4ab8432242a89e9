#include "plans/ReadoutText.h"

#include <algorithm>
#include <cmath>

#include "plans/PaletteIndex.h"
#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

constexpr int kHalfColumnMinMs = 1;
constexpr int kHalfColumnMaxMs = 99;

}  // namespace

std::string BandText(int lowHz, int highHz, int multiplier) {
  const double low = static_cast<double>(lowHz) * multiplier;
  const double high = static_cast<double>(highHz) * multiplier;
  if (high > 999999.0) return Format("%-2.1fm to %-2.1fm", low / 1e6, high / 1e6);
  if (high > 48000.0) return Format("%-2.1fk to %-2.1fk", low / 1e3, high / 1e3);
  return Format("%u to %u", static_cast<unsigned>(low), static_cast<unsigned>(high));
}

std::string ChannelsText(int channelCount, DisplayChannels channels) {
  if (channelCount < 2) return "Monaural";
  switch (channels) {
    case DisplayChannels::Left: return "Stereo (Left)";
    case DisplayChannels::Right: return "Stereo (Right)";
    case DisplayChannels::Dual: break;
  }
  return "Stereo";
}

std::string SampleRateText(int analysisRateHz, int multiplier) {
  return Format("%-4u", static_cast<unsigned>(analysisRateHz) * static_cast<unsigned>(multiplier));
}

std::string SampleSizeText(int bits) { return Format("%d", bits); }

const char* TimeRowLabel(bool recording, bool scanning) {
  if (recording) return kRecordingLabel;
  if (scanning) return kElapsedLabel;
  return kTimeLabel;
}

double PointerTimeMs(int column, int leftMargin, double columnMs, double segmentStartMs,
                     double originMs, double timeDivisor) {
  const double divisor = timeDivisor > 0.0 ? timeDivisor : 1.0;
  return ((column - leftMargin) * columnMs + segmentStartMs + originMs) / divisor;
}

std::string TimeReadoutText(double timeMs, double columnMs, double timeDivisor, bool dragSelect) {
  const double divisor = timeDivisor > 0.0 ? timeDivisor : 1.0;
  const int half = RoundHalfAway(columnMs / (2.0 * divisor));
  if (!dragSelect && half >= kHalfColumnMinMs && half <= kHalfColumnMaxMs) {
    return Format("%-4.0f +/- %-2u ", timeMs, static_cast<unsigned>(half));
  }
  return Format("%-4.0f", timeMs);
}

std::string ElapsedText(std::uint32_t elapsedMs) {
  return Format("%-4.0f", static_cast<double>(elapsedMs - elapsedMs % 1000) / 1000.0);
}

FrequencyReadout FrequencyAtRow(const FrequencyReadoutInput& in, int y) {
  FrequencyReadout out;
  const int m = std::max(1, in.multiplier);
  const int rowsAbove = in.plotBottom - 1 - y;
  double f = 0.0;
  if (in.scale == ReadoutScale::Linear) {
    if (in.plotRows > 0) {
      f = static_cast<double>(in.lowHz) * m +
          static_cast<double>(in.highHz - in.lowHz) * m * rowsAbove / in.plotRows;
    }
    out.plusMinusHz = RoundHalfAway(in.resolutionHz * m / 2.0);
  } else {
    // The rows are spaced as the level rows: log10(fH ÷ fL) ÷ (rows − 1) apart.
    const double low = std::max(1.0, static_cast<double>(in.lowHz));
    const double high = std::max(low, static_cast<double>(in.highHz));
    const double rowStep = in.plotRows > 1 ? (std::log10(high) - std::log10(low)) / (in.plotRows - 1) : 0.0;
    f = std::pow(10.0, std::log10(low * m) + rowsAbove * rowStep);
    out.plusMinusHz = f * (std::pow(10.0, rowStep) - 1.0);  // spacing to the row above
  }
  int shown = RoundHalfAway(f);
  const double u = out.plusMinusHz;
  if (u > 99.0) shown = static_cast<int>(std::floor(shown / u) * u);
  shown += in.cursorOffsetHz;
  out.frequencyHz = shown;
  if (in.scale == ReadoutScale::ThirdOctave || in.dragSelect) {
    out.text = Format("%-4i", shown);
  } else if (u < 10.0) {
    out.text = Format("%-4i +/- %-3.1f ", shown, u);
  } else {
    out.text = Format("%-4i +/- %-2u ", shown, static_cast<unsigned>(RoundHalfAway(u)));
  }
  return out;
}

int ScopeFrequencyAt(const ScopeFrequencyInput& in, int x) {
  const int points = std::max(1, in.points);
  const int left = std::max((in.width - 2 * points) / 2, in.charWidth * 9 / 2);
  const int m = std::max(1, in.multiplier);
  const double low = static_cast<double>(in.lowHz) * m;
  const double high = static_cast<double>(in.highHz) * m;
  const double along = static_cast<double>(x - left) / (2.0 * points);
  double f = low + (high - low) * along;
  if (in.logarithmic) {
    const double logLow = std::log10(std::max(1.0, low));
    f = std::pow(10.0, logLow + (std::log10(std::max(1.0, high)) - logLow) * along);
  }
  return RoundHalfAway(f);
}

int NearestPaletteIndex(const platform::ColorTable& table, platform::Rgb color) {
  long best = -1;
  int chosen = 0;
  for (int i = 0; i < platform::kColorTableSize; ++i) {
    const platform::Rgb& c = table[static_cast<std::size_t>(i)];
    const long dr = static_cast<long>(c.r) - color.r;
    const long dg = static_cast<long>(c.g) - color.g;
    const long db = static_cast<long>(c.b) - color.b;
    const long distance = dr * dr + dg * dg + db * db;
    if (best < 0 || distance < best) {
      best = distance;
      chosen = i;
      if (distance == 0) break;
    }
  }
  return chosen;
}

double LevelForPaletteIndex(int index, int minDb, int maxDb) {
  const int steps = std::max(0, index - kBackgroundIndex);
  const double level = minDb + static_cast<double>(maxDb - minDb) * steps / 240.0;
  return std::max(level, static_cast<double>(minDb));
}

double ScopeLevelAt(int y, int height, int textHeight, double pixelsPerUnit, int minDb, int maxDb) {
  if (pixelsPerUnit <= 0.0) return minDb;
  return (height - 2 * textHeight - y) * static_cast<double>(maxDb - minDb) / (240.0 * pixelsPerUnit) +
         minDb;
}

std::string LevelText(double levelDb) { return Format("%-4.0f", levelDb); }

std::string TotalSplText(double levelDb) { return Format("%-2.0f", levelDb); }

}  // namespace sonavue::render
