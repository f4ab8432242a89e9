#pragma once

#include "context/App.h"

namespace sonavue::app {

// The parameter commands and the scan engines close the colours dialog as
// if its OK button were pressed; nothing happens while it is closed.
inline void CloseColorsDialog(App& app) {
  if (app.colorsDialog != nullptr && app.colorsDialog->IsOpen()) app.colorsDialog->Accept();
}

// Whether a command closes the colours dialog first: the scans and the
// parameter snapshots.
inline bool CommandClosesColorsDialog(int id) {
  return id == IDM_SCAN_INPUT || id == IDM_SCAN_FILE || id == IDM_CHANGE_PARAMETERS ||
         id == IDM_RESTORE_PARAMETERS;
}

}  // namespace sonavue::app
