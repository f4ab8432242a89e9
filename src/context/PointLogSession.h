#pragma once

#include <string>

#include "platform/Geometry.h"

namespace sonavue::app {

// An open point log as the main window sees it: while one is open, a left
// click in the window logs the point under it.
class PointLogSession {
 public:
  virtual ~PointLogSession() = default;
  // Logs the point at client position click (negative coordinates count as 0).
  virtual void LogPoint(platform::Point click) = 0;
};

// The modeless point-log window ("Point Log - Click Point on Sonavue") as
// the point log drives it: three read-only values.
class PointLogWindow {
 public:
  virtual ~PointLogWindow() = default;
  virtual void ShowPoint(const std::string& timeText, const std::string& frequencyText,
                         const std::string& levelText) = 0;
};

}  // namespace sonavue::app
