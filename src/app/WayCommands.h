#pragma once

namespace sonavue::app {

class App;

// The ways of working as the command table runs them: the parameter dialog
// first (unless the request or Variables "Freeze" skips it), then the
// engine with settled parameters.
void AnalyzeFileCommand(App& app, int reason);
void ScanInputCommand(App& app, int reason);
// F5 with the Analyze dialog, F6.
void ChangeParametersCommand(App& app, int reason);
void RestoreParametersCommand(App& app);
void ScanFileCommand(App& app, int reason);

}  // namespace sonavue::app
