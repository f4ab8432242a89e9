// The eight-lane FrameTransform kernel, built with AVX2 where the compiler
// targets x86-64; the program calls it only on processors that have AVX2.

#include "dsp/FrameTransformTables.h"

#if defined(SONAVUE_AVX2_KERNEL)
#include "dsp/FrameTransformKernel.h"
#endif

namespace sonavue::dsp::transform {

#if defined(SONAVUE_AVX2_KERNEL)
namespace {
void EightLanes(const Tables& tables, const float* const* frames, float* const* spectra, float* lanes) {
  Magnitudes<8>(tables, frames, spectra, lanes);
}
}  // namespace

MagnitudesKernel EightLaneKernel() { return &EightLanes; }
#else
MagnitudesKernel EightLaneKernel() { return nullptr; }
#endif

}  // namespace sonavue::dsp::transform
