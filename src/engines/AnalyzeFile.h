#pragma once

namespace sonavue::app {
class App;
}

namespace sonavue::engines {

// Request kinds of the Analyze File command.
inline constexpr int kAnalyzeMenu = 0;         // file chooser, then analysis
inline constexpr int kAnalyzeCommandLine = 1;  // file named on the command line
inline constexpr int kAnalyzeAgain = 2;        // same file and parameters (resize, gain)
inline constexpr int kAnalyzeCapture = 3;      // the capture of a stopped scan

// The Analyze File command: reads the file, loads the segment into memory,
// builds the display image and runs the frame loop that draws one pixel
// column per frame, keeping the window responsive. Every failure is shown in
// a message box and leaves the previous parameters in place.
void AnalyzeFileCommand(app::App& app, int kind);

}  // namespace sonavue::engines
