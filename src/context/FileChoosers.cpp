#include "context/FileChoosers.h"

#include <filesystem>
#include <string>

#include "context/App.h"

namespace sonavue::app {

FolderKind FolderOf(FileChooser chooser) {
  switch (chooser) {
    case FileChooser::SaveBitmap:
    case FileChooser::SaveJpeg: return FolderKind::Image;
    case FileChooser::SaveDataLog: return FolderKind::DataLog;
    default: return FolderKind::Wave;
  }
}

namespace {

// The other sound files the open choosers offer; they are decoded into the
// conversion file (see OpenWaveFile).
constexpr const char* kSoundFilesFilter =
    "Sound Files (*.flac;*.aif;*.aiff;*.aifc;*.ogg;*.oga;*.opus;*.mp3)|"
    "*.flac;*.aif;*.aiff;*.aifc;*.ogg;*.oga;*.opus;*.mp3|";

// The image choosers also offer PNG and SVG: a name ending in ".png" or
// ".svg" is saved as such a file with the level legend (see
// SaveScreenImage).
constexpr const char* kPngFilesFilter =
    "PNG Files with Level Legend (*.png)|*.png|SVG Files with Level Legend (*.svg)|*.svg|";

}  // namespace

platform::FileChooserRequest ChooserRequest(FileChooser chooser) {
  platform::FileChooserRequest r;
  switch (chooser) {
    case FileChooser::OpenWave:
      r.title = "Open Wave File";
      r.filter = std::string("Wave Files (*.wav)|*.wav|") + kSoundFilesFilter + "All Files (*.*)|*.*|";
      break;
    case FileChooser::OpenMultipleWave:
      r.title = "Open Multiple Wave Files";
      r.filter = std::string("Wave Files (*.wav)|*.wav|") + kSoundFilesFilter + "All Files (*.*)|*.*|";
      r.multiSelect = true;
      break;
    case FileChooser::SaveBitmap:
      r.title = "Save Bitmap";
      r.filter = std::string("Bitmap Files (*.bmp)|*.bmp|") + kPngFilesFilter + "All Files (*.*)|*.*||";
      r.defaultExtension = "bmp";
      break;
    case FileChooser::SaveJpeg:
      r.title = "Save JPEG Image File";
      r.filter = std::string("JPEG Files (*.jpg)|*.jpg|") + kPngFilesFilter + "All Files (*.*)|*.*||";
      r.defaultExtension = "jpg";
      break;
    case FileChooser::RecordWave:
      r.title = "Record Wave File";
      r.filter = "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||";
      r.defaultExtension = "wav";
      break;
    case FileChooser::SaveDataLog:
      r.title = "Save Data Log";
      r.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
      r.defaultExtension = "txt";
      break;
  }
  r.save = chooser != FileChooser::OpenWave && chooser != FileChooser::OpenMultipleWave;
  r.overwritePrompt = r.save;
  return r;
}

std::optional<std::vector<std::string>> ChooseFile(App& app, FileChooser chooser) {
  platform::FileChooserRequest request = ChooserRequest(chooser);
  std::string& folder = app.params.lastFolders[static_cast<std::size_t>(FolderOf(chooser))];
  request.startFolder = folder;
  auto chosen = app.prompts.ChooseFile(request);
  if (!chosen || chosen->empty()) return std::nullopt;
  if (request.multiSelect) {
    if (chosen->size() < 2) return std::nullopt;  // a folder without a name is no choice
    folder = chosen->front();
  } else {
    folder = std::filesystem::path(chosen->front()).parent_path().string();
  }
  return chosen;
}

}  // namespace sonavue::app
