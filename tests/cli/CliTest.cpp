// Runs sonavue-cli as a user would and checks what it prints.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
// Runs a shell command line; its standard error goes to a file of folder.
CliRun RunShell(const std::string& commandLine, const TempFolder& folder) {
  const std::string errPath = (folder / "stderr.txt").string();
  const std::string command = commandLine + " 2>" + errPath;
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

CliRun RunCli(const std::string& arguments, const TempFolder& folder, const std::string& prefix = "") {
  return RunShell(prefix + std::string(SONAVUE_CLI) + " " + arguments, folder);
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

TEST(CliTest, LevelsWritesTheLogSpectrumOfItsColumns) {
  TempFolder folder;
  // 3000 Hz is bin 64 of 1024 at 48 kHz; with one bin of resolution a sine
  // of 16000 shows 55.3 dB there and 49.3 dB on bin 63: −35 and −41 relative.
  const auto wav = folder / "tone.wav";
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(3000.0, 16000.0, 48000, 48000))).Write(wav);
  const auto log = folder / "log.txt";
  const CliRun run = RunCli("levels " + wav.string() + " --low 2950 --high 3050 --fft 1024 --resolution 46.875 " +
                                "--step 10 --log-spectrum " + log.string(),
                            folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::size_t columns = static_cast<std::size_t>(std::count(run.out.begin(), run.out.end(), '\n')) - 1;
  ASSERT_GT(columns, 90U);
  std::string expected = "Sonavue 15 Data\r\n" + wav.string() +
                         "\r\n48000 Hz Sampling Rate\r\n1024 Point FFT\r\nFFT Points 63 to 65 Recorded\r\n"
                         "0 msec Sample Start\r\n10.00 msec Time Step\r\nComma Delimited Values\r\n"
                         "Relative Spectrum Level in Decibels/Hz vs. Time and Frequency\r\n\r\n"
                         "Freq, 2976.6 Hz, 3023.4 Hz, \r\n";
  for (std::size_t i = 0; i < columns; ++i) expected += "Time " + std::to_string(i * 10) + " msec, -41, -35, \r\n";
  const auto bytes = sonavue::testing::ReadFileBytes(log);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

  // A log that cannot be created ends the command with its message.
  const CliRun refused = RunCli("levels " + wav.string() + " --log-spectrum " + (folder / "no" / "x.txt").string(),
                                folder);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "Cannot Open File\n");
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
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // a device is written, never replaced
  }
  // A file that cannot be written whole (here: too large for the process's
  // file size limit) leaves the one that was there.
  const auto previous = folder / "levels.csv";
  std::ofstream(previous) << "old";
  run = RunCli("levels " + file + " --output " + previous.string(), folder, "trap '' XFSZ; ulimit -f 8; ");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos);
  const auto kept = sonavue::testing::ReadFileBytes(previous);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old");
  EXPECT_FALSE(std::filesystem::exists(folder / "levels.csv.new"));
  run = RunCli("levels " + file + " --output " + previous.string(), folder);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GT(std::filesystem::file_size(previous), 1000U);
  EXPECT_FALSE(std::filesystem::exists(folder / "levels.csv.new"));
  run = RunCli("levels " + file + " --format json", folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--format"), std::string::npos);
}

// The CSV of a command as rows of cells, the header line left out.
std::vector<std::vector<std::string>> CsvRows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

