#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonavue::app {

class App;
struct AppEnvironment;

// The warning shown when no working folder can be used; the program then
// ends at once.
inline constexpr const char* kNoWorkingFolderText =
    "User Privileges do not allow Sonavue to write temporary files.\nPlease set User "
    "Privileges to allow file creation and deletion";

// Whether a folder takes files: "test.txt" holding the 9 bytes "test file"
// is created, written, closed and deleted there.
bool ProbeFolderWritable(const std::filesystem::path& folder);

// Whether a folder is fit to hold this user's working files: a real folder
// (not a symbolic link to one), owned by the effective user, that neither
// its group nor others may write.
bool IsPrivateFolder(const std::filesystem::path& folder);

// One place where the working folder may be made.
struct WorkingFolderCandidate {
  std::filesystem::path base;
  // false: the folder "<base>/sonavue", made with mode 0700 when missing;
  // true: a fresh folder "<base>/sonavue-XXXXXX" made by mkdtemp (mode 0700).
  bool makeUnique = false;
  // Make base (and its parents) when it is missing.
  bool createBase = false;
};

// The candidates in order of preference: "sonavue" in the runtime folder,
// then in the cache folder (made when missing), then a unique private
// folder in the system temporary folder (every one unique when the
// environment asks for a folder per run). Empty folders are left out.
std::vector<WorkingFolderCandidate> WorkingFolderCandidates(const AppEnvironment& environment);

// Result of choosing the working folder among the candidates in order.
struct WorkingFolderChoice {
  std::filesystem::path folder;  // the working folder; empty when none is usable
  bool accepted = false;         // false: no candidate was safe and writable
  bool madeUnique = false;       // folder was made for this run alone (remove it at the end)
};

// Takes the first candidate whose folder exists or can be made, is private
// (IsPrivateFolder) and passes the write probe in that very folder. A
// candidate that fails is passed over; a unique folder it made is removed.
WorkingFolderChoice ChooseWorkingFolder(const std::vector<WorkingFolderCandidate>& candidates);

// The full path of a working file ("temp.wav", "mod.wav", "bitmap1.dat" …).
std::filesystem::path WorkingFilePath(const App& app, const std::string& name);

}  // namespace sonavue::app
