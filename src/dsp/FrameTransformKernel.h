#pragma once

// The lane kernels of FrameTransform, included by the source files that
// build them for one instruction set each. Everything is internal to the
// including file, and nothing from the standard library is instantiated
// here, so copies built for different instruction sets never meet at link
// time. The arithmetic is written once: the same operations in the same
// order for every lane count, so that a frame's result never depends on
// the batch it went through (floating-point contraction is off for dsp).

#include <cstddef>
#include <cstdint>
#if !defined(__GNUC__)
#include <cmath>
#endif

#include "dsp/FrameTransformTables.h"

namespace sonavue::dsp::transform {
namespace {

#if defined(__GNUC__)
// A vector size that depends on a template parameter is not kept, so each
// lane count has its own type.
typedef float Float4 __attribute__((vector_size(16)));
typedef float Float8 __attribute__((vector_size(32)));
template <int L>
struct LaneVector;
template <>
struct LaneVector<4> {
  using Type = Float4;
};
template <>
struct LaneVector<8> {
  using Type = Float8;
};
template <int L>
struct Lanes {
  using Type = typename LaneVector<L>::Type;
  static float Get(const Type& v, int l) { return v[l]; }
  static void Set(Type& v, int l, float x) { v[l] = x; }
};
#else
// Without vector extensions: an array the compiler may vectorise itself.
template <int L>
struct Lanes {
  struct Type {
    float v[L];
    friend Type operator+(const Type& a, const Type& b) { Type r; for (int l = 0; l < L; ++l) r.v[l] = a.v[l] + b.v[l]; return r; }
    friend Type operator-(const Type& a, const Type& b) { Type r; for (int l = 0; l < L; ++l) r.v[l] = a.v[l] - b.v[l]; return r; }
    friend Type operator*(const Type& a, const Type& b) { Type r; for (int l = 0; l < L; ++l) r.v[l] = a.v[l] * b.v[l]; return r; }
    friend Type operator*(const Type& a, float s) { Type r; for (int l = 0; l < L; ++l) r.v[l] = a.v[l] * s; return r; }
    friend Type operator*(float s, const Type& a) { return a * s; }
  };
  static float Get(const Type& v, int l) { return v.v[l]; }
  static void Set(Type& v, int l, float x) { v.v[l] = x; }
};
#endif

template <>
struct Lanes<1> {
  using Type = float;
  static float Get(float v, int) { return v; }
  static void Set(float& v, int, float x) { v = x; }
};

inline float SquareRoot(float x) {
#if defined(__GNUC__)
  return __builtin_sqrtf(x);
#else
  return std::sqrt(x);
#endif
}

// Decimation-in-frequency passes over M complex values held as (re, im)
// vector pairs: radix-4 butterflies with twiddles applied after them, then a
// twiddle-free radix-2 pass when log2 M is odd. The result is in bit-reversed
// order. The forward exponent is e^(+2πi·jk/M), so the quarter turn is +i.
template <int L>
void Butterflies(const Tables& t, typename Lanes<L>::Type* __restrict z) {
  using V = typename Lanes<L>::Type;
  const int m = t.m;
  int block = m;
  for (int s = 0; s < t.stageCount; ++s) {
    const int h = t.stages[2 * s];
    const float* const tw = t.twiddles + t.stages[2 * s + 1];
    for (int b = 0; b < m; b += 4 * h) {
      V* const q = z + 2 * b;
      for (int k = 0; k < h; ++k) {
        V* const p0 = q + 2 * k;
        V* const p1 = p0 + 2 * h;
        V* const p2 = p1 + 2 * h;
        V* const p3 = p2 + 2 * h;
        const float* const w = tw + 6 * k;
        const V ar = p0[0], ai = p0[1], br = p1[0], bi = p1[1];
        const V cr = p2[0], ci = p2[1], dr = p3[0], di = p3[1];
        const V sumAcR = ar + cr, sumAcI = ai + ci;
        const V difAcR = ar - cr, difAcI = ai - ci;
        const V sumBdR = br + dr, sumBdI = bi + di;
        const V difBdR = br - dr, difBdI = bi - di;
        p0[0] = sumAcR + sumBdR;
        p0[1] = sumAcI + sumBdI;
        // Outputs 2, 1, 3 of the butterfly go to the sub-blocks 1, 2, 3:
        // the order two radix-2 passes would leave them in.
        const V y2r = sumAcR - sumBdR, y2i = sumAcI - sumBdI;
        p1[0] = y2r * w[2] - y2i * w[3];
        p1[1] = y2r * w[3] + y2i * w[2];
        const V y1r = difAcR - difBdI, y1i = difAcI + difBdR;
        p2[0] = y1r * w[0] - y1i * w[1];
        p2[1] = y1r * w[1] + y1i * w[0];
        const V y3r = difAcR + difBdI, y3i = difAcI - difBdR;
        p3[0] = y3r * w[4] - y3i * w[5];
        p3[1] = y3r * w[5] + y3i * w[4];
      }
    }
    block = h;
  }
  if (block == 2) {
    for (int b = 0; b < m; b += 2) {
      V* const p = z + 2 * b;
      const V ar = p[0], ai = p[1], br = p[2], bi = p[3];
      p[0] = ar + br;
      p[1] = ai + bi;
      p[2] = ar - br;
      p[3] = ai - bi;
    }
  }
}

// The magnitude spectra of L frames (see FrameTransform::Magnitudes). The
// N real samples of a frame are the M = N/2 complex values (x[2j], x[2j+1]);
// after the complex transform the spectra of the even and odd samples are
// separated again, bin k with bin M − k.
template <int L>
void Magnitudes(const Tables& t, const float* const* frames, float* const* spectra, float* lanes) {
  using V = typename Lanes<L>::Type;
  using A = Lanes<L>;
  V* const z = reinterpret_cast<V*>(lanes);
  const int m = t.m;
  for (int j = 0; j < m; ++j) {
    V re;
    V im;
    for (int l = 0; l < L; ++l) {
      A::Set(re, l, frames[l][2 * j]);
      A::Set(im, l, frames[l][2 * j + 1]);
    }
    z[2 * j] = re * t.window[2 * j];
    z[2 * j + 1] = im * t.window[2 * j + 1];
  }
  Butterflies<L>(t, z);

  // The halves of the separation are left out of the sums and taken back in
  // the scale: a power of two, so nothing rounds differently.
  const float scale = 1.0F / static_cast<float>(t.n);
  const float halfScale = 0.5F * scale;
  for (int k = 1; k < m / 2; ++k) {
    const V* const a = z + 2 * t.reversed[k];
    const V* const b = z + 2 * t.reversed[m - k];
    const float wr = t.untangle[2 * k];
    const float wi = t.untangle[2 * k + 1];
    const V h1r = a[0] + b[0], h1i = a[1] - b[1];
    const V h2r = a[1] + b[1], h2i = b[0] - a[0];
    const V pr = wr * h2r - wi * h2i;
    const V pi = wr * h2i + wi * h2r;
    const V xr = h1r + pr, xi = h1i + pi;
    const V yr = h1r - pr, yi = pi - h1i;
    const V powerK = xr * xr + xi * xi;
    const V powerMirror = yr * yr + yi * yi;
    for (int l = 0; l < L; ++l) {
      spectra[l][k] = SquareRoot(A::Get(powerK, l)) * halfScale;
      spectra[l][m - k] = SquareRoot(A::Get(powerMirror, l)) * halfScale;
    }
  }
  // Bin M/2 comes out of the complex transform as it is.
  const V* const c = z + 2 * t.reversed[m / 2];
  const V powerCentre = c[0] * c[0] + c[1] * c[1];
  const V dc = (z[0] + z[1]) * scale;
  const V nyquist = (z[0] - z[1]) * scale;
  for (int l = 0; l < L; ++l) {
    spectra[l][m / 2] = SquareRoot(A::Get(powerCentre, l)) * scale;
    spectra[l][0] = A::Get(dc, l);
    spectra[l][m - 1] = A::Get(nyquist, l);
  }
}

}  // namespace
}  // namespace sonavue::dsp::transform