// Numbers that are not finite, or too large for the fields they end up in,
// are refused as bad values before any file is opened.
TEST(CliTest, NumbersOutsideWhatTheFieldsHoldAreBadValues) {
  TempFolder folder;
  const std::string file = (folder / "none.wav").string();
  for (const char* options : {"--gain nan", "--rows nan", "--fft nan", "--fft 1e10", "--fft 512.5", "--low 1e30",
                              "--high inf", "--averaging 1e300", "--step 1e-300", "--begin 1e20",
                              "--resolution -nan"}) {
    CliRun run = RunCli("levels " + file + " " + options, folder);
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_NE(run.err.find("bad value"), std::string::npos) << options << ": " << run.err;
    run = RunCli("analyze " + file + " -o " + (folder / "a.bmp").string() + " " + options, folder);
    if (std::string(options).rfind("--rows", 0) == 0) continue;  // not an option of analyze
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_NE(run.err.find("bad value"), std::string::npos) << options << ": " << run.err;
  }
  for (const char* options : {"--trigger nan", "--trigger 1e300", "--trigger -61", "--trigger 31", "--seconds inf"}) {
    const CliRun run = RunCli("record " + (folder / "r.wav").string() + " " + options, folder);
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_FALSE(std::filesystem::exists(folder / "r.wav")) << options;
  }
}

TEST(CliTest, SpectrumPeaksAtTheTonesRowWithTheLevelOfTheColumnBeforeTheClick) {
  TempFolder folder;
  // 3 s of a 3 kHz tone; 200 rows of 60 Hz up to 12 kHz.
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(3000.0, 12000.0, 48000, 3 * 48000)))
      .Write(folder / "tone.wav");
  const std::string file = (folder / "tone.wav").string();
  const CliRun spectrum = RunCli("spectrum " + file + " --at 1.5 --rows 200 --high 12000", folder);
  ASSERT_EQ(spectrum.status, 0) << spectrum.err;
  EXPECT_EQ(spectrum.out.substr(0, spectrum.out.find('\n')), "row,frequency_hz,level_db");
  const auto rows = CsvRows(spectrum.out);
  ASSERT_EQ(rows.size(), 200U);
  int peak = 0;
  double peakDb = -1e9;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r].size(), 3U);
    EXPECT_EQ(std::stoi(rows[r][0]), static_cast<int>(r));
    EXPECT_NEAR(std::stod(rows[r][1]), 60.0 * static_cast<double>(r), 1e-6);
    if (!rows[r][2].empty() && std::stod(rows[r][2]) > peakDb) {
      peakDb = std::stod(rows[r][2]);
      peak = static_cast<int>(r);
    }
  }
  EXPECT_EQ(peak, 50);  // 3000 Hz ÷ 60 Hz

  // Without averaging the spectrum is the last frame before the click: the
  // column before column 150 of the sonogram at 10 ms per column.
  const CliRun levels = RunCli("levels " + file + " --rows 200 --high 12000", folder);
  ASSERT_EQ(levels.status, 0) << levels.err;
  const auto columns = CsvRows(levels.out);
  ASSERT_GT(columns.size(), 150U);
  const double columnDb = std::stoi(columns[149][3 + 50]) / 4.0;
  EXPECT_NEAR(peakDb, columnDb, 0.5);
  EXPECT_GT(peakDb, 0.0);
}

TEST(CliTest, SpectrumNeedsATimeInsideTheSignal) {
  TempFolder folder;
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(1000.0, 8000.0, 48000, 48000)))
      .Write(folder / "a.wav");
  const std::string file = (folder / "a.wav").string();
  CliRun run = RunCli("spectrum " + file, folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--at"), std::string::npos);
  run = RunCli("spectrum " + file + " --at soon", folder);
  EXPECT_EQ(run.status, 2);
  run = RunCli("spectrum " + file + " --at 0.999", folder);  // less than two frames before the end
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  run = RunCli("spectrum " + file + " --at 0.5 --averaging 100", folder);
  EXPECT_EQ(run.status, 0) << run.err;
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

TEST(CliTest, AnalyzeWritesTheSameLogSpectrumAsLevels) {
  TempFolder folder;
  const auto wav = folder / "tone.wav";
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(Sine(3000.0, 16000.0, 48000, 48000))).Write(wav);
  const std::string options = " --low 2950 --high 3050 --fft 1024 --resolution 46.875 --step 10 --log-spectrum ";
  const CliRun levels = RunCli("levels " + wav.string() + options + (folder / "levels.txt").string(), folder);
  ASSERT_EQ(levels.status, 0) << levels.err;
  const CliRun analyze = RunCli("analyze " + wav.string() + " -o " + (folder / "a.bmp").string() + options +
                                    (folder / "analyze.txt").string(),
                                folder);
  ASSERT_EQ(analyze.status, 0) << analyze.err;
  const auto fromLevels = sonavue::testing::ReadFileBytes(folder / "levels.txt");
  ASSERT_GT(fromLevels.size(), 1000U);
  EXPECT_EQ(sonavue::testing::ReadFileBytes(folder / "analyze.txt"), fromLevels);
  EXPECT_TRUE(std::filesystem::exists(folder / "a.bmp"));

  const CliRun refused = RunCli("analyze " + wav.string() + " -o " + (folder / "b.bmp").string() +
                                    " --log-spectrum " + (folder / "no" / "x.txt").string(),
                                folder);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "Cannot Open File\n");
}

