#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sonavue::app {

// What a finished (or stopped) static analysis leaves for later commands:
// the signal in memory, the per-column frame levels and the parameters the
// picture was made with.
struct AnalysisRecord {
  bool valid = false;
  std::string sourcePath;        // the file analysed (the conversion file after a conversion)
  // The analysed segment behind a 68-byte working header.
  std::vector<std::uint8_t> signal;
  std::uint32_t dataLength = 0;  // bytes of the segment, cut to the analysed columns
  std::uint32_t segmentBeginByte = 0;  // the segment's first byte in the file's data
  int channels = 1;
  int bitsPerSample = 16;
  int sourceBits = 16;
  std::int32_t analysisRate = 0;
  std::int32_t multiplier = 1;
  bool dual = false;             // stereo shown as two plots side by side
  float beginS = 0.0F;
  float endS = 0.0F;
  float columnMs = 10.0F;        // Δt
  int fftSize = 1024;
  float resolutionHz = 0.0F;
  int lowHz = 0;
  int highHz = 0;
  int rows = 0;
  int waveformStrip = 0;         // Hw; 0 without the "Scroll 2" strip
  int bottomStrip = 0;           // Hb
  int leftMargin = 0;            // Mx
  std::int64_t plannedColumns = 0;
  std::int64_t columns = 0;      // analysed
  int imageWidth = 0;
  int horizontalScroll = 0;      // first image column shown after the margin
  // Frame total level of every column in dB, left (or only) and right.
  std::array<std::vector<float>, 2> totalLevels;
};

}  // namespace sonavue::app
