#pragma once

#include <cstdint>

namespace sonavue::engines {

// A live sonogram presses SAVE only once more than this many frames have
// been made, so that the level's 20-frame mean has settled.
inline constexpr std::int64_t kTriggerSettleFrames = 10;
// STOP SAVE follows once the level has stayed at or below the trigger
// level for more than this long.
inline constexpr std::uint32_t kTriggerHoldMs = 2000;

// The level trigger of a recording (Recording Enable "Trigger"): it holds
// while the shown level, truncated to whole decibels, exceeds the trigger
// level (internal scale, 30 … 120), in a sonogram only once more than
// kTriggerSettleFrames frames have been made. While it holds SAVE is
// pressed unless a stretch is open; once it has not held for more than
// kTriggerHoldMs, an open stretch gets STOP SAVE.
class RecordingTrigger {
 public:
  enum class Press { None, Save, StopSave };

  // startMs: the clock when the live display started.
  RecordingTrigger(int triggerLevel, bool scope, std::uint32_t startMs)
      : triggerLevel_(triggerLevel), scope_(scope), lastTriggerMs_(startMs) {}

  // One pass of the live loop: the level shown (dB), the frames made so
  // far, whether a stretch is open, and the clock.
  Press Step(double levelDb, std::int64_t frames, bool saving, std::uint32_t nowMs);

 private:
  int triggerLevel_;
  bool scope_;
  std::uint32_t lastTriggerMs_;
};

}  // namespace sonavue::engines
