#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "dsp/Fft.h"

namespace sonavue::dsp {
namespace {

using Complex = std::complex<double>;

// Direct DFT in double precision with exponent e^(+2πi·jk/n), evaluated at
// the bins worth checking: all of them up to 4096 points, beyond that about a
// thousand bins with an odd stride (so no power-of-two pattern is skipped),
// always including 0, n/2 and n − 1.
class DirectDft {
 public:
  explicit DirectDft(std::vector<Complex> x) : x_(std::move(x)), roots_(x_.size()) {
    const std::size_t n = x_.size();
    for (std::size_t i = 0; i < n; ++i) {
      const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
      roots_[i] = Complex(std::cos(angle), std::sin(angle));
    }
  }

  std::vector<std::size_t> BinsToCheck() const {
    const std::size_t n = x_.size();
    const std::size_t stride = n <= 4096 ? 1 : n / 1024 + 1;
    std::vector<std::size_t> bins;
    for (std::size_t k = 0; k < n; k += stride) bins.push_back(k);
    bins.push_back(n / 2);
    bins.push_back(n - 1);
    return bins;
  }

  Complex Bin(std::size_t k) const {
    const std::size_t n = x_.size();
    Complex sum = 0.0;
    std::size_t root = 0;  // j·k mod n, stepped instead of multiplied
    for (std::size_t j = 0; j < n; ++j) {
      sum += x_[j] * roots_[root];
      root += k;
      if (root >= n) root -= n;
    }
    return sum;
  }

 private:
  std::vector<Complex> x_;
  std::vector<Complex> roots_;
};

std::vector<float> RandomSamples(std::size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
  std::vector<float> samples(count);
  for (float& s : samples) s = dist(generator);
  return samples;
}

// Largest allowed error of one bin: 2.5·10⁻⁷·log2(n) times the signal's L2
// norm. Rounding in single precision stays below a tenth of it at every size,
// while a wrong twiddle, swap or sign gives errors of the order of the norm.
double Tolerance(std::size_t n, double energy) {
  return 2.5e-7 * std::log2(static_cast<double>(n)) * std::sqrt(energy);
}

// Largest allowed RMS error over the checked bins relative to their RMS
// value. A correct transform stays near 10⁻⁷; twiddles that drift in single
// precision exceed the bound at the larger sizes.
double RmsTolerance(std::size_t n) { return 7.5e-8 * std::sqrt(std::log2(static_cast<double>(n))); }

// Worst and RMS error of a transform against the reference.
struct ErrorStats {
  double worst = 0.0;
  double squaredError = 0.0;
  double squaredReference = 0.0;

  void Add(Complex got, Complex expected) {
    worst = std::max(worst, std::abs(got - expected));
    squaredError += std::norm(got - expected);
    squaredReference += std::norm(expected);
  }
  double RelativeRms() const { return std::sqrt(squaredError / squaredReference); }
};

TEST(FftTest, ComplexMatchesDirectDftForEverySize) {
  for (int log2n = 4; log2n <= 14; ++log2n) {
    const int n = 1 << log2n;
    std::vector<float> data = RandomSamples(2 * static_cast<std::size_t>(n), 10u + log2n);
    std::vector<Complex> input(static_cast<std::size_t>(n));
    double energy = 0.0;
    for (int j = 0; j < n; ++j) {
      input[j] = Complex(data[2 * j], data[2 * j + 1]);
      energy += std::norm(input[j]);
    }
    const DirectDft reference(input);
    ComplexFft(data, n, 1);
    ErrorStats error;
    for (const std::size_t k : reference.BinsToCheck()) {
      error.Add(Complex(data[2 * k], data[2 * k + 1]), reference.Bin(k));
    }
    EXPECT_LT(error.worst, Tolerance(n, energy)) << "n = " << n;
    EXPECT_LT(error.RelativeRms(), RmsTolerance(n)) << "n = " << n;
  }
}

TEST(FftTest, RealMatchesDirectDftForEverySize) {
  for (int log2n = 4; log2n <= 14; ++log2n) {
    const int n = 1 << log2n;
    std::vector<float> data = RandomSamples(static_cast<std::size_t>(n), 40u + log2n);
    std::vector<Complex> input(data.begin(), data.end());
    double energy = 0.0;
    for (const Complex& x : input) energy += std::norm(x);
    const DirectDft reference(input);
    RealFft(data);
    ErrorStats error;
    for (const std::size_t k : reference.BinsToCheck()) {
      // Bins above n/2 mirror those below; DC and n/2 share the first pair.
      if (k > static_cast<std::size_t>(n / 2)) continue;
      const Complex got = k == 0 ? Complex(data[0], 0.0)
                          : k == static_cast<std::size_t>(n / 2)
                              ? Complex(data[1], 0.0)
                              : Complex(data[2 * k], data[2 * k + 1]);
      error.Add(got, reference.Bin(k));
    }
    EXPECT_LT(error.worst, Tolerance(n, energy)) << "n = " << n;
    EXPECT_LT(error.RelativeRms(), RmsTolerance(n)) << "n = " << n;
  }
}

TEST(FftTest, InverseSignUndoesTheTransformUpToN) {
  const int n = 256;
  const std::vector<float> original = RandomSamples(2 * n, 7u);
  std::vector<float> data = original;
  ComplexFft(data, n, 1);
  ComplexFft(data, n, -1);
  for (std::size_t i = 0; i < data.size(); ++i) {
    EXPECT_NEAR(data[i] / n, original[i], 1e-3) << i;
  }
}

TEST(FftTest, ConstantGoesToDcOnly) {
  std::vector<float> data(64, 3.0f);
  RealFft(data);
  EXPECT_FLOAT_EQ(data[0], 64 * 3.0f);
  EXPECT_NEAR(data[1], 0.0f, 1e-4);
  for (std::size_t i = 2; i < data.size(); ++i) EXPECT_NEAR(data[i], 0.0f, 1e-4) << i;
}

TEST(FftTest, AlternatingGoesToHalfRateTermInSecondSlot) {
  std::vector<float> data(64);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = (i % 2 == 0) ? -2.0f : 2.0f;
  RealFft(data);
  EXPECT_NEAR(data[0], 0.0f, 1e-4);
  EXPECT_FLOAT_EQ(data[1], -2.0f * 64);  // signed: the first sample is negative
  for (std::size_t i = 2; i < data.size(); ++i) EXPECT_NEAR(data[i], 0.0f, 1e-4) << i;
}

TEST(FftTest, SineAtABinHasPositiveImaginaryPartWithPlusExponent) {
  // Σ sin(2πjk/n)·e^(+2πijk/n) = i·n/2: the exponent's sign shows here.
  const int n = 128;
  const int bin = 5;
  std::vector<float> data(n);
  for (int j = 0; j < n; ++j)
    data[j] = static_cast<float>(std::sin(2.0 * std::numbers::pi * bin * j / n));
  RealFft(data);
  EXPECT_NEAR(data[2 * bin], 0.0f, 1e-4);
  EXPECT_NEAR(data[2 * bin + 1], n / 2.0f, 1e-4);
}

}  // namespace
}  // namespace sonavue::dsp
