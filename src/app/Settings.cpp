#include "app/Settings.h"

#include "app/App.h"

namespace sonavue::app {

bool LoadSettings(App&) { return false; }

void SaveSettings(App&) {}

}  // namespace sonavue::app
