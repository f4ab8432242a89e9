#pragma once

#include <cstdint>
#include <vector>

#include "plans/ScopeCurves.h"

namespace sonavue::render {

// What the scope drawing keeps between the frames of a scan and after it:
// the latest frame's levels (so the picture can be rebuilt at any scale),
// the gain settings the curves were made at, and the reference spectrum.
// The peak-hold values themselves are App::peakHold.
struct ScopeState {
  bool hasData = false;  // a frame was stored since the scope run began
  std::vector<std::int16_t> left;   // latest frame, left or only channel: one code per point
  std::vector<std::int16_t> right;  // latest frame, right channel; empty for one channel
  int frameGainDb = 0;  // gain setting when the latest frame was made
  int peakGainDb = 0;   // gain setting at the latest peak-hold update
  bool captureRequested = false;  // CAPTURE: the next stored frame becomes the reference
  ReferenceSpectrum reference;
  ScopeCurvePlan plan;  // reused by the per-frame drawing so that it does not allocate
};

}  // namespace sonavue::render
