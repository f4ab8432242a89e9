// Runs sonavue-cli as a user would and checks what it prints.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "output/JpegProbe.h"
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

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void WriteTone(const std::filesystem::path& path, int rate, double seconds) {
  WavBuilder()
      .Format(1, 1, static_cast<std::uint32_t>(rate), 16)
      .Data(WavBuilder::Pcm16(Sine(2500.0, 9000.0, rate, static_cast<int>(rate * seconds))))
      .Write(path);
}

TEST(CliTest, AnalyzeSavesTheWindowAsABitmapOfTheDisplayArea) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 2.0);
  const std::string out = (folder / "tone.bmp").string();
  const CliRun run = RunCli("analyze " + (folder / "tone.wav").string() + " -o " + out + " --window 1000x700", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto bmp = sonavue::testing::ReadFileBytes(out);
  ASSERT_GT(bmp.size(), 58U);
  const std::uint32_t w = U32(bmp, 18);
  const std::uint32_t h = U32(bmp, 22);
  // The display area: the window less its scroll bar and readout panel.
  EXPECT_GT(w, 900U);
  EXPECT_LT(w, 1000U);
  EXPECT_GT(h, 450U);
  EXPECT_LT(h, 700U);
  EXPECT_EQ(bmp.size(), 58 + h * ((3 * w + 3) / 4 * 4));
  EXPECT_EQ(U32(bmp, 2), bmp.size());
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[28], 24);
}

TEST(CliTest, AnalyzeWritesAJpegOfTheChosenSizeQualityAndDensity) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 44100, 2.0);
  const std::string file = (folder / "tone.wav").string();
  ASSERT_EQ(RunCli("analyze " + file + " -o " + (folder / "a.bmp").string(), folder).status, 0);
  const auto bmp = sonavue::testing::ReadFileBytes(folder / "a.bmp");
  const std::uint32_t w = U32(bmp, 18);
  const std::uint32_t h = U32(bmp, 22);

  const CliRun run = RunCli("analyze " + file + " -o " + (folder / "a.jpg").string() +
                                " --width 2400 --dpi 600 --quality 80 --scale log --high 20000",
                            folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto headers = sonavue::testing::ProbeJpeg(sonavue::testing::ReadFileBytes(folder / "a.jpg"));
  EXPECT_EQ(headers.width, 2400);
  EXPECT_EQ(headers.height, static_cast<int>(2400ULL * h / w));
  EXPECT_EQ(headers.densityUnit, 1);
  EXPECT_EQ(headers.xDensity, 600);
  EXPECT_EQ(headers.yDensity, 600);
}

TEST(CliTest, AnalyzeEntireSavesEveryColumn) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 1.5);
  const std::string file = (folder / "tone.wav").string();
  const std::string window = " --window 640x480";
  ASSERT_EQ(RunCli("analyze " + file + " -o " + (folder / "w.bmp").string() + window, folder).status, 0);
  const std::uint32_t shown = U32(sonavue::testing::ReadFileBytes(folder / "w.bmp"), 18);
  // 1 ms per column: about 1500 columns, far more than the window shows.
  const CliRun run =
      RunCli("analyze " + file + " -o " + (folder / "e.bmp").string() + window + " --entire --step 1", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::uint32_t entire = U32(sonavue::testing::ReadFileBytes(folder / "e.bmp"), 18);
  EXPECT_GT(entire, 2 * shown);
  EXPECT_LT(entire, 1500U + 100U);
}

TEST(CliTest, AnalyzeRefusesWhatItCannotDo) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 1.0);
  const std::string file = (folder / "tone.wav").string();
  EXPECT_EQ(RunCli("analyze " + file, folder).status, 2);
  EXPECT_EQ(RunCli("analyze " + file + " -o x.png", folder).status, 2);
  EXPECT_EQ(RunCli("analyze " + file + " -o x.bmp --window 10x10", folder).status, 2);
  EXPECT_EQ(RunCli("analyze " + file + " -o x.bmp --width 20000", folder).status, 2);
  EXPECT_EQ(RunCli("analyze " + file + " -o x.bmp --frobnicate 1", folder).status, 2);
  CliRun run = RunCli("analyze " + (folder / "missing.wav").string() + " -o " + (folder / "x.bmp").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot Open File\n");
  run = RunCli("analyze " + file + " -o " + (folder / "no" / "x.bmp").string(), folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot Open File\n");
}

TEST(CliTest, BatchGoesOnPastRefusedFilesAndSaysSo) {
  TempFolder folder;
  WriteTone(folder / "a.wav", 48000, 1.0);
  WriteTone(folder / "b.wav", 44100, 1.5);
  WavBuilder().Format(1, 1, 48000, 32).Data({0, 0, 0, 0}).Write(folder / "bad.wav");
  const std::string out = (folder / "images").string();
  const CliRun run = RunCli("batch " + (folder / "bad.wav").string() + " " + (folder / "a.wav").string() + " " +
                                (folder / "missing.wav").string() + " " + (folder / "b.wav").string() +
                                " --out " + out + " --width 1800 --window 800x600",
                            folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Unsupported wave file format\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("bad.wav: not saved"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Cannot Open File\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("missing.wav: not saved"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("a.wav: not saved"), std::string::npos) << run.err;
  // Scaled alike: the chosen width over the width of the picture made by
  // hand (the window's, rounded up to whole groups of 4 pixels).
  int widths[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const auto headers = sonavue::testing::ProbeJpeg(
        sonavue::testing::ReadFileBytes(folder / "images" / (i == 0 ? "a.jpg" : "b.jpg")));
    widths[i] = headers.width;
    EXPECT_NEAR(headers.width, 1800, 6);
  }
  EXPECT_EQ(widths[0], widths[1]);
  EXPECT_FALSE(std::filesystem::exists(folder / "images" / "bad.jpg"));
}

TEST(CliTest, BatchOfGoodFilesEndsWell) {
  TempFolder folder;
  WriteTone(folder / "a.wav", 48000, 1.0);
  WriteTone(folder / "b.wav", 48000, 1.0);
  const CliRun run = RunCli("batch " + (folder / "a.wav").string() + " " + (folder / "b.wav").string() +
                                " --out " + (folder / "out").string() + " --format bmp",
                            folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* name : {"a.bmp", "b.bmp"}) {
    const auto bmp = sonavue::testing::ReadFileBytes(folder / "out" / name);
    ASSERT_GT(bmp.size(), 58U) << name;
    EXPECT_EQ(U32(bmp, 2), bmp.size());
  }
  EXPECT_EQ(RunCli("batch " + (folder / "a.wav").string() + " --out x", folder).status, 1);
  EXPECT_EQ(RunCli("batch " + (folder / "a.wav").string() + " " + (folder / "b.wav").string(), folder).status, 2);
  EXPECT_EQ(RunCli("batch " + (folder / "a.wav").string() + " " + (folder / "b.wav").string() +
                       " --out x --format gif",
                   folder)
                .status,
            2);
}

}  // namespace
