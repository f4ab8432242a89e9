#pragma once

#include <optional>
#include <string>

#include "cli/Arguments.h"
#include "dsp/FrequencyScale.h"

namespace sonavue::cli {

// The analysis options that levels, analyze and batch share: band, scale,
// column step, averaging, gain, segment, channel, resolution and FFT size.
// Unset values take the program's own rules.
struct AnalysisOptions {
  std::optional<float> lowHz;
  std::optional<float> highHz;
  dsp::FrequencyScale scale = dsp::FrequencyScale::Linear;
  std::optional<float> stepMs;  // time per column
  float averagingMs = 0.0F;
  int gainDb = 0;
  std::optional<float> beginS;
  std::optional<float> endS;
  std::optional<int> channel;  // 0 left, 1 right
  std::optional<float> resolutionHz;
  std::optional<int> fftSize;
};

// The usage lines of these options.
inline constexpr const char* kAnalysisOptionsUsage =
    "[--low HZ] [--high HZ] [--scale linear|log|oct3] [--step MS]\n"
    "                   [--averaging MS] [--gain DB] [--begin S] [--end S]\n"
    "                   [--channel left|right] [--resolution HZ] [--fft N]";

// Takes the value text of the option name into o when name is one of these
// options: nothing when it is not, false (o unchanged) when the value is
// bad, true when it was taken. Every number taken is finite and within the
// limits of Arguments.h. The one parser of these options: levels and
// spectrum read theirs through it too.
std::optional<bool> TakeAnalysisValue(const std::string& name, const std::string& text, AnalysisOptions& o);

// Reads the option name (already taken from in) and its value when it is
// one of these. Every number taken is finite and within the limits of
// Arguments.h.
OptionRead ReadAnalysisOption(Arguments& in, const std::string& name, AnalysisOptions& o);

}  // namespace sonavue::cli
