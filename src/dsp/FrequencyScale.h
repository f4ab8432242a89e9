#pragma once

namespace sonavue::dsp {

// Frequency axis of the display rows: linear, logarithmic, or one-third
// octave bands drawn as a staircase on a logarithmic axis.
enum class FrequencyScale { Linear, Log, Oct3 };

// Fine bands per octave that the level rows of a scale are built from:
// 30 for Log, 3 for Oct3; the linear scale uses none (0).
constexpr int FineBandsPerOctave(FrequencyScale scale) {
  switch (scale) {
    case FrequencyScale::Log:
      return 30;
    case FrequencyScale::Oct3:
      return 3;
    case FrequencyScale::Linear:
      break;
  }
  return 0;
}

}  // namespace sonavue::dsp
