#include "context/WholeFile.h"

#include <gtest/gtest.h>

#include <string>

#include "output/PointLog.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavue::app {
namespace {

using sonavue::testing::ReadFileBytes;

std::string Text(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void Put(const std::filesystem::path& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

class WholeFileTest : public ::testing::Test {
 protected:
  sonavue::testing::TempFolder folder_;
};

TEST_F(WholeFileTest, TheTargetChangesOnlyWhenTheWholeFileIsCommitted) {
  const auto target = folder_ / "a.txt";
  Put(target, "old");
  WholeFileWriter writer;
  ASSERT_TRUE(writer.Open(target));
  writer.Write("new ");
  // More than one block, so that some of it reaches the temporary file.
  const std::string big(WholeFileWriter::kBlockBytes + 10, 'x');
  writer.Write(big);
  EXPECT_EQ(Text(target), "old");
  EXPECT_TRUE(std::filesystem::exists(TemporaryBeside(target)));
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(Text(target), "new " + big);
  EXPECT_FALSE(std::filesystem::exists(TemporaryBeside(target)));
}

TEST_F(WholeFileTest, AnAbandonedFileLeavesTheTargetAndNoTemporaryFile) {
  const auto target = folder_ / "a.txt";
  Put(target, "old");
  {
    WholeFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    writer.Write("half a");
  }  // destroyed without Commit
  EXPECT_EQ(Text(target), "old");
  EXPECT_FALSE(std::filesystem::exists(TemporaryBeside(target)));
}

TEST_F(WholeFileTest, AFolderAMissingFolderOrADeviceIsNoTarget) {
  WholeFileWriter writer;
  EXPECT_FALSE(writer.Open(folder_.Path()));
  EXPECT_FALSE(writer.Open(folder_ / "none" / "a.txt"));
  // Replacing a device by a file would break it (for root, whom nothing else stops).
  EXPECT_FALSE(writer.Open("/dev/null"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_FALSE(writer.Commit());
}

TEST_F(WholeFileTest, AWriteThatFailsIsReportedAndTheOldFileStays) {
  const auto target = folder_ / "a.txt";
  Put(target, "old");
  WholeFileWriter writer;
  ASSERT_TRUE(writer.Open(target));
  {
    const sonavue::testing::FileSizeLimit limit(4096);
    writer.Write(std::string(3 * WholeFileWriter::kBlockBytes, 'y'));
    EXPECT_FALSE(writer.Ok());
    EXPECT_FALSE(writer.Commit());
  }
  EXPECT_EQ(Text(target), "old");
  EXPECT_FALSE(std::filesystem::exists(TemporaryBeside(target)));
}

TEST_F(WholeFileTest, AppendingKeepsWhatTheFileHeldAndCreatesAMissingOne) {
  const auto target = folder_ / "points.txt";
  ASSERT_TRUE(output::AppendWhole(target, "one\r\n"));
  ASSERT_TRUE(output::AppendWhole(target, "two\r\n"));
  EXPECT_EQ(Text(target), "one\r\ntwo\r\n");
  EXPECT_FALSE(output::AppendWhole(folder_ / "none" / "p.txt", "x"));
  {
    const sonavue::testing::FileSizeLimit limit(8);
    EXPECT_FALSE(output::AppendWhole(target, "three\r\n"));
  }
  EXPECT_EQ(Text(target), "one\r\ntwo\r\n");
}

}  // namespace
}  // namespace sonavue::app
