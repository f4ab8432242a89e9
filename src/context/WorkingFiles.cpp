#include "context/WorkingFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "context/App.h"

namespace sonavue::app {
namespace {

constexpr const char* kFolderName = "sonavue";
constexpr mode_t kPrivateMode = S_IRWXU;  // 0700

// Makes "<base>/sonavue" with mode 0700, or finds it there. The mode is set
// again after mkdir because the file-creation mask may have narrowed it; a
// folder that was there already keeps its mode and is judged as it is.
bool MakeNamedFolder(const std::filesystem::path& folder) {
  if (mkdir(folder.c_str(), kPrivateMode) == 0) return chmod(folder.c_str(), kPrivateMode) == 0;
  return errno == EEXIST;
}

// Makes "<base>/sonavue-XXXXXX", unique and with mode 0700; empty on failure.
std::filesystem::path MakeUniqueFolder(const std::filesystem::path& base) {
  std::string pattern = (base / (std::string(kFolderName) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

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

bool IsPrivateFolder(const std::filesystem::path& folder) {
  struct stat info {};
  // lstat: a symbolic link is judged as the link, never as what it points to.
  if (folder.empty() || lstat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::vector<WorkingFolderCandidate> WorkingFolderCandidates(const AppEnvironment& environment) {
  std::vector<WorkingFolderCandidate> candidates;
  const bool perRun = environment.workingFolderPerRun;
  if (!environment.runtimeFolder.empty()) candidates.push_back({environment.runtimeFolder, perRun, false});
  if (!environment.cacheFolder.empty()) candidates.push_back({environment.cacheFolder, perRun, true});
  if (!environment.tempFolder.empty()) candidates.push_back({environment.tempFolder, true, false});
  return candidates;
}

WorkingFolderChoice ChooseWorkingFolder(const std::vector<WorkingFolderCandidate>& candidates) {
  for (const auto& candidate : candidates) {
    if (candidate.base.empty()) continue;
    std::error_code error;
    if (candidate.createBase) std::filesystem::create_directories(candidate.base, error);
    if (!std::filesystem::is_directory(candidate.base, error)) continue;

    std::filesystem::path folder;
    if (candidate.makeUnique) {
      folder = MakeUniqueFolder(candidate.base);
      if (folder.empty()) continue;
    } else {
      folder = candidate.base / kFolderName;
      if (!MakeNamedFolder(folder)) continue;
    }
    if (IsPrivateFolder(folder) && ProbeFolderWritable(folder)) {
      return {folder, true, candidate.makeUnique};
    }
    // A unique folder that fails is this run's own and goes; a named one
    // may belong to someone else and is left alone.
    if (candidate.makeUnique) std::filesystem::remove_all(folder, error);
  }
  return {};
}

std::filesystem::path WorkingFilePath(const App& app, const std::string& name) {
  return app.workingFolder / name;
}

}  // namespace sonavue::app
