// The calibration sound the build makes: pink within its band, quiet
// outside it, at its level, with its fades.

#include "calibration/TestSound.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dsp/Fft.h"

namespace sonavue::calibration {
namespace {

// Power of the sound between lowHz and highHz, from one FFT of it all.
class Spectrum {
 public:
  Spectrum(const std::vector<std::int16_t>& samples, int rate) : n_(static_cast<int>(samples.size())), rate_(rate) {
    data_.assign(samples.begin(), samples.end());
    dsp::RealFft(data_);
  }
  double Power(double lowHz, double highHz) const {
    double sum = 0.0;
    for (int k = 1; k < n_ / 2; ++k) {
      const double f = static_cast<double>(k) * rate_ / n_;
      if (f < lowHz || f >= highHz) continue;
      const double re = data_[2 * static_cast<std::size_t>(k)];
      const double im = data_[2 * static_cast<std::size_t>(k) + 1];
      sum += re * re + im * im;
    }
    return sum;
  }

 private:
  int n_;
  int rate_;
  std::vector<float> data_;
};

TEST(TestSoundTest, EveryOctaveOfTheBandHoldsTheSamePower) {
  TestSoundSettings settings;
  settings.frames = 1 << 18;
  settings.fadeMs = 0.0;
  const auto samples = MakeTestSound(settings);
  ASSERT_EQ(samples.size(), static_cast<std::size_t>(settings.frames));
  const Spectrum spectrum(samples, settings.rateHz);
  const double reference = spectrum.Power(500.0, 1000.0);
  for (double low : {200.0, 1000.0, 2000.0, 4000.0}) {
    EXPECT_NEAR(10.0 * std::log10(spectrum.Power(low, 2 * low) / reference), 0.0, 0.5) << low;
  }
  // Outside the band: nothing to speak of.
  EXPECT_LT(10.0 * std::log10(spectrum.Power(20.0, 60.0) / reference), -40.0);
  EXPECT_LT(10.0 * std::log10(spectrum.Power(14000.0, 24000.0) / reference), -40.0);
}

TEST(TestSoundTest, ItsLevelIsTwentyDecibelsBelowFullScaleAndItFadesInAndOut) {
  const TestSoundSettings settings;
  const auto samples = MakeTestSound(settings);
  ASSERT_EQ(samples.size(), static_cast<std::size_t>(settings.frames));
  const int fade = static_cast<int>(settings.fadeMs * settings.rateHz / 1000.0);
  double squares = 0.0;
  int peak = 0;
  for (std::size_t i = fade; i + fade < samples.size(); ++i) {
    squares += static_cast<double>(samples[i]) * samples[i];
    peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  }
  const double rms = std::sqrt(squares / static_cast<double>(samples.size() - 2 * fade));
  EXPECT_NEAR(20.0 * std::log10(rms / 32767.0), -20.0, 0.1);
  EXPECT_LT(peak, 32767);  // no clipping
  // The ends are near silence and grow over the fade.
  EXPECT_LT(std::abs(samples.front()), 5);
  EXPECT_LT(std::abs(samples.back()), 5);
  double early = 0.0;
  double late = 0.0;
  for (int i = 0; i < fade / 4; ++i) early += std::abs(samples[static_cast<std::size_t>(i)]);
  for (int i = fade; i < fade + fade / 4; ++i) late += std::abs(samples[static_cast<std::size_t>(i)]);
  EXPECT_LT(early * 20.0, late);
}

TEST(TestSoundTest, TheSameSoundOnEveryBuildAndNoneForUnusableSettings) {
  TestSoundSettings settings;
  settings.frames = 1 << 14;
  EXPECT_EQ(MakeTestSound(settings), MakeTestSound(settings));
  settings.seed = 17;
  TestSoundSettings other = settings;
  other.seed = 18;
  EXPECT_NE(MakeTestSound(settings), MakeTestSound(other));
  settings.frames = 3000;
  EXPECT_TRUE(MakeTestSound(settings).empty());
  settings.frames = 1 << 14;
  settings.highHz = 50.0;
  EXPECT_TRUE(MakeTestSound(settings).empty());
}

}  // namespace
}  // namespace sonavue::calibration
