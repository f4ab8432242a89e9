#include "context/WorkingFiles.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempFolder.h"

namespace sonavue::app {
namespace {

using sonavue::testing::TempFolder;

TEST(WorkingFilesTest, ProbeWritesAndRemovesItsFile) {
  TempFolder folder;
  EXPECT_TRUE(ProbeFolderWritable(folder.Path()));
  EXPECT_FALSE(std::filesystem::exists(folder / "test.txt"));
  EXPECT_FALSE(ProbeFolderWritable(folder / "missing"));
  EXPECT_FALSE(ProbeFolderWritable({}));
}

TEST(WorkingFilesTest, ProbeFailsWhereNoFileCanBeCreated) {
  TempFolder folder;
  // A folder entry named like the probe file blocks it even for root.
  std::filesystem::create_directory(folder / "test.txt");
  EXPECT_FALSE(ProbeFolderWritable(folder.Path()));
}

TEST(WorkingFilesTest, FirstWritableCandidateIsTakenAndGetsItsSubfolder) {
  TempFolder folder;
  const auto choice = ChooseWorkingFolder({folder / "missing", folder.Path(), "/nonexistent"});
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.folder, folder / "sonavue");
  EXPECT_TRUE(std::filesystem::is_directory(choice.folder));
}

TEST(WorkingFilesTest, NoWritableCandidateFallsBackToTheLastTried) {
  TempFolder folder;
  std::ofstream(folder / "plainfile") << "x";
  const auto choice = ChooseWorkingFolder({folder / "a", {}, folder / "plainfile"});
  EXPECT_FALSE(choice.accepted);
  EXPECT_EQ(choice.folder, folder / "plainfile" / "sonavue");
}

}  // namespace
}  // namespace sonavue::app
