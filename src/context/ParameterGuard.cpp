#include "context/ParameterGuard.h"

#include "context/App.h"

namespace sonavue::app {

ParameterGuard::ParameterGuard(App& app) : app_(app), previous_(app.params) {}

ParameterGuard::~ParameterGuard() {
  if (!kept_) app_.params = previous_;
}

}  // namespace sonavue::app
