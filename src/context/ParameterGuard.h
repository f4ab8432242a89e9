#pragma once

#include "context/CurrentParameters.h"

namespace sonavue::app {

class App;

// Puts the current parameters back as they were when the guard was made,
// unless Keep() was called: a command that fails after it started settling
// its parameters leaves them as it found them.
class ParameterGuard {
 public:
  explicit ParameterGuard(App& app);
  ~ParameterGuard();
  ParameterGuard(const ParameterGuard&) = delete;
  ParameterGuard& operator=(const ParameterGuard&) = delete;

  void Keep() { kept_ = true; }
  const CurrentParameters& Previous() const { return previous_; }

 private:
  App& app_;
  CurrentParameters previous_;
  bool kept_ = false;
};

}  // namespace sonavue::app
