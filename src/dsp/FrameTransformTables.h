#pragma once

#include <cstdint>

namespace sonavue::dsp::transform {

// The read-only tables of one FFT size, as the lane kernels see them.
struct Tables {
  int n = 0;                               // real points N
  int m = 0;                               // complex points M = N/2
  const float* window = nullptr;           // N window values
  const float* twiddles = nullptr;         // per stage and butterfly: w, w², w³ as (re, im)
  const std::int32_t* stages = nullptr;    // per stage: quarter block h, offset into twiddles
  int stageCount = 0;
  const std::uint32_t* reversed = nullptr; // bit reversal of 0 … M − 1
  const float* untangle = nullptr;         // e^(iπk/M) as (re, im) for k = 0 … M/2
};

// A kernel of FrameTransform: L frames (pointers) in, L spectra out, with
// 2·M·L floats of 64-byte-aligned work memory.
using MagnitudesKernel = void (*)(const Tables& tables, const float* const* frames, float* const* spectra,
                                  float* lanes);

// The eight-lane kernel built for AVX2, or null where the build has none.
MagnitudesKernel EightLaneKernel();

}  // namespace sonavue::dsp::transform
