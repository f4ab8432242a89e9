#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/LevelsOutput.h"
#include "dsp/FrequencyScale.h"

namespace sonavue::cli {

// The analysis options of `levels` (and of `spectrum`, which takes the same).
struct LevelsOptions {
  std::string file;
  int rows = 400;
  std::optional<float> lowHz;
  std::optional<float> highHz;
  dsp::FrequencyScale scale = dsp::FrequencyScale::Linear;
  float stepMs = 10.0F;
  float averagingMs = 0.0F;
  int gainDb = 0;
  std::optional<float> beginS;
  std::optional<float> endS;
  int channel = 0;
  std::optional<float> resolutionHz;
  std::optional<int> fftSize;
  std::string logSpectrum;  // levels: also write the Log Spectrum of the columns here
  LevelsFormat format = LevelsFormat::Csv;  // levels: how the codes are written
  std::string output;                       // levels: the file for them; empty: standard output
};

// An option a command adds to the analysis options: given its name and
// value, returns nullopt when the name is not its own, else whether the
// value is good.
using ExtraOption = std::function<std::optional<bool>(const std::string& name, const std::string& value)>;

// Reads FILE and the options in pairs; prints what is wrong (naming the
// command) and returns false on bad input. Every number taken is finite and
// within the limits of Arguments.h.
bool ParseLevelsOptions(const std::vector<std::string>& args, const char* command, LevelsOptions& options,
                        const ExtraOption& extra = {});

}  // namespace sonavue::cli
