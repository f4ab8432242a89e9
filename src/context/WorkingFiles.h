#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonavue::app {

class App;

// Whether a folder takes files: "test.txt" holding the 9 bytes "test file"
// is created, written, closed and deleted there.
bool ProbeFolderWritable(const std::filesystem::path& folder);

// Result of choosing the working folder among the candidates in order.
struct WorkingFolderChoice {
  std::filesystem::path folder;  // "<candidate>/sonavue"
  bool accepted = false;         // false: no candidate passed the write probe
};

// Tries each candidate (skipping empty ones); the first that exists and
// passes the write probe is taken. When none passes, the last candidate tried
// is used. The "sonavue" folder inside it is created in every case.
WorkingFolderChoice ChooseWorkingFolder(const std::vector<std::filesystem::path>& candidates);

// The full path of a working file ("temp.wav", "mod.wav", "bitmap1.dat" …).
std::filesystem::path WorkingFilePath(const App& app, const std::string& name);

}  // namespace sonavue::app
