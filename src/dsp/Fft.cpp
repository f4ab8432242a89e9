#include "dsp/Fft.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace sonavue::dsp {
namespace {

constexpr double kTwoPi = 6.28318530717959;
constexpr double kPi = 3.141592653589793;

bool IsPowerOfTwo(std::size_t n) { return n != 0 && (n & (n - 1)) == 0; }

}  // namespace

void ComplexFft(std::span<float> data, int n, int sign) {
  if (n < 1 || n > (1 << 28) || !IsPowerOfTwo(static_cast<std::size_t>(n)) ||
      data.size() < 2 * static_cast<std::size_t>(n)) {
    return;
  }
  // The loops count 1-based float positions (p) as in the classic
  // formulation; element p lives at d[p − 1].
  float* const d = data.data();
  const int nn = 2 * n;

  int j = 1;
  for (int i = 1; i < nn; i += 2) {
    if (j > i) {
      std::swap(d[j - 1], d[i - 1]);
      std::swap(d[j], d[i]);
    }
    int m = n;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }

  // Twiddles come from a double-precision recurrence (two sines per pass)
  // so that the error stays small up to 16384 points without a table.
  int mmax = 2;
  while (nn > mmax) {
    const int istep = 2 * mmax;
    const double theta = sign * kTwoPi / mmax;
    const double halfSine = std::sin(0.5 * theta);
    const double wpr = -2.0 * halfSine * halfSine;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (int m = 1; m < mmax; m += 2) {
      for (int i = m; i <= nn; i += istep) {
        const int k = i + mmax;
        const float tr = static_cast<float>(wr * d[k - 1] - wi * d[k]);
        const float ti = static_cast<float>(wr * d[k] + wi * d[k - 1]);
        d[k - 1] = d[i - 1] - tr;
        d[k] = d[i] - ti;
        d[i - 1] += tr;
        d[i] += ti;
      }
      const double previousWr = wr;
      wr = wr + (wr * wpr - wi * wpi);
      wi = wi + (wi * wpr + previousWr * wpi);
    }
    mmax = istep;
  }
}

void RealFft(std::span<float> data) {
  const std::size_t size = data.size();
  if (size < 2 || size > (std::size_t{1} << 29) || !IsPowerOfTwo(size)) return;
  const int n = static_cast<int>(size);
  ComplexFft(data, n / 2, 1);

  // Separate the transforms of the even and odd samples, which the
  // half-length complex transform produced superposed.
  float* const d = data.data();
  const double theta = kPi / (n / 2);
  const double halfSine = std::sin(0.5 * theta);
  const double wpr = -2.0 * halfSine * halfSine;
  const double wpi = std::sin(theta);
  double wr = 1.0 + wpr;
  double wi = wpi;
  for (int i = 1; i < n / 4; ++i) {
    const int a = 2 * i;
    const int b = n - 2 * i;
    const float h1r = 0.5f * (d[a] + d[b]);
    const float h1i = 0.5f * (d[a + 1] - d[b + 1]);
    const float h2r = 0.5f * (d[a + 1] + d[b + 1]);
    const float h2i = -0.5f * (d[a] - d[b]);
    d[a] = static_cast<float>(h1r + wr * h2r - wi * h2i);
    d[a + 1] = static_cast<float>(h1i + wr * h2i + wi * h2r);
    d[b] = static_cast<float>(h1r - wr * h2r + wi * h2i);
    d[b + 1] = static_cast<float>(-h1i + wr * h2i + wi * h2r);
    const double previousWr = wr;
    wr = wr + (wr * wpr - wi * wpi);
    wi = wi + (wi * wpr + previousWr * wpi);
  }
  const float dc = d[0];
  d[0] = dc + d[1];
  d[1] = dc - d[1];
}

}  // namespace sonavue::dsp
