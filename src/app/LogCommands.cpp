#include "app/LogCommands.h"

#include "context/App.h"
#include "dialogs/PointLogDialog.h"
#include "output/DataLog.h"
#include "output/PointLog.h"

namespace sonavue::app {

void LogSpectrumCommand(App& app) { output::LogSpectrumCommand(app); }

void LogPointsCommand(App& app) { output::LogPointsCommand(app, &dialogs::OpenPointLogDialog); }

}  // namespace sonavue::app
