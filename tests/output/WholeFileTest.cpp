#include "output/WholeFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <vector>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ReadFileBytes;
using sonavue::testing::TempFolder;

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

void WriteText(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }

TEST(WholeFileTest, TheBytesReplaceTheTargetOnlyAtTheCommit) {
  TempFolder folder;
  const auto target = folder / "picture.bmp";
  WriteText(target, "old");
  WholeFile file;
  ASSERT_TRUE(file.Open(target));
  const std::vector<std::uint8_t> bytes{1, 2, 3, 4, 5};
  ASSERT_TRUE(file.Write(bytes));
  EXPECT_EQ(ReadFileBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFileBytes(target), bytes);
  EXPECT_EQ(FilesIn(folder.Path()), 1U);
}

TEST(WholeFileTest, ADiscardedFileLeavesTheTargetAsItWas) {
  TempFolder folder;
  const auto target = folder / "picture.jpg";
  WriteText(target, "old");
  {
    WholeFile file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Write(std::vector<std::uint8_t>(100, 7)));
    // Destroyed without a commit.
  }
  EXPECT_EQ(ReadFileBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(folder.Path()), 1U);
}

TEST(WholeFileTest, TargetsThatCannotBeWrittenAreRefusedAtTheOpening) {
  TempFolder folder;
  WholeFile file;
  EXPECT_FALSE(file.Open(folder / "missing" / "picture.bmp"));
  std::filesystem::create_directory(folder / "folder.bmp");
  EXPECT_FALSE(file.Open(folder / "folder.bmp"));
  const auto locked = folder / "locked.bmp";
  WriteText(locked, "keep");
  ::chmod(locked.c_str(), 0444);
  if (::geteuid() != 0) {
    EXPECT_FALSE(file.Open(locked));
  }
  EXPECT_EQ(FilesIn(folder.Path()), 2U);
}

TEST(WholeFileTest, AShortWriteIsReportedAndNothingReplacesTheTarget) {
  TempFolder folder;
  const auto target = folder / "picture.bmp";
  WriteText(target, "old");
  WholeFile file;
  ASSERT_TRUE(file.Open(target));
  // The file size limit stops the write part way, as a full disk would.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit saved = limit;
  limit.rlim_cur = 1000;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const bool written = file.Write(std::vector<std::uint8_t>(5000, 1));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  file.Discard();
  EXPECT_EQ(ReadFileBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(folder.Path()), 1U);
}

}  // namespace
}  // namespace sonavue::output
