#include "plans/ColorScale.h"

#include <algorithm>

#include "plans/RenderMath.h"

namespace sonavue::render {

namespace {

constexpr int kStepsPerSegment = 20;
constexpr int kSegments = kScalePoints - 1;

std::uint8_t Interpolate(std::uint8_t from, std::uint8_t to, int step) {
  // Extended precision for the difference, product and quotient, the result
  // stored in single precision before truncation: the entries must come out
  // exactly as the stored images and the level readout expect.
  const long double delta = static_cast<long double>(to) - static_cast<long double>(from);
  const float value = static_cast<float>(static_cast<long double>(from) +
                                         static_cast<long double>(step) * delta / kStepsPerSegment);
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(value), 0, 255));
}

}  // namespace

void FillPaletteEntries(const ColorRecord& colors, platform::ColorTable& table) {
  table[kTextIndex] = colors[kRecordText];
  table[kFreqMarkIndex] = colors[kRecordFreqMark];
  table[kSignal2Index] = colors[kRecordSignal2];
  table[kSignal1Index] = colors[kRecordSignal1];
  table[kBackgroundIndex] = colors[kRecordBackground];
  for (int k = 0; k < kSegments; ++k) {
    const platform::Rgb& p = colors[static_cast<std::size_t>(k)];
    const platform::Rgb& q = colors[static_cast<std::size_t>(k + 1)];
    for (int j = 0; j < kStepsPerSegment; ++j) {
      const int index = kFirstScaleIndex + kStepsPerSegment * k + j;
      if (index > kLastScaleIndex) return;
      table[static_cast<std::size_t>(index)] = {Interpolate(p.r, q.r, j), Interpolate(p.g, q.g, j),
                                                Interpolate(p.b, q.b, j)};
    }
  }
}

int LevelToColorIndex(std::int16_t code, int minDb, int maxDb) {
  if (code == 0) return 0;
  const int x = code;
  if (maxDb == minDb) return x >= 4 * minDb ? 240 : 0;  // no range: all or nothing
  const float t = static_cast<float>(static_cast<double>(x - 4 * minDb) * 240.0 /
                                     (4.0 * static_cast<double>(maxDb - minDb)));
  return Trunc(t);
}

int ClampToScale(int index) { return std::clamp(index, kBackgroundIndex, kLastScaleIndex); }

double ScalePointLevel(int point, int minDb, int maxDb) {
  return minDb + point * static_cast<double>(maxDb - minDb) / (kScalePoints - 1);
}

std::string ScalePointLabel(int point, int minDb, int maxDb, bool splCalibrated) {
  const double level = ScalePointLevel(point, minDb, maxDb) - (splCalibrated ? 0 : 90);
  return Format("%-2.2f dB", level);
}

}  // namespace sonavue::render
