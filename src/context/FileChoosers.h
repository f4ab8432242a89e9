#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Prompts.h"

namespace sonavue::app {

class App;

enum class FileChooser { OpenWave, OpenMultipleWave, SaveBitmap, SaveJpeg, RecordWave, SaveDataLog };

// Which remembered folder a chooser starts in and updates.
enum class FolderKind { Wave = 0, Image = 1, DataLog = 2 };
FolderKind FolderOf(FileChooser chooser);

// The request a chooser shows: title, filter, default extension, overwrite
// prompt and multiple selection.
platform::FileChooserRequest ChooserRequest(FileChooser chooser);

// Shows the chooser starting in its remembered folder. Returns nothing when
// cancelled; otherwise the chosen path, or for the multiple chooser the
// folder followed by each name. The folder of the choice becomes the
// remembered folder of its kind.
std::optional<std::vector<std::string>> ChooseFile(App& app, FileChooser chooser);

}  // namespace sonavue::app
