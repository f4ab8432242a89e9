#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/FrameTransform.h"
#include "dsp/SpectralFrame.h"

namespace sonavue::dsp {
namespace {

std::vector<float> RandomFrame(int n, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> dist(-20000.0f, 20000.0f);
  std::vector<float> x(static_cast<std::size_t>(n));
  for (float& v : x) v = dist(generator);
  return x;
}

// The magnitude spectrum as described: the window applied in double and
// rounded, the recurrence transform of Fft.h, the root in double.
std::vector<float> ReferenceMagnitudes(const std::vector<float>& x, std::span<const double> window) {
  const int n = static_cast<int>(x.size());
  std::vector<float> work(x.size());
  for (int k = 0; k < n; ++k) work[k] = static_cast<float>(x[k] * window[k]);
  RealFft(work);
  std::vector<float> out(static_cast<std::size_t>(n / 2));
  out[0] = work[0] / static_cast<float>(n);
  for (int k = 1; k < n / 2 - 1; ++k) {
    const float power = work[2 * k] * work[2 * k] + work[2 * k + 1] * work[2 * k + 1];
    out[k] = static_cast<float>(std::sqrt(static_cast<double>(power)) / n);
  }
  out[n / 2 - 1] = work[1] / static_cast<float>(n);
  return out;
}

std::vector<float> FastMagnitudes(const FrameTransform& transform, std::vector<float> x) {
  TransformScratch scratch;
  EXPECT_TRUE(transform.PrepareScratch(scratch));
  const float* in[] = {x.data()};
  float* out[] = {x.data()};
  transform.Magnitudes(in, out, scratch);
  x.resize(x.size() / 2);
  return x;
}

TEST(FrameTransformTest, AgreesWithTheDescribedTransformWithinSinglePrecisionRounding) {
  for (int log2n = 2; log2n <= 14; ++log2n) {
    const int n = 1 << log2n;
    for (const float windowMs : {-1.0f, 4.0f}) {
      SpectralFrame frame;
      ASSERT_TRUE(frame.Create(n, 48000.0f, windowMs));
      FrameTransform transform;
      ASSERT_TRUE(transform.Prepare(n, frame.Window()));
      const std::vector<float> x = RandomFrame(n, 100u + log2n);
      const std::vector<float> expected = ReferenceMagnitudes(x, frame.Window());
      const std::vector<float> got = FastMagnitudes(transform, x);
      double energy = 0.0;
      for (int k = 0; k < n; ++k) energy += std::pow(x[k] * frame.Window()[k], 2.0);
      // Rounding in single precision grows with log2 n and scales with the
      // windowed signal's L2 norm (÷ N, as the spectrum is scaled); a wrong
      // twiddle or bin would miss by the order of the norm itself.
      const double tolerance = 2.5e-7 * log2n * std::sqrt(energy) / n + 1e-6;
      double worst = 0.0;
      double squaredError = 0.0;
      double squaredValue = 0.0;
      for (int k = 0; k < n / 2; ++k) {
        worst = std::max(worst, static_cast<double>(std::fabs(got[k] - expected[k])));
        squaredError += std::pow(got[k] - expected[k], 2.0);
        squaredValue += std::pow(expected[k], 2.0);
      }
      EXPECT_LT(worst, tolerance) << n << " points, window " << windowMs;
      if (squaredValue > 0.0) {
        EXPECT_LT(std::sqrt(squaredError / squaredValue), 4e-7) << n;
      }
    }
  }
}

TEST(FrameTransformTest, AFrameGivesTheSameBitsAloneAndInEveryLaneOfABatch) {
  const int n = 2048;
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(n, 44100.0f, 30.0f));
  const FrameTransform& transform = frame.Transform();
  TransformScratch scratch;
  ASSERT_TRUE(transform.PrepareScratch(scratch));
  const int lanes = FrameTransform::BatchFrames();
  ASSERT_TRUE(lanes == 4 || lanes == 8);
  for (const int count : {lanes, 3, 2}) {
    std::vector<std::vector<float>> frames;
    std::vector<const float*> in;
    std::vector<std::vector<float>> spectra(static_cast<std::size_t>(count), std::vector<float>(n / 2, -1.0f));
    std::vector<float*> out;
    for (int i = 0; i < count; ++i) frames.push_back(RandomFrame(n, 7u + i));
    for (int i = 0; i < count; ++i) {
      in.push_back(frames[i].data());
      out.push_back(spectra[i].data());
    }
    transform.Magnitudes(in, out, scratch);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(spectra[i], FastMagnitudes(transform, frames[i])) << "lane " << i << " of " << count;
    }
  }
}

TEST(FrameTransformTest, InPlaceSpectraLeaveTheSecondHalfOfTheFrame) {
  const int n = 512;
  SpectralFrame frame;
  ASSERT_TRUE(frame.Create(n, 48000.0f, -1.0f));
  std::vector<float> x = RandomFrame(n, 3);
  const std::vector<float> original = x;
  frame.MagnitudeSpectrum(x);
  EXPECT_TRUE(std::equal(x.begin() + n / 2, x.end(), original.begin() + n / 2));
  EXPECT_NE(x[1], original[1]);
}

TEST(FrameTransformTest, RefusesUnusableSizesAndMismatchedSpans) {
  FrameTransform transform;
  const std::vector<double> window(1000, 1.0);
  EXPECT_FALSE(transform.Prepare(1000, window));
  EXPECT_FALSE(transform.Prepare(1024, window));  // window of another length
  EXPECT_FALSE(transform.Prepare(32768, std::vector<double>(32768, 1.0)));
  EXPECT_FALSE(transform.IsPrepared());
  TransformScratch scratch;
  EXPECT_FALSE(transform.PrepareScratch(scratch));

  ASSERT_TRUE(transform.Prepare(16, std::vector<double>(16, 1.0)));
  ASSERT_TRUE(transform.PrepareScratch(scratch));
  std::vector<float> x(16, 1.0f);
  const float* in[] = {x.data(), x.data()};
  float* out[] = {x.data()};
  transform.Magnitudes(in, out, scratch);  // two frames, one spectrum
  EXPECT_EQ(x, std::vector<float>(16, 1.0f));
}

}  // namespace
}  // namespace sonavue::dsp
