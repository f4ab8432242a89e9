#pragma once

#include <cstdint>
#include <memory>

namespace sonavue::app {

// The open SPL calibration dialog as the Scan Input engine sees it: after
// every frame the engine hands it the level it measured.
class SplLevelPanel {
 public:
  virtual ~SplLevelPanel() = default;
  // levelDb: the 20-frame mean total level, SPL factor included.
  virtual void ShowMeasuredLevel(double levelDb) = 0;
};

// What a running calibration keeps between its commands, its scans and the
// dialog (the calibration state itself is FrameState::calibration).
struct CalibrationRun {
  // Frequency response: the pass that runs (0 stereo, 1 mono), and the
  // averaging the user had set, put back when the second pass ends.
  int responsePass = 0;
  std::int32_t userAveragingId = 0;
  std::int32_t userAveragingScopeMs = 0;
  // The first pass has ended: once its input has closed, the second starts.
  bool secondPassDue = false;

  // SPL: the dialog (kept until the next one replaces it or the program
  // ends; only `panel` says whether it is open), and what Cancel puts back.
  std::unique_ptr<SplLevelPanel> splDialog;
  SplLevelPanel* panel = nullptr;  // the open dialog; null when none
  bool rememberedEnabled = false;
  std::int32_t rememberedControl = 60;
  std::int32_t rememberedLockedGain = 0;
};

}  // namespace sonavue::app
