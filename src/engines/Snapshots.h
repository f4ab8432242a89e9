#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "context/ParameterSnapshot.h"
#include "engines/AnalyzeFile.h"

namespace sonavue::app {
class App;
struct CurrentParameters;
}

namespace sonavue::engines {

// The working files of stack entry index (0 … 5): "bitmap<index+1>.dat",
// the picture's pixels, 3 bytes each (blue, green, red), bottom row first,
// no header; and "spl<index+1>.dat", one 32-bit float per column for the
// left (or only) channel, then as many for the right channel of a stereo
// picture, no header.
std::string SnapshotImageName(int index);
std::string SnapshotLevelsName(int index);

// Whether F5 and F6 act now: a finished picture is shown, nothing runs, and
// the time span across the display is at most 60 s.
bool SnapshotCommandsApply(const app::App& app);

// The values an entry keeps of the current parameters and the analysis.
app::ParameterSnapshot CaptureSnapshot(const app::App& app);
// Puts an entry's values back into the current parameters (the others stay).
void ApplySnapshot(app::CurrentParameters& p, const app::ParameterSnapshot& entry);

// Saves the shown picture as the newest entry: its two working files are
// written whole, then the entry is stored. A full stack drops its oldest
// entry (the files of entries 2 … 6 move down to 1 … 5). False after "Error
// Writing File" when the files cannot be written; the stack is then as it
// was.
bool PushSnapshot(app::App& app);

// Takes the newest entry off the stack without showing it again (a command
// that pushed one and then was refused).
void DropNewestSnapshot(app::App& app);

// Reads the working files of entry index back for entry; nullopt when a
// file is missing, of another size than the entry's picture needs, cannot
// be read whole, or holds a level that is not a finite dB value.
std::optional<RestoredPicture> ReadSnapshotPicture(const app::App& app, int index,
                                                   const app::ParameterSnapshot& entry);

// F5: saves the picture and analyses the shown file again with the
// parameters ask settles (the Analyze dialog; a request of the user only,
// may be null). Cancel keeps the snapshot; a refused analysis drops it and
// leaves the previous picture and parameters.
void ChangeParametersRequest(app::App& app, int reason, AskParameters ask);

// F6: takes the newest entry off the stack and shows its picture again with
// its parameters, from its working files, without analysing. A damaged
// entry is refused with "File Error" and the display stays as it is.
void RestoreParametersRequest(app::App& app);

}  // namespace sonavue::engines
