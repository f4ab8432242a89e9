#pragma once

#include <array>
#include <cstdint>

namespace sonavue::app {

// The snapshot stack of F5/F6 is six deep; entry n owns the working files
// "bitmap<n+1>.dat" and "spl<n+1>.dat".
inline constexpr int kSnapshotDepth = 6;

// The caption while a snapshot is saved.
inline constexpr const char* kSnapshotCaption = "Choose 'F6' or 'Restore Parameters' to return";

// One saved analysis: everything needed to redraw the display as it was,
// apart from its picture and column levels, which live in its two working
// files.
struct ParameterSnapshot {
  std::int32_t analysisControls = 0;
  std::int32_t sampleRateId = 0;
  std::int32_t sampleRateHz = 0;
  std::int32_t resolutionId = 0;
  std::int32_t fftSize = 0;
  std::int32_t paletteId = 0;
  std::int32_t sonogramLevelMax = 0;
  std::int32_t sonogramLevelMin = 0;
  std::int32_t scopeLevelMax = 0;
  std::int32_t scopeLevelMin = 0;
  std::int32_t gainDb = 0;
  std::int32_t displayId = 0;
  std::int32_t frequencyScaleId = 0;
  std::int32_t channelsId = 0;
  std::int32_t typeId = 0;
  std::int32_t ultrasoundId = 0;
  std::int32_t averagingId = 0;
  float beginMs = 0.0F;       // the analysed segment, ms of the file
  float endMs = 0.0F;
  float viewStartMs = 0.0F;   // the time origin of the picture
  std::uint32_t signalBytes = 0;     // the analysed signal's byte count
  std::uint32_t signalPosition = 0;  // its first byte in the file's data
  std::int64_t columns = 0;
  float displayWidthS = 0.0F;
  float timePerColumnMs = 0.0F;
  float resolutionHz = 0.0F;
  std::int32_t lowBandHz = 0;
  std::int32_t highBandHz = 0;
  std::int32_t frequencyMultiplier = 1;
  std::int32_t averagingMs = 0;  // the averaging time in effect
  std::int32_t wayOfWorking = 1;
  std::int32_t scrollRange = 0;
  std::int32_t scrollPosition = 0;
  // The picture's size and channels: what the working files must hold.
  std::int32_t imageWidth = 0;
  std::int32_t imageHeight = 0;
  std::int32_t channels = 1;
};

// The entries of the stack; the index of the newest entry (−1 when empty)
// and the pushed mark are FrameState::snapshotIndex and snapshotPushed.
using SnapshotStack = std::array<ParameterSnapshot, kSnapshotDepth>;

}  // namespace sonavue::app