// Width and height from a PNG file's IHDR chunk.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::vector<std::uint8_t>& b) {
  if (b.size() < 24 || b[0] != 0x89 || b[1] != 'P' || b[2] != 'N' || b[3] != 'G') return {0, 0};
  const auto be = [&b](std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
  };
  return {be(16), be(20)};
}

TEST(CliTest, AnalyzeWritesAPngWithTheLevelLegendWhenAsked) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 2.0);
  const std::string wav = (folder / "tone.wav").string();
  CliRun run = RunCli("analyze " + wav + " -o " + (folder / "a.bmp").string() + " --window 1000x700", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunCli("analyze " + wav + " -o " + (folder / "a.png").string() + " --window 1000x700", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunCli("analyze " + wav + " -o " + (folder / "b.png").string() + " --legend --window 1000x700", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto bmp = sonavue::testing::ReadFileBytes(folder / "a.bmp");
  ASSERT_GT(bmp.size(), 26U);
  const auto plain = PngSize(sonavue::testing::ReadFileBytes(folder / "a.png"));
  const auto legend = PngSize(sonavue::testing::ReadFileBytes(folder / "b.png"));
  EXPECT_EQ(plain.first, U32(bmp, 18));
  EXPECT_EQ(plain.second, U32(bmp, 22));
  EXPECT_GT(legend.first, plain.first + 40);
  EXPECT_EQ(legend.second, plain.second);
  // The legend belongs to PNG files only.
  run = RunCli("analyze " + wav + " -o " + (folder / "c.bmp").string() + " --legend", folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--legend"), std::string::npos);
  run = RunCli("analyze " + wav + " -o " + (folder / "c.gif").string(), folder);
  EXPECT_EQ(run.status, 2);
}

TEST(CliTest, AnalyzeRefusesWhatItCannotDo) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 1.0);
  const std::string file = (folder / "tone.wav").string();
  EXPECT_EQ(RunCli("analyze " + file, folder).status, 2);
  EXPECT_EQ(RunCli("analyze " + file + " -o x.gif", folder).status, 2);
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

TEST(CliTest, AnalyzeWritesAnSvgWithTheLegendNumbersAsText) {
  TempFolder folder;
  WriteTone(folder / "tone.wav", 48000, 2.0);
  const std::string wav = (folder / "tone.wav").string();
  const CliRun run =
      RunCli("analyze " + wav + " -o " + (folder / "a.Svg").string() + " --legend --window 1000x700", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto bytes = sonavue::testing::ReadFileBytes(folder / "a.Svg");
  const std::string svg(bytes.begin(), bytes.end());
  EXPECT_EQ(svg.rfind("<?xml", 0), 0U);
  EXPECT_EQ(svg.find("<image"), svg.rfind("<image")) << "one embedded picture";
  EXPECT_NE(svg.find("data:image/png;base64,"), std::string::npos);
  // Min and Max of the default levels, in display units.
  EXPECT_NE(svg.find(">Min -90.00 dB</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Max 0.00 dB</text>"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

// The files of a folder with their bytes.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> FolderBytes(const std::filesystem::path& folder) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.emplace_back(entry.path().filename().string(), sonavue::testing::ReadFileBytes(entry.path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Five short files of different lengths and tones.
std::string WriteBatchFiles(const TempFolder& folder) {
  std::string list;
  for (int i = 0; i < 5; ++i) {
    const auto path = folder / ("f" + std::to_string(i) + ".wav");
    WavBuilder()
        .Format(1, 1, 48000, 16)
        .Data(WavBuilder::Pcm16(Sine(1000.0 + 900.0 * i, 9000.0, 48000, 48000 * (4 + i) / 4)))
        .Write(path);
    list += " " + path.string();
  }
  return list;
}

TEST(CliTest, BatchJobsMakeTheImagesOfOneBatchByteForByte) {
  TempFolder folder;
  const std::string files = WriteBatchFiles(folder);
  const std::string options = " --format png --legend --width 1500 --window 800x600";
  CliRun run = RunCli("batch" + files + " --out " + (folder / "one").string() + options, folder);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunCli("batch" + files + " --out " + (folder / "two").string() + options + " --jobs 2", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto one = FolderBytes(folder / "one");
  ASSERT_EQ(one.size(), 5U);
  for (const auto& [name, bytes] : one) {
    EXPECT_EQ(name.substr(name.size() - 4), ".png");
    EXPECT_EQ(PngSize(bytes).first > 1500U, true) << name << ": the legend widens the picture";
  }
  EXPECT_EQ(FolderBytes(folder / "two"), one);
  // One file sized against the same reference is the same image too.
  run = RunCli("batch " + (folder / "f3.wav").string() + " --reference " + (folder / "f0.wav").string() +
                   " --out " + (folder / "three").string() + options,
               folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto three = FolderBytes(folder / "three");
  ASSERT_EQ(three.size(), 1U);
  EXPECT_EQ(three[0], one[3]);
  // A failed file in a job fails the run, the others are saved.
  WavBuilder().Format(1, 1, 48000, 32).Data({0, 0, 0, 0}).Write(folder / "bad.wav");
  run = RunCli("batch" + files + " " + (folder / "bad.wav").string() + " --out " + (folder / "four").string() +
                   options + " --jobs 3",
               folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("bad.wav: not saved"), std::string::npos) << run.err;
  EXPECT_EQ(FolderBytes(folder / "four"), one);
  EXPECT_EQ(RunCli("batch" + files + " --out x --jobs 0", folder).status, 2);
  EXPECT_EQ(RunCli("batch" + files + " --out x --legend", folder).status, 2);
}

TEST(CliTest, BatchSkipExistingWritesOnlyTheMissingImages) {
  TempFolder folder;
  const std::string files = WriteBatchFiles(folder);
  const auto out = folder / "out";
  const std::string command = "batch" + files + " --out " + out.string() + " --format bmp --window 800x600";
  CliRun run = RunCli(command, folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto before = FolderBytes(out);
  ASSERT_EQ(before.size(), 5U);
  struct stat kept[5];
  for (int i = 0; i < 5; ++i) ASSERT_EQ(::stat((out / ("f" + std::to_string(i) + ".bmp")).c_str(), &kept[i]), 0);
  std::filesystem::remove(out / "f2.bmp");
  // A left-over temporary file of an interrupted write is no image.
  std::ofstream(out / "f4.bmp.new") << "part";
  std::filesystem::remove(out / "f4.bmp");
  run = RunCli(command + " --skip-existing --jobs 2", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("f0.wav: skipped"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("f2.wav: skipped"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("f4.wav: skipped"), std::string::npos) << run.err;
  EXPECT_EQ(FolderBytes(out), before);
  for (int i : {0, 1, 3}) {
    struct stat now {};
    ASSERT_EQ(::stat((out / ("f" + std::to_string(i) + ".bmp")).c_str(), &now), 0);
    EXPECT_EQ(now.st_ino, kept[i].st_ino) << i;
    EXPECT_EQ(now.st_mtim.tv_sec, kept[i].st_mtim.tv_sec) << i;
    EXPECT_EQ(now.st_mtim.tv_nsec, kept[i].st_mtim.tv_nsec) << i;
  }
  struct stat rewritten {};
  ASSERT_EQ(::stat((out / "f2.bmp").c_str(), &rewritten), 0);
  // Everything there: nothing to do, and that is no failure.
  run = RunCli(command + " --skip-existing", folder);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("f2.wav: skipped"), std::string::npos) << run.err;
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

// A WAV file the recorder wrote: its two lengths, its rate and samples.
struct RecordedWav {
  std::size_t fileSize = 0;
  std::uint32_t riffLength = 0;
  std::uint32_t dataLength = 0;
  std::uint32_t sampleRate = 0;
  std::uint16_t channels = 0;
  std::uint16_t bits = 0;
  std::vector<std::int16_t> samples;  // 16-bit mono or interleaved
};

RecordedWav ReadRecorded(const std::string& path) {
  RecordedWav wav;
  const auto b = sonavue::testing::ReadFileBytes(path);
  wav.fileSize = b.size();
  if (b.size() < 68) return wav;
  const auto u32 = [&b](std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
  };
  wav.riffLength = u32(4);
  wav.channels = static_cast<std::uint16_t>(b[22] | (b[23] << 8));
  wav.sampleRate = u32(24);
  wav.bits = static_cast<std::uint16_t>(b[34] | (b[35] << 8));
  wav.dataLength = u32(64);
  if (wav.bits == 16) {
    for (std::size_t i = 68; i + 1 < b.size(); i += 2) {
      wav.samples.push_back(static_cast<std::int16_t>(b[i] | (b[i + 1] << 8)));
    }
  }
  return wav;
}

double Rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  double sum = 0.0;
  to = std::min(to, samples.size());
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

// The one line the recorder prints per file: path, seconds, bytes.
struct RecordLine {
  std::string path;
  double seconds = 0.0;
  std::size_t bytes = 0;
};
std::vector<RecordLine> RecordLines(const std::string& out) {
  std::vector<RecordLine> lines;
  std::istringstream text(out);
  std::string line;
  while (std::getline(text, line)) {
    RecordLine parsed;
    char path[4096] = {};
    unsigned long long bytes = 0;
    if (std::sscanf(line.c_str(), "recording=%4095s seconds=%lf bytes=%llu", path, &parsed.seconds, &bytes) == 3) {
      parsed.path = path;
      parsed.bytes = static_cast<std::size_t>(bytes);
      lines.push_back(parsed);
    }
  }
  return lines;
}

TEST(CliRecordTest, ARecordingOfTheTimeAskedForOnTheSimulatedInput) {
  TempFolder folder;
  const std::string out = (folder / "take.wav").string();
  const CliRun run = RunCli("record " + out + " --seconds 1.5", folder,
                            "SONAVUE_SIMULATED_INPUT=tone:1000:10000 ");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto lines = RecordLines(run.out);
  ASSERT_EQ(lines.size(), 1U) << run.out;
  EXPECT_EQ(lines[0].path, out);
  EXPECT_GT(lines[0].seconds, 1.2);
  EXPECT_LT(lines[0].seconds, 1.8);
  const RecordedWav wav = ReadRecorded(out);
  EXPECT_EQ(wav.fileSize, lines[0].bytes);
  EXPECT_EQ(wav.riffLength, wav.fileSize - 8);
  EXPECT_EQ(wav.dataLength, wav.fileSize - 68);
  EXPECT_EQ(wav.sampleRate, 48000U);
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_NEAR(static_cast<double>(wav.dataLength) / 96000.0, lines[0].seconds, 0.0005);
  EXPECT_NEAR(Rms(wav.samples, 0, wav.samples.size()), 7071.0, 50.0);
}

TEST(CliRecordTest, AnInputThatFailsEndsItWithTheMessageAndEveryFrameDelivered) {
  TempFolder folder;
  const std::string out = (folder / "cut.wav").string();
  // The simulated input goes away after 100003 frames (about 2.1 s).
  constexpr std::size_t kDelivered = 100003;
  const CliRun run = RunCli("record " + out + " --seconds 30", folder,
                            "SONAVUE_SIMULATED_INPUT=tone:1000:10000 SONAVUE_SIMULATED_INPUT_FAIL=100003 ");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Audio Input Device Failed\nsimulated input: the device went away\n"
                         "The recording holds everything received before the failure:\n" + out),
            std::string::npos)
      << run.err;
  const auto lines = RecordLines(run.out);
  ASSERT_EQ(lines.size(), 1U) << run.out;
  const RecordedWav wav = ReadRecorded(out);
  EXPECT_EQ(wav.fileSize, lines[0].bytes);
  EXPECT_EQ(wav.riffLength, wav.fileSize - 8);
  EXPECT_EQ(wav.dataLength, wav.fileSize - 68);
  // SAVE was pressed as the scan started; the file runs from there to the
  // last frame the device delivered, the tone's frames in order.
  ASSERT_EQ(wav.samples.size() * 2, wav.dataLength);
  ASSERT_GT(wav.samples.size(), kDelivered - 48000);
  ASSERT_LE(wav.samples.size(), kDelivered);
  const std::size_t first = kDelivered - wav.samples.size();
  for (std::size_t i = 0; i < wav.samples.size(); ++i) {
    const auto expected = static_cast<std::int16_t>(
        std::lround(10000.0 * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(first + i) / 48000.0)));
    ASSERT_EQ(wav.samples[i], expected) << "sample " << i << " (stream frame " << first + i << ")";
  }
}

TEST(CliRecordTest, ASignalStopsItWithACompleteFile) {
  TempFolder folder;
  const std::string out = (folder / "held.wav").string();
  // SIGTERM a second after the recording file has appeared (SAVE has been
  // pressed); the shell passes on the recorder's own status.
  const std::string script =
      "SONAVUE_SIMULATED_INPUT=tone:1000:10000 " + std::string(SONAVUE_CLI) + " record " + out +
      " --rate 44100 --channels 2 & p=$!; i=0; "
      "while [ ! -e " + out + " ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done; "
      "sleep 1; kill -TERM $p; wait $p";
  const CliRun run = RunShell("sh -c '" + script + "'", folder);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = RecordLines(run.out);
  ASSERT_EQ(lines.size(), 1U) << run.out;
  const RecordedWav wav = ReadRecorded(out);
  EXPECT_EQ(wav.fileSize, lines[0].bytes);
  EXPECT_EQ(wav.riffLength, wav.fileSize - 8);
  EXPECT_EQ(wav.dataLength, wav.fileSize - 68);
  EXPECT_EQ(wav.dataLength % 4, 0U);
  EXPECT_EQ(wav.sampleRate, 44100U);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_GT(lines[0].seconds, 0.5);
  EXPECT_LT(lines[0].seconds, 5.0);
}

TEST(CliRecordTest, TheTriggerRecordsTheBurstAndTwoSecondsAfterIt) {
  TempFolder folder;
  const std::string out = (folder / "burst.wav").string();
  // A 3-s burst of 77 dB 1 s in, faint noise around it; trigger at −30 dB.
  // (The burst is long enough for a loaded machine, whose slower frames
  // take longer to raise the 20-frame mean.)
  const CliRun run = RunCli("record " + out + " --trigger -30 --seconds 7", folder,
                            "SONAVUE_SIMULATED_INPUT=burst:1000:10000:1000:3000 ");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = RecordLines(run.out);
  ASSERT_EQ(lines.size(), 1U) << run.out;
  const RecordedWav wav = ReadRecorded(out);
  EXPECT_EQ(wav.dataLength, wav.fileSize - 68);
  // SAVE a little after the burst began, STOP SAVE 2 s after it ended.
  EXPECT_GT(lines[0].seconds, 3.0);
  EXPECT_LT(lines[0].seconds, 5.6);
  EXPECT_NEAR(Rms(wav.samples, 0, 4800), 7071.0, 100.0);
  EXPECT_LT(Rms(wav.samples, wav.samples.size() - 48000, wav.samples.size()), 30.0);
}

TEST(CliRecordTest, APreTriggerKeepsTheQuietBeforeTheBurstAndItsOnset) {
  TempFolder folder;
  const std::string out = (folder / "early.wav").string();
  const CliRun run = RunCli("record " + out + " --trigger -30 --pre-trigger 1.5 --seconds 7", folder,
                            "SONAVUE_SIMULATED_INPUT=burst:1000:10000:2500:3000 ");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = RecordLines(run.out);
  ASSERT_EQ(lines.size(), 1U) << run.out;
  const RecordedWav wav = ReadRecorded(out);
  EXPECT_EQ(wav.dataLength, wav.fileSize - 68);
  // The file opens in the quiet, 1.5 s before the trigger, which follows
  // the onset by the time the 20-frame mean takes to rise.
  EXPECT_LT(Rms(wav.samples, 0, 9600), 30.0);
  std::size_t onset = 0;
  while (onset < wav.samples.size() && std::abs(wav.samples[onset]) < 1000) ++onset;
  EXPECT_GT(onset, 48000U * 5 / 10) << onset;
  EXPECT_LT(onset, 48000U * 15 / 10) << onset;
  // Its first milliseconds are there.
  EXPECT_NEAR(Rms(wav.samples, onset, onset + 480), 7071.0, 400.0);
}

TEST(CliRecordTest, NoTriggerNoFile) {
  TempFolder folder;
  const std::string out = (folder / "quiet.wav").string();
  const CliRun run = RunCli("record " + out + " --trigger -20 --seconds 1", folder,
                            "SONAVUE_SIMULATED_INPUT=tone:1000:100 ");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliRecordTest, BadArgumentsAndAFolderThatIsNotThere) {
  TempFolder folder;
  CliRun run = RunCli("record " + (folder / "a.wav").string() + " --bits 8", folder);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: sonavue-cli record OUT.wav"), std::string::npos);
  run = RunCli("record " + (folder / "a.wav").string() + " --seconds", folder);
  EXPECT_EQ(run.status, 2);
  // A pre-trigger needs the trigger and is at most 10 s.
  run = RunCli("record " + (folder / "a.wav").string() + " --pre-trigger 2", folder);
  EXPECT_EQ(run.status, 2);
  run = RunCli("record " + (folder / "a.wav").string() + " --trigger -30 --pre-trigger 10.5", folder);
  EXPECT_EQ(run.status, 2);
  run = RunCli("record " + (folder / "a.wav").string() + " --trigger -30 --pre-trigger -1", folder);
  EXPECT_EQ(run.status, 2);
  run = RunCli("record " + (folder / "a.wav").string(), folder, "SONAVUE_SIMULATED_INPUT=chirp ");
  EXPECT_EQ(run.status, 2);
  const std::string nowhere = (folder / "missing" / "a.wav").string();
  run = RunCli("record " + nowhere + " --seconds 1", folder, "SONAVUE_SIMULATED_INPUT=tone:1000:10000 ");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot create the recording file: no such folder\n" + nowhere +
                         "\nThe scan runs without recording.\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
