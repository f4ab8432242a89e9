#include "output/ImageResample.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sonavue::output {
namespace {

// Where one output column or row samples the source: the two neighbours
// (the second the same on the last one) and the weight of the second.
struct Sample {
  int first = 0;
  int second = 0;
  float weight = 0.0F;
};

Sample SampleAt(int index, double step, int sourceSize) {
  const double f = index * step;
  Sample s;
  s.first = std::min(static_cast<int>(f), sourceSize - 1);
  s.weight = static_cast<float>(f - s.first);
  s.second = s.first == sourceSize - 1 ? s.first : s.first + 1;
  return s;
}

double StepOf(int sourceSize, int targetSize) {
  return targetSize > 1 ? (sourceSize - 1.0) / (targetSize - 1.0) : 0.0;
}

}  // namespace

void ResampleBilinear(const PixelView& source, const MutablePixelView& target) {
  if (source.width < 1 || source.height < 1 || target.width < 1 || target.height < 1) return;
  if (source.width == target.width && source.height == target.height) {
    // Scale factors of 1 sample every pixel exactly: the rows are copied.
    for (int y = 0; y < target.height; ++y) {
      std::memcpy(target.Row(y), source.Row(y), 3 * static_cast<std::size_t>(target.width));
    }
    return;
  }
  const double sx = StepOf(source.width, target.width);
  const double sy = StepOf(source.height, target.height);

  // Per output column: byte offsets of both neighbours and the weight.
  std::vector<int> first(static_cast<std::size_t>(target.width));
  std::vector<int> second(static_cast<std::size_t>(target.width));
  std::vector<float> weight(static_cast<std::size_t>(target.width));
  for (int x = 0; x < target.width; ++x) {
    const Sample s = SampleAt(x, sx, source.width);
    first[static_cast<std::size_t>(x)] = 3 * s.first;
    second[static_cast<std::size_t>(x)] = 3 * s.second;
    weight[static_cast<std::size_t>(x)] = s.weight;
  }

  // The vertical step of one output row over the whole source row: the g
  // and h of every column are then read from it.
  const std::size_t rowValues = 3 * static_cast<std::size_t>(source.width);
  std::vector<float> between(rowValues);
  int lastFirst = -1;
  int lastSecond = -1;
  float lastWeight = -1.0F;
  for (int y = 0; y < target.height; ++y) {
    const Sample s = SampleAt(y, sy, source.height);
    if (s.first != lastFirst || s.second != lastSecond || s.weight != lastWeight) {
      // Rows are counted from the bottom; the pictures store the top first.
      const std::uint8_t* a = source.Row(source.height - 1 - s.first);
      const std::uint8_t* b = source.Row(source.height - 1 - s.second);
      const float dy = s.weight;
      for (std::size_t i = 0; i < rowValues; ++i) {
        const float low = a[i];
        between[i] = low + (static_cast<float>(b[i]) - low) * dy;
      }
      lastFirst = s.first;
      lastSecond = s.second;
      lastWeight = s.weight;
    }
    std::uint8_t* out = target.Row(target.height - 1 - y);
    const float* row = between.data();
    for (int x = 0; x < target.width; ++x) {
      const float* g = row + first[static_cast<std::size_t>(x)];
      const float* h = row + second[static_cast<std::size_t>(x)];
      const float dx = weight[static_cast<std::size_t>(x)];
      out[0] = static_cast<std::uint8_t>(static_cast<int>(g[0] + (h[0] - g[0]) * dx));
      out[1] = static_cast<std::uint8_t>(static_cast<int>(g[1] + (h[1] - g[1]) * dx));
      out[2] = static_cast<std::uint8_t>(static_cast<int>(g[2] + (h[2] - g[2]) * dx));
      out += 3;
    }
  }
}

}  // namespace sonavue::output
