// Runs sonavue-cli as a user would and checks what it prints.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace {

using sonavue::testing::TempFolder;
using sonavue::testing::WavBuilder;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the companion with these arguments; prefix goes in front of the
// command (environment settings).
CliRun RunCli(const std::string& arguments, const TempFolder& folder, const std::string& prefix = "") {
  const std::string errPath = (folder / "stderr.txt").string();
  const std::string command = prefix + std::string(SONAVUE_CLI) + " " + arguments + " 2>" + errPath;
  CliRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto err = sonavue::testing::ReadFileBytes(errPath);
  run.err.assign(err.begin(), err.end());
  return run;
}

std::vector<std::int16_t> Sine(double freqHz, double amplitude, int rate, int count) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    samples[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * freqHz * i / rate)));
  }
  return samples;
}

TEST(CliTest, InfoPrintsTheHeaderFieldsInOrder) {
  TempFolder folder;
  WavBuilder().Format(1, 2, 44100, 16).Data(std::vector<std::uint8_t>(176400, 0)).Write(folder / "a.wav");
  const CliRun run = RunCli("info " + (folder / "a.wav").string(), folder);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "format_tag=1\nchannels=2\nsample_rate=44100\nbits_per_sample=16\nsource_bits=16\n"
            "first_sample_offset=44\ndata_length=176400\nduration=1.000000\n");
  EXPECT_EQ(run.err, "");
}

TEST(CliTest, InfoOfAnUltrasoundFileAddsTheAnalysisRateAfterTheNotice) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 384000, 16).Data(std::vector<std::uint8_t>(768000, 0)).Write(folder / "bat.wav");
  const CliRun run = RunCli("info " + (folder / "bat.wav").string(), folder);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("duration=1.000000\nanalysis_rate=48000\nmultiplier=8\n"), std::string::npos);
  EXPECT_EQ(run.err,
            "     Sampling rate is greater than 96000 Hz.\nFile will be analyzed as UltraSound "
            "recording.\n");
}

TEST(CliTest, InfoRefusalsPrintTheMessageAndExitOne) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 48000, 32).Data({0, 0, 0, 0}).Write(folder / "int32.wav");
  CliRun run = RunCli("info " + (folder / "int32.wav").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Unsupported wave file format\n");
  EXPECT_EQ(run.out, "");
  run = RunCli("info " + (folder / "missing.wav").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot Open File\n");
}

TEST(CliTest, LevelsPutsAToneInItsRow) {
  TempFolder folder;
  // 1 s of a 3.5 kHz tone at 48 kHz; 8 rows of 1 kHz each up to 8 kHz.
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(3500.0, 10000.0, 48000, 48000)))
      .Write(folder / "tone.wav");
  const CliRun run = RunCli("levels " + (folder / "tone.wav").string() + " --rows 8 --high 8000", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "column,time_ms,total_db,r0,r1,r2,r3,r4,r5,r6,r7");
  int columns = 0;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::stringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) fields.push_back(cell);
    ASSERT_EQ(fields.size(), 11U) << line;
    EXPECT_EQ(std::stoi(fields[0]), columns);
    EXPECT_DOUBLE_EQ(std::stod(fields[1]), columns * 10.0);
    // RMS of a 10000 sine is 7071: 20 log10 7071 ≈ 76.99 dB.
    EXPECT_NEAR(std::stod(fields[2]), 76.99, 0.05);
    int loudest = 0;
    for (int r = 1; r < 8; ++r) {
      if (std::stoi(fields[3 + static_cast<std::size_t>(r)]) > std::stoi(fields[3 + static_cast<std::size_t>(loudest)])) loudest = r;
    }
    EXPECT_EQ(loudest, 3) << line;  // 3 … 4 kHz
    ++columns;
  }
  EXPECT_GT(columns, 90);
}

TEST(CliTest, LevelsRefusesBadOptionsAndShortFiles) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 48000, 16).Data(std::vector<std::uint8_t>(200, 0)).Write(folder / "short.wav");
  CliRun run = RunCli("levels " + (folder / "short.wav").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Time Scale Too Small\n");
  run = RunCli("levels " + (folder / "short.wav").string() + " --scale bark", folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--scale"), std::string::npos);
  run = RunCli("levels " + (folder / "short.wav").string() + " --fft 1000", folder);
  EXPECT_EQ(run.status, 2);
}

// The fields of the levels CSV: per line the time, the total ("" for none)
// and the codes.
struct CsvColumn {
  std::string time;
  std::string total;
  std::vector<int> codes;
};
std::vector<CsvColumn> ParseCsv(const std::string& text) {
  std::vector<CsvColumn> columns;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::stringstream cells(line + ",");
    std::string cell;
    while (std::getline(cells, cell, ',')) fields.push_back(cell);
    CsvColumn c{fields.at(1), fields.at(2), {}};
    for (std::size_t i = 3; i < fields.size(); ++i) c.codes.push_back(std::stoi(fields[i]));
    columns.push_back(std::move(c));
  }
  return columns;
}

