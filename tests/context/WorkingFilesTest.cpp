#include "context/WorkingFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "context/App.h"
#include "support/TempFolder.h"

namespace sonavue::app {
namespace {

namespace fs = std::filesystem;
using sonavue::testing::TempFolder;

unsigned ModeOf(const fs::path& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return 0xFFFFU;
  return info.st_mode & 07777U;
}

// A runtime and a cache folder of this user (mode 0700) in a fresh folder.
class WorkingFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& folder : {runtime_, cache_}) {
      fs::create_directory(folder);
      fs::permissions(folder, fs::perms::owner_all);
    }
  }

  std::vector<WorkingFolderCandidate> Candidates() const {
    return {{runtime_, false, false}, {cache_, false, false}};
  }

  TempFolder root_;
  fs::path runtime_ = root_ / "runtime";
  fs::path cache_ = root_ / "cache";
};

TEST(WorkingFilesTest, ProbeWritesAndRemovesItsFile) {
  TempFolder folder;
  EXPECT_TRUE(ProbeFolderWritable(folder.Path()));
  EXPECT_FALSE(fs::exists(folder / "test.txt"));
  EXPECT_FALSE(ProbeFolderWritable(folder / "missing"));
  EXPECT_FALSE(ProbeFolderWritable({}));
}

TEST(WorkingFilesTest, ProbeFailsWhereNoFileCanBeCreated) {
  TempFolder folder;
  // A folder entry named like the probe file blocks it even for root.
  fs::create_directory(folder / "test.txt");
  EXPECT_FALSE(ProbeFolderWritable(folder.Path()));
}

TEST(WorkingFilesTest, CandidatesAreRuntimeThenCacheThenAUniqueTemporaryFolder) {
  AppEnvironment environment;
  environment.runtimeFolder = "/run/user/1000";
  environment.cacheFolder = "/home/u/.cache";
  environment.tempFolder = "/tmp";
  const auto candidates = WorkingFolderCandidates(environment);
  ASSERT_EQ(candidates.size(), 3U);
  EXPECT_EQ(candidates[0].base, "/run/user/1000");
  EXPECT_FALSE(candidates[0].makeUnique);
  EXPECT_EQ(candidates[1].base, "/home/u/.cache");
  EXPECT_FALSE(candidates[1].makeUnique);
  EXPECT_TRUE(candidates[1].createBase);
  EXPECT_EQ(candidates[2].base, "/tmp");
  EXPECT_TRUE(candidates[2].makeUnique);

  environment.runtimeFolder.clear();
  environment.cacheFolder.clear();
  const auto onlyTemporary = WorkingFolderCandidates(environment);
  ASSERT_EQ(onlyTemporary.size(), 1U);
  EXPECT_TRUE(onlyTemporary[0].makeUnique);
}

TEST_F(WorkingFolderTest, RunsThatAskForAFolderEachNeverShareOne) {
  AppEnvironment environment;
  environment.runtimeFolder = runtime_;
  environment.workingFolderPerRun = true;
  const auto first = ChooseWorkingFolder(WorkingFolderCandidates(environment));
  const auto second = ChooseWorkingFolder(WorkingFolderCandidates(environment));
  ASSERT_TRUE(first.accepted);
  ASSERT_TRUE(second.accepted);
  EXPECT_TRUE(first.madeUnique);  // removed with its App
  EXPECT_NE(first.folder, second.folder);
  EXPECT_EQ(first.folder.parent_path(), runtime_);
  EXPECT_TRUE(IsPrivateFolder(first.folder));
}

TEST_F(WorkingFolderTest, TheRuntimeFolderGetsAPrivateSonavueFolder) {
  const auto choice = ChooseWorkingFolder(Candidates());
  EXPECT_TRUE(choice.accepted);
  EXPECT_FALSE(choice.madeUnique);
  EXPECT_EQ(choice.folder, runtime_ / "sonavue");
  EXPECT_TRUE(fs::is_directory(choice.folder));
  EXPECT_EQ(ModeOf(choice.folder), 0700U);
  // A second start takes the same folder again.
  EXPECT_EQ(ChooseWorkingFolder(Candidates()).folder, runtime_ / "sonavue");
}

TEST_F(WorkingFolderTest, TheFolderIsMadePrivateWhateverTheFileCreationMask) {
  const mode_t previous = umask(0);
  const auto choice = ChooseWorkingFolder(Candidates());
  umask(previous);
  EXPECT_EQ(ModeOf(choice.folder), 0700U);
}

