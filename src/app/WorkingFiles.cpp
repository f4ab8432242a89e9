#include "app/WorkingFiles.h"

#include <fstream>

#include "app/App.h"

namespace sonavue::app {

bool ProbeFolderWritable(const std::filesystem::path& folder) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return false;
  const auto probe = folder / "test.txt";
  bool written = false;
  {
    std::ofstream file(probe, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write("test file", 9);
    file.flush();
    written = static_cast<bool>(file);
  }
  std::filesystem::remove(probe, error);
  return written;
}

bool IsPrivateFolder(const std::filesystem::path&) { return true; }

std::vector<WorkingFolderCandidate> WorkingFolderCandidates(const AppEnvironment& environment) {
  std::vector<WorkingFolderCandidate> candidates;
  for (const auto& base : {environment.runtimeFolder, environment.cacheFolder}) {
    if (!base.empty()) candidates.push_back({base, false, false});
  }
  if (!environment.tempFolder.empty()) candidates.push_back({environment.tempFolder, true, false});
  return candidates;
}

WorkingFolderChoice ChooseWorkingFolder(const std::vector<WorkingFolderCandidate>& candidates) {
  WorkingFolderChoice choice;
  std::filesystem::path last;
  for (const auto& candidate : candidates) {
    if (candidate.base.empty()) continue;
    last = candidate.base;
    if (ProbeFolderWritable(candidate.base)) {
      choice.accepted = true;
      break;
    }
  }
  std::error_code error;
  if (last.empty()) last = std::filesystem::temp_directory_path(error);
  choice.folder = last / "sonavue";
  std::filesystem::create_directories(choice.folder, error);  // an existing folder is no error
  return choice;
}

std::filesystem::path WorkingFilePath(const App& app, const std::string& name) {
  return app.workingFolder / name;
}

}  // namespace sonavue::app