template <typename T>
T LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<std::uint64_t>(bytes.at(at + i)) << (8 * i);
  T value;
  std::memcpy(&value, &bits, sizeof(T));
  return value;
}

TEST(CliTest, LevelsAsNpyHoldTheCsvNumbersInOneStructuredArray) {
  TempFolder folder;
  // A tone with a silent second in the middle, so that some columns have no total.
  std::vector<std::int16_t> samples = Sine(3500.0, 10000.0, 48000, 3 * 48000);
  std::fill(samples.begin() + 48000, samples.begin() + 2 * 48000, 0);
  WavBuilder().Format(1, 2, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(folder / "tone.wav");
  const std::string options = " --rows 7 --high 8000 --channel right --begin 0.25";
  const CliRun csv = RunCli("levels " + (folder / "tone.wav").string() + options, folder);
  ASSERT_EQ(csv.status, 0) << csv.err;
  const CliRun npy = RunCli("levels " + (folder / "tone.wav").string() + options + " --format npy --output " +
                                (folder / "levels.npy").string(),
                            folder);
  ASSERT_EQ(npy.status, 0) << npy.err;
  EXPECT_EQ(npy.out, "");
  const std::vector<CsvColumn> expected = ParseCsv(csv.out);
  ASSERT_GT(expected.size(), 50U);

  const std::vector<std::uint8_t> file = sonavue::testing::ReadFileBytes(folder / "levels.npy");
  ASSERT_GT(file.size(), 10U);
  ASSERT_EQ(std::string(file.begin(), file.begin() + 8), std::string("\x93NUMPY\x01\x00", 8));
  const std::size_t headerLength = file[8] | (file[9] << 8);
  const std::size_t dataStart = 10 + headerLength;
  EXPECT_EQ(dataStart % 64, 0U);
  const std::string header(file.begin() + 10, file.begin() + static_cast<std::ptrdiff_t>(dataStart));
  EXPECT_EQ(header.back(), '\n');
  EXPECT_NE(header.find("'descr': [('time_ms', '<f8'), ('total_db', '<f4'), ('codes', '<i2', (7,))]"), std::string::npos);
  EXPECT_NE(header.find("'fortran_order': False"), std::string::npos);
  EXPECT_NE(header.find("'shape': (" + std::to_string(expected.size()) + ",)"), std::string::npos);

  const std::size_t record = 8 + 4 + 2 * 7;
  ASSERT_EQ(file.size(), dataStart + record * expected.size());
  int silent = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::size_t at = dataStart + i * record;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", LittleEndian<double>(file, at));
    EXPECT_EQ(text, expected[i].time) << i;
    const float total = LittleEndian<float>(file, at + 8);
    if (expected[i].total.empty()) {
      EXPECT_TRUE(std::isnan(total)) << i;
      ++silent;
    } else {
      std::snprintf(text, sizeof text, "%.3f", static_cast<double>(total));
      EXPECT_EQ(text, expected[i].total) << i;
    }
    for (std::size_t r = 0; r < 7; ++r) {
      EXPECT_EQ(LittleEndian<std::int16_t>(file, at + 12 + 2 * r), expected[i].codes.at(r)) << i << " row " << r;
    }
  }
  EXPECT_GT(silent, 10);
}

TEST(CliTest, LevelsThatCannotBeWrittenEndWithAMessage) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(1000.0, 5000.0, 48000, 48000)))
      .Write(folder / "tone.wav");
  const std::string file = (folder / "tone.wav").string();
  CliRun run = RunCli("levels " + file + " --output " + (folder / "no" / "such" / "folder.csv").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos);
  if (std::filesystem::exists("/dev/full")) {
    // A full disk shows only when the buffer is written out.
    run = RunCli("levels " + file + " --format npy --output /dev/full", folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write /dev/full"), std::string::npos);
  }
  run = RunCli("levels " + file + " --format json", folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--format"), std::string::npos);
}

TEST(CliTest, WithoutAUsableWorkingFolderTheCommandEnds) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 48000, 16).Data(std::vector<std::uint8_t>(9600, 0)).Write(folder / "a.wav");
  // Every place of the working folder is a plain file.
  const std::string blocked = (folder / "plainfile").string();
  std::ofstream(blocked) << "x";
  const std::string environment = "env -u XDG_RUNTIME_DIR XDG_CACHE_HOME=" + blocked + " TMPDIR=" + blocked + " ";
  const CliRun run = RunCli("info " + (folder / "a.wav").string(), folder, environment);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "User Privileges do not allow Sonavue to write temporary files.\nPlease set User "
            "Privileges to allow file creation and deletion\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
