#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "engines/AnalysisPlan.h"
#include "engines/ColumnAnalysis.h"

namespace sonavue::app {
struct CurrentParameters;
}

namespace sonavue::engines {

// What a static analysis (Analyze File, and the command-line companion's
// levels) is asked for besides the current parameters.
struct StaticAnalysisInput {
  std::int32_t rateHz = 48000;      // analysis rate fs
  int channels = 1;
  int bitsPerSample = 16;           // 16 or 24 as stored in memory
  std::uint32_t availableBytes = 0; // data bytes the file holds
  float columnStepMs = 10.0F;       // Δt
  int sonogramHeight = 1;           // pixels of the sonogram with its strip, for the automatic resolution
  int rows = 1;                     // R, rows per channel
  int stripHeight = 0;              // Hw; 0 without the waveform strip
  bool keepFftSize = false;         // a command-line run keeps the FFT size it worked out
  int onlyChannel = -1;             // ≥ 0: analyse only this channel
  // Set (a zoom): the segment's first and end byte of the data, whole sample
  // frames, taken as they are (the end cut to the data) instead of the
  // begin and end times in whole milliseconds.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> exactBytes;
};

// The lowest band limit a new file starts with: 0 Hz on the linear scale;
// the logarithmic scales start at the lowest limit their dialogs allow,
// since they have no row for 0 Hz.
inline constexpr int kLowestLogBandHz = 20;
int NewFileLowBandHz(int frequencyScaleId);

enum class AnalysisRefusal { None, ImproperBeginOrEnd, TimeScaleTooSmall, NoRows };

// The message of a refusal, and whether it is shown as an error (else a
// warning).
const char* RefusalText(AnalysisRefusal refusal);
bool RefusalIsError(AnalysisRefusal refusal);

// A static analysis settled from the parameters: the parameters it settles
// (resolution and FFT size when the stored pair is not valid, the end cut
// to the data), the segment's bytes and the column run.
struct StaticAnalysis {
  AnalysisRefusal refusal = AnalysisRefusal::None;
  float resolutionHz = 0.0F;
  int fftSize = 0;
  float endS = 0.0F;
  SegmentBytes segment;
  ColumnRun columns;
  bool Ok() const { return refusal == AnalysisRefusal::None; }
};

// Pure: the parameters and the input to the run description, or the
// refusal. A resolution that is not valid for the FFT size is replaced by
// the automatic one and (unless keepFftSize) the FFT size for it.
StaticAnalysis PlanStaticAnalysis(const app::CurrentParameters& p, const StaticAnalysisInput& input);

}  // namespace sonavue::engines
