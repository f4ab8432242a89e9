// Runs sonavue-cli as a user would and checks what it prints.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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

TEST(CliTest, CalibrateRefusesBadArgumentsBeforeItListens) {
  TempFolder folder;
  for (const char* arguments : {"calibrate", "calibrate spl", "calibrate spl --level",
                                "calibrate spl --level loud", "calibrate spl --level 94 --seconds 0",
                                "calibrate spl --level 94 --seconds 61", "calibrate spl --level 94 --gain-lock maybe",
                                "calibrate spl --level 94 --colour red", "calibrate response --level 94"}) {
    const CliRun run = RunCli(arguments, folder);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.err.find("sonavue-cli calibrate spl --level DB"), std::string::npos) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
  }
}

}  // namespace
