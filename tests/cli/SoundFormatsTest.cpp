// FLAC, AIFF, Ogg and MP3 files through sonavue-cli: made from the samples of
// a WAV file with libsndfile, they must give the WAV file's level codes.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

CliRun RunCli(const std::string& arguments, const TempFolder& folder) {
  const std::string errPath = (folder / "stderr.txt").string();
  const std::string command = std::string(SONAVUE_CLI) + " " + arguments + " 2>" + errPath;
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

// 1.5 s at 48 kHz: a 3.7 kHz tone over a little noise, so that every row
// holds a level and a lossless copy must match in all of them.
std::vector<std::int16_t> Signal(int channels) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(-300, 300);
  std::vector<std::int16_t> samples;
  for (int i = 0; i < 72000; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double tone = (c == 0 ? 9000.0 : 3000.0) * std::sin(2 * M_PI * 3700.0 * i / 48000);
      samples.push_back(static_cast<std::int16_t>(std::lround(tone) + noise(random)));
    }
  }
  return samples;
}

// Writes samples with libsndfile in the given major format and encoding.
bool WriteSound(const std::filesystem::path& path, int format, int channels,
                const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
  const bool ok = sf_writef_short(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

std::vector<std::vector<double>> Rows(const std::string& csv) {
  std::vector<std::vector<double>> rows;
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::vector<double> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ',')) cells.push_back(std::stod(cell));
    rows.push_back(cells);
  }
  return rows;
}

constexpr const char* kLevelOptions = " --rows 16 --high 8000";

TEST(SoundFormatsTest, FlacAndAiffGiveExactlyTheLevelCodesOfTheirWavOriginal) {
  TempFolder folder;
  for (const int channels : {1, 2}) {
    const std::vector<std::int16_t> samples = Signal(channels);
    const auto wav = folder / "original.wav";
    WavBuilder().Format(1, static_cast<std::uint16_t>(channels), 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(wav);
    const CliRun reference = RunCli("levels " + wav.string() + kLevelOptions, folder);
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_GT(Rows(reference.out).size(), 140U);
    for (const auto& [name, format] : {std::pair{"copy.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                       std::pair{"copy.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                                       std::pair{"COPY.AIF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16}}) {
      const auto path = folder / name;
      ASSERT_TRUE(WriteSound(path, format, channels, samples)) << name;
      const CliRun run = RunCli("levels " + path.string() + kLevelOptions, folder);
      ASSERT_EQ(run.status, 0) << name << ": " << run.err;
      EXPECT_EQ(run.err, "") << name;
      EXPECT_EQ(run.out, reference.out) << name << ", " << channels << " channels";
    }
    if (channels == 2) {
      const CliRun right = RunCli("levels " + (folder / "copy.flac").string() + kLevelOptions + " --channel right", folder);
      const CliRun rightWav = RunCli("levels " + wav.string() + kLevelOptions + " --channel right", folder);
      ASSERT_EQ(right.status, 0) << right.err;
      EXPECT_EQ(right.out, rightWav.out);
      EXPECT_NE(right.out, reference.out);  // the quieter channel
    }
  }
}

TEST(SoundFormatsTest, InfoShowsTheConvertedHeaderAndTheSourceDepth) {
  TempFolder folder;
  const std::vector<std::int16_t> samples = Signal(2);
  ASSERT_TRUE(WriteSound(folder / "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, samples));
  const CliRun run = RunCli("info " + (folder / "a.flac").string(), folder);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "format_tag=65534\nchannels=2\nsample_rate=48000\nbits_per_sample=16\nsource_bits=16\n"
            "first_sample_offset=68\ndata_length=288000\nduration=1.500000\n");
}

// The lossy codecs: per column the total level, and in the tone's row the
// level code, stay within the codec's error of the original's.
void ExpectWithinCodecError(const std::string& name, int format, double totalDb, double toneRowCodes) {
  TempFolder folder;
  const std::vector<std::int16_t> samples = Signal(1);
  const auto wav = folder / "original.wav";
  WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(wav);
  const auto path = folder / name;
  ASSERT_TRUE(WriteSound(path, format, 1, samples)) << name;
  const CliRun reference = RunCli("levels " + wav.string() + kLevelOptions, folder);
  const CliRun run = RunCli("levels " + path.string() + kLevelOptions, folder);
  ASSERT_EQ(reference.status, 0) << reference.err;
  ASSERT_EQ(run.status, 0) << name << ": " << run.err;
  const auto expected = Rows(reference.out);
  const auto got = Rows(run.out);
  // Encoders add a little silence in front and may pad the end: the columns
  // of the body of the sound are compared.
  ASSERT_GE(got.size() + 10, expected.size()) << name;
  constexpr std::size_t kToneRow = 3 + 7;  // 3.5 … 4 kHz of 16 rows (the tone is at 3.7 kHz) up to 8 kHz
  for (std::size_t c = 10; c + 10 < expected.size(); ++c) {
    EXPECT_NEAR(got[c][2], expected[c][2], totalDb) << name << " column " << c;
    EXPECT_NEAR(got[c][kToneRow], expected[c][kToneRow], toneRowCodes) << name << " column " << c;
  }
}

TEST(SoundFormatsTest, OggVorbisStaysWithinTheCodecsError) {
  ExpectWithinCodecError("copy.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.5, 4);
}

TEST(SoundFormatsTest, OggOpusStaysWithinTheCodecsError) {
  ExpectWithinCodecError("copy.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 0.5, 4);
}

TEST(SoundFormatsTest, Mp3StaysWithinTheCodecsError) {
  ExpectWithinCodecError("copy.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0.5, 4);
}

TEST(SoundFormatsTest, ADamagedFileGetsAMessageNamingItAndTheDecodersReason) {
  TempFolder folder;
  const auto path = folder / "broken.flac";
  {
    std::ofstream file(path, std::ios::binary);
    file << "fLaC this is not a stream of frames at all";
  }
  const CliRun run = RunCli("levels " + path.string() + kLevelOptions, folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  const std::string head = "Cannot Decode Sound File\n" + path.string() + "\n";
  ASSERT_EQ(run.err.rfind(head, 0), 0U) << run.err;
  const std::string reason = run.err.substr(head.size());
  EXPECT_GT(reason.size(), 2U) << run.err;  // the decoder's own words, then the line end
  EXPECT_EQ(reason.back(), '\n');

  // A WAV file keeps its own reader and message, whatever it holds.
  std::filesystem::copy_file(path, folder / "broken.wav");
  const CliRun wav = RunCli("levels " + (folder / "broken.wav").string(), folder);
  EXPECT_EQ(wav.status, 1);
  EXPECT_EQ(wav.err, "Unsupported wave file format\n");
}

TEST(SoundFormatsTest, BatchAnalysesASoundFileAndNamesADamagedOne) {
  TempFolder folder;
  ASSERT_TRUE(WriteSound(folder / "good.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, Signal(1)));
  { std::ofstream(folder / "bad.ogg") << "OggS but nothing after it"; }
  const CliRun run = RunCli("batch " + (folder / "good.flac").string() + " " + (folder / "bad.ogg").string() +
                             " --out " + (folder / "out").string() + " --format bmp",
                         folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Cannot Decode Sound File\n" + (folder / "bad.ogg").string() + "\n"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("bad.ogg: not saved"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("good.flac: not saved"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::exists(folder / "out" / "good.bmp"));
}

}  // namespace
