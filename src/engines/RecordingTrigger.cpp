#include "engines/RecordingTrigger.h"

#include <cmath>

namespace sonavue::engines {

RecordingTrigger::Press RecordingTrigger::Step(double levelDb, std::int64_t frames, bool saving,
                                               std::uint32_t nowMs) {
  const bool holds = std::trunc(levelDb) > triggerLevel_ && (scope_ || frames > kTriggerSettleFrames);
  if (holds) {
    lastTriggerMs_ = nowMs;
    return saving ? Press::None : Press::Save;
  }
  if (saving && nowMs - lastTriggerMs_ > kTriggerHoldMs) return Press::StopSave;
  return Press::None;
}

}  // namespace sonavue::engines
