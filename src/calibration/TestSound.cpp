#include "calibration/TestSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/Fft.h"

namespace sonavue::calibration {
namespace {

// A small, fixed generator: the sound must be the same on every machine.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9U : seed) {}
  // Uniform in [0, 1).
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 4294967296.0;
  }

 private:
  std::uint32_t state_;
};

// 1 inside the band, 0 outside, rising and falling as a raised cosine over
// a sixth of an octave at each edge.
double BandGain(double f, double low, double high) {
  constexpr double width = 1.0 / 6.0;  // octaves; the edge frequency itself gets half
  const auto edge = [width](double octaves) {
    if (octaves <= 0.0) return 0.0;
    if (octaves >= width) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * octaves / width);
  };
  if (f <= 0.0) return 0.0;
  return edge(std::log2(f / low) + width / 2) * edge(std::log2(high / f) + width / 2);
}

}  // namespace

std::vector<std::int16_t> MakeTestSound(const TestSoundSettings& settings) {
  const int n = settings.frames;
  if (n < 1024 || (n & (n - 1)) != 0 || settings.rateHz <= 0 || !(settings.lowHz > 0.0) || !(settings.highHz > settings.lowHz)) {
    return {};
  }
  // A Hermitian spectrum, so that the inverse transform is real: magnitude
  // 1/√f gives power 1/f, equal in every octave; the phases are random.
  std::vector<float> data(2 * static_cast<std::size_t>(n), 0.0F);
  Random random(settings.seed);
  for (int k = 1; k < n / 2; ++k) {
    const double f = static_cast<double>(k) * settings.rateHz / n;
    const double magnitude = BandGain(f, settings.lowHz, settings.highHz) / std::sqrt(f);
    const double phase = 2.0 * std::numbers::pi * random.Next();
    const auto re = static_cast<float>(magnitude * std::cos(phase));
    const auto im = static_cast<float>(magnitude * std::sin(phase));
    data[2 * static_cast<std::size_t>(k)] = re;
    data[2 * static_cast<std::size_t>(k) + 1] = im;
    data[2 * static_cast<std::size_t>(n - k)] = re;
    data[2 * static_cast<std::size_t>(n - k) + 1] = -im;
  }
  dsp::ComplexFft(data, n, +1);

  double squares = 0.0;
  for (int j = 0; j < n; ++j) squares += static_cast<double>(data[2 * static_cast<std::size_t>(j)]) * data[2 * static_cast<std::size_t>(j)];
  const double rms = std::sqrt(squares / n);
  if (!(rms > 0.0)) return {};
  const double scale = settings.rmsUnits / rms;

  const int fade = std::clamp(static_cast<int>(settings.fadeMs * settings.rateHz / 1000.0), 0, n / 2);
  std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) {
    double gain = 1.0;
    const int fromEdge = std::min(j, n - 1 - j);
    if (fromEdge < fade) gain = 0.5 - 0.5 * std::cos(std::numbers::pi * (fromEdge + 0.5) / fade);
    const double v = data[2 * static_cast<std::size_t>(j)] * scale * gain;
    samples[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
  }
  return samples;
}

}  // namespace sonavue::calibration
