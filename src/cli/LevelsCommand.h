#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/WaveOpen.h"
#include "cli/LevelsOutput.h"
#include "dsp/FrequencyScale.h"
#include "engines/StaticAnalysis.h"

namespace sonavue::app {
class App;
}

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
// command) and returns false on bad input.
bool ParseLevelsOptions(const std::vector<std::string>& args, const char* command, LevelsOptions& options,
                        const ExtraOption& extra = {});

// A static analysis of the file settled from the options, exactly as
// Analyze File settles it from the current parameters, with the segment's
// bytes read into memory unless the caller reads them itself.
struct PreparedAnalysis {
  audio::OpenedWave wave;
  engines::StaticAnalysis plan;
  std::vector<std::uint8_t> data;
};

// Opens the file and prepares its analysis in app's current parameters;
// prints the program's message and returns nullopt when refused.
std::optional<PreparedAnalysis> PrepareLevelsAnalysis(app::App& app, const LevelsOptions& options,
                                                     bool readData = true);

// sonavue-cli levels FILE [options]: the level codes of every column of an
// Analyze File analysis, as CSV or a NumPy array (--format, see LevelsFormat)
// on standard output or into a file (--output). Returns the exit status.
int RunLevels(const std::vector<std::string>& args);

}  // namespace sonavue::cli