TEST_F(WorkingFolderTest, ASymbolicLinkIsRefused) {
  fs::create_directory(root_ / "elsewhere");
  fs::create_directory_symlink(root_ / "elsewhere", runtime_ / "sonavue");
  const auto choice = ChooseWorkingFolder(Candidates());
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.folder, cache_ / "sonavue");
  EXPECT_TRUE(fs::is_symlink(runtime_ / "sonavue"));  // left as it was
}

TEST_F(WorkingFolderTest, AFolderOthersMayWriteIsRefused) {
  for (const auto mode : {fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all,
                          fs::perms::owner_all | fs::perms::group_write}) {
    fs::create_directory(runtime_ / "sonavue");
    fs::permissions(runtime_ / "sonavue", mode);
    const auto choice = ChooseWorkingFolder(Candidates());
    EXPECT_TRUE(choice.accepted);
    EXPECT_EQ(choice.folder, cache_ / "sonavue");
    fs::remove(runtime_ / "sonavue");
  }
  // Readable by others but writable only by the owner: taken.
  fs::create_directory(runtime_ / "sonavue");
  fs::permissions(runtime_ / "sonavue", fs::perms::owner_all | fs::perms::group_read |
                                            fs::perms::group_exec | fs::perms::others_read |
                                            fs::perms::others_exec);
  EXPECT_EQ(ChooseWorkingFolder(Candidates()).folder, runtime_ / "sonavue");
}

TEST_F(WorkingFolderTest, AFolderOfAnotherUserIsRefused) {
  fs::create_directory(runtime_ / "sonavue");
  fs::permissions(runtime_ / "sonavue", fs::perms::owner_all);
  if (chown((runtime_ / "sonavue").c_str(), geteuid() + 1, getegid()) != 0) {
    GTEST_SKIP() << "giving a folder to another user needs root";
  }
  EXPECT_FALSE(IsPrivateFolder(runtime_ / "sonavue"));
  const auto choice = ChooseWorkingFolder(Candidates());
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.folder, cache_ / "sonavue");
}

TEST_F(WorkingFolderTest, TheProbeRunsInTheFolderThatIsUsed) {
  // The runtime folder takes files, its "sonavue" folder does not.
  fs::create_directory(runtime_ / "sonavue");
  fs::permissions(runtime_ / "sonavue", fs::perms::owner_all);
  fs::create_directory(runtime_ / "sonavue" / "test.txt");
  // The cache folder itself does not take the probe file, its "sonavue" does.
  fs::create_directory(cache_ / "test.txt");
  const auto choice = ChooseWorkingFolder(Candidates());
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.folder, cache_ / "sonavue");
}

TEST_F(WorkingFolderTest, AMissingCacheFolderIsMade) {
  const fs::path cache = root_ / "home" / ".cache";
  const auto choice = ChooseWorkingFolder({{root_ / "no-runtime", false, false}, {cache, false, true}});
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.folder, cache / "sonavue");
  EXPECT_EQ(ModeOf(cache / "sonavue"), 0700U);
  EXPECT_FALSE(fs::exists(root_ / "no-runtime"));  // a runtime folder is never made
}

TEST_F(WorkingFolderTest, LastComesAUniquePrivateFolderInTheTemporaryFolder) {
  std::ofstream(root_ / "plainfile") << "x";
  const fs::path temporary = root_ / "tmp";
  fs::create_directory(temporary);
  const std::vector<WorkingFolderCandidate> candidates = {
      {root_ / "plainfile", false, false}, {temporary, true, false}};
  const auto first = ChooseWorkingFolder(candidates);
  EXPECT_TRUE(first.accepted);
  EXPECT_TRUE(first.madeUnique);
  EXPECT_EQ(first.folder.parent_path(), temporary);
  EXPECT_EQ(first.folder.filename().string().rfind("sonavue-", 0), 0U) << first.folder;
  EXPECT_EQ(ModeOf(first.folder), 0700U);
  // Every run gets a folder of its own.
  const auto second = ChooseWorkingFolder(candidates);
  EXPECT_NE(second.folder, first.folder);
}

TEST_F(WorkingFolderTest, NoUsableCandidateGivesNoFolder) {
  std::ofstream(root_ / "plainfile") << "x";
  const auto choice = ChooseWorkingFolder({{root_ / "missing", false, false},
                                           {root_ / "plainfile", false, false},
                                           {root_ / "plainfile", true, false}});
  EXPECT_FALSE(choice.accepted);
  EXPECT_TRUE(choice.folder.empty());
  EXPECT_FALSE(fs::exists(root_ / "missing"));
}

}  // namespace
}  // namespace sonavue::app
