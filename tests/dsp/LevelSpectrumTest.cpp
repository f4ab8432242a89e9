#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/Fft.h"
#include "dsp/LevelCode.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/SpectralFrame.h"

namespace sonavue::dsp {
namespace {

constexpr int kN = 1024;
constexpr int kHalf = kN / 2;

// One row per bin (512 rows over 0 … 24 kHz) and a window as long as the
// frame (R = 48000/1024 Hz), so the window correction is 0 dB.
LevelRunSettings OneRowPerBin() {
  LevelRunSettings s;
  s.fftSize = kN;
  s.sampleRateHz = 48000.0f;
  s.resolutionHz = 46.875f;
  s.lowHz = 0.0f;
  s.highHz = 24000.0f;
  s.rows = kHalf;
  return s;
}

std::vector<float> Tone(int bin, double amplitude) {
  std::vector<float> x(kN);
  for (int i = 0; i < kN; ++i) {
    x[i] = static_cast<float>(amplitude * std::cos(2.0 * std::numbers::pi * bin * i / kN + 1.0));
  }
  return x;
}

std::vector<float> Sum(std::vector<float> a, const std::vector<float>& b) {
  for (std::size_t i = 0; i < a.size(); ++i) a[i] += b[i];
  return a;
}

// A full-frame Hann window has coherent gain ½, so a tone of amplitude a at a
// bin centre shows magnitude a/4 in that bin and a/8 in each neighbour. With
// (a/4)² = 46.875·10⁶ the bin holds 10⁶ per Hz: 60 dB/Hz, code 240.
const double kSixtyDbTone = 4.0 * std::sqrt(46.875e6);
// A constant c shows c/2 in bin 0; this c puts 60 dB/Hz there.
const double kSixtyDbConstant = 2.0 * std::sqrt(46.875e6);

struct Result {
  std::optional<float> totalDb;
  std::vector<std::int16_t> codes;
};

Result Process(LevelSpectrum& levels, std::vector<float> frame, int channel = 0) {
  Result r;
  r.codes.assign(static_cast<std::size_t>(levels.Scale().Rows()), -999);
  r.totalDb = levels.ProcessFrame(channel, frame, r.codes);
  return r;
}

TEST(LevelSpectrumTest, SilenceHasNoLevelOnAnyScale) {
  for (const auto scale : {FrequencyScale::Linear, FrequencyScale::Log, FrequencyScale::Oct3}) {
    LevelRunSettings s = OneRowPerBin();
    s.scale = scale;
    s.lowHz = 20.0f;
    s.rows = 300;
    LevelSpectrum levels;
    ASSERT_TRUE(levels.Create(s));
    const Result r = Process(levels, std::vector<float>(kN, 0.0f));
    EXPECT_EQ(r.totalDb, std::nullopt);
    EXPECT_EQ(r.codes, std::vector<std::int16_t>(300, 0));
  }
}

TEST(LevelSpectrumTest, ToneAtABinShowsItsLevelInItsRow) {
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(OneRowPerBin()));
  const Result r = Process(levels, Tone(100, kSixtyDbTone));
  EXPECT_NEAR(r.codes[100], 240, 1);
  EXPECT_NEAR(r.codes[99], 240 - 24, 1);  // a quarter of the power: −6.02 dB
  EXPECT_NEAR(r.codes[101], 240 - 24, 1);
  EXPECT_LT(r.codes[102], 100);
  EXPECT_EQ(std::max_element(r.codes.begin(), r.codes.end()) - r.codes.begin(), 100);
  // The total level is that of the tone's RMS, a/√2.
  ASSERT_TRUE(r.totalDb.has_value());
  EXPECT_NEAR(*r.totalDb, 20.0 * std::log10(kSixtyDbTone / std::sqrt(2.0)), 1e-3);
}

TEST(LevelSpectrumTest, ShortWindowIsCorrectedToTheSameDensityScale) {
  // Half the frame: coherent gain ¼ (−6.02 dB in power), correction +3.01 dB.
  LevelRunSettings s = OneRowPerBin();
  s.resolutionHz = 93.75f;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  EXPECT_NEAR(Process(levels, Tone(100, kSixtyDbTone)).codes[100], 240 - 12, 1);
}

TEST(LevelSpectrumTest, WindowOfAnExactRatioHasTheExactLength) {
  LevelRunSettings s = OneRowPerBin();
  s.resolutionHz = 60.0f;  // 48000 / 60 = 800 samples
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  EXPECT_EQ(levels.Frame().HalfLength(), 400);
}

TEST(LevelSpectrumTest, LinearRowOfSeveralBinsAveragesTheirPower) {
  LevelRunSettings s = OneRowPerBin();
  s.rows = 128;  // four bins per row
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  const Result r = Process(levels, Tone(40, kSixtyDbTone));
  // Row 10 holds bins 40 … 43: (1 + ¼ + 0 + 0)/4 of the tone bin's power.
  EXPECT_NEAR(r.codes[10], 240 + 40 * std::log10(5.0 / 16.0), 1);
  // Row 9 holds only the lower neighbour, bin 39: (¼)/4.
  EXPECT_NEAR(r.codes[9], 240 + 40 * std::log10(1.0 / 16.0), 1);
}

TEST(LevelSpectrumTest, ThirdOctaveSumsItsBinsWhileLogTakesTheLargest) {
  // Two tones inside the third octave 9195 … 11585 Hz (bins 196 … 247).
  const std::vector<float> frame = Sum(Tone(210, kSixtyDbTone), Tone(220, kSixtyDbTone));
  LevelRunSettings s = OneRowPerBin();
  s.lowHz = 20.0f;
  s.rows = 400;
  s.scale = FrequencyScale::Log;
  LevelSpectrum log;
  ASSERT_TRUE(log.Create(s));
  const Result logRows = Process(log, frame);
  EXPECT_NEAR(*std::max_element(logRows.codes.begin(), logRows.codes.end()), 240, 1);

  s.scale = FrequencyScale::Oct3;
  LevelSpectrum oct3;
  ASSERT_TRUE(oct3.Create(s));
  const Result octRows = Process(oct3, frame);
  // Each tone brings 1 + ¼ + ¼ of a tone bin's power; two tones three times it.
  EXPECT_NEAR(*std::max_element(octRows.codes.begin(), octRows.codes.end()),
              240 + 40 * std::log10(3.0), 1);
}

TEST(LevelSpectrumTest, ThirdOctaveRowsFormAStaircase) {
  LevelRunSettings s = OneRowPerBin();
  s.lowHz = 20.0f;
  s.rows = 400;
  s.scale = FrequencyScale::Oct3;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  std::vector<float> noise(kN);
  unsigned state = 1;
  for (float& x : noise) {
    state = state * 1664525u + 1013904223u;
    x = static_cast<float>(static_cast<int>(state >> 16) % 2001 - 1000);
  }
  const Result r = Process(levels, noise);
  // A row's code may change only where a third-octave edge 14.2544·2^(j/3)
  // lies between it and the row below.
  const auto band = [](double hz) { return std::floor(3.0 * std::log2(hz / 14.2544)); };
  const auto rowHz = [](int m) { return 20.0 * std::pow(24000.0 / 20.0, m / 399.0); };
  int steps = 0;
  for (int m = 1; m < 400; ++m) {
    if (r.codes[m] == r.codes[m - 1]) continue;
    ++steps;
    EXPECT_NE(band(rowHz(m) * 1.0001), band(rowHz(m - 1) / 1.0001)) << m;
  }
  // Ten octaves hold 31 edges; the lowest bands share bins, so fewer show.
  EXPECT_GE(steps, 20);
  EXPECT_LE(steps, 31);
}

TEST(LevelSpectrumTest, LogRowsBelowTheLowestBandEdgeRepeatBandZero) {
  LevelRunSettings s = OneRowPerBin();
  s.lowHz = 5.0f;
  s.rows = 400;
  s.scale = FrequencyScale::Log;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  const Result r = Process(levels, std::vector<float>(kN, static_cast<float>(kSixtyDbConstant)));
  // Band 0 is bin 0 alone; rows up to 14.25 Hz (the first ~49) all show it.
  EXPECT_NEAR(r.codes[0], 240, 1);
  for (int m = 1; m < 45; ++m) EXPECT_EQ(r.codes[m], r.codes[0]) << m;
}

TEST(LevelSpectrumTest, AveragingOffKeepsOnlyTheLatestFrame) {
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(OneRowPerBin()));
  Process(levels, Tone(50, kSixtyDbTone));
  const Result second = Process(levels, Tone(300, kSixtyDbTone / 2));

  LevelSpectrum fresh;
  ASSERT_TRUE(fresh.Create(OneRowPerBin()));
  EXPECT_EQ(second.codes, Process(fresh, Tone(300, kSixtyDbTone / 2)).codes);
  EXPECT_NEAR(second.codes[300], 240 - 24, 1);
}

TEST(LevelSpectrumTest, ChannelsAverageSeparately) {
  LevelRunSettings s = OneRowPerBin();
  s.channels = 2;
  s.columnStepMs = 10.0f;
  s.averagingMs = 40.0f;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  Process(levels, std::vector<float>(kN, 1000.0f), 0);
  Process(levels, std::vector<float>(kN, 3000.0f), 1);
  Process(levels, std::vector<float>(kN, 2000.0f), 0);
  EXPECT_EQ(levels.FrameIndex(0), 2);
  EXPECT_EQ(levels.FrameIndex(1), 1);
  // Constants c show c/2 in bin 0: channel 0 holds the mean of 500 and 1000.
  EXPECT_NEAR(levels.AveragedSpectrum(0)[0], 750.0, 1e-3);
  EXPECT_NEAR(levels.AveragedSpectrum(1)[0], 1500.0, 1e-3);
  levels.ResetAverage();
  EXPECT_EQ(levels.FrameIndex(0), 0);
  Process(levels, std::vector<float>(kN, -400.0f), 0);
  EXPECT_NEAR(levels.AveragedSpectrum(0)[0], -200.0, 1e-3);  // signed, restarted
}

TEST(LevelSpectrumTest, ResponseTableAppliesOnlyAtFortyEightKilohertz) {
  // Entries from 1024 up (12 kHz and above) double the magnitude: +6.02 dB.
  std::vector<float> table(kResponseTableSize, 1.0f);
  std::fill(table.begin() + 1024, table.end(), 2.0f);
  const std::vector<float> frame = Sum(Tone(200, kSixtyDbTone), Tone(300, kSixtyDbTone));

  LevelRunSettings s = OneRowPerBin();
  s.monoResponse = table;
  LevelSpectrum corrected;
  ASSERT_TRUE(corrected.Create(s));
  const Result r = Process(corrected, frame);
  EXPECT_NEAR(r.codes[200], 240, 1);       // 9375 Hz
  EXPECT_NEAR(r.codes[300], 240 + 24, 1);  // 14062 Hz

  s.sampleRateHz = 44100.0f;
  s.resolutionHz = 44100.0f / kN;
  s.highHz = 22050.0f;
  LevelSpectrum other;
  ASSERT_TRUE(other.Create(s));
  const Result at44 = Process(other, frame);
  EXPECT_EQ(at44.codes[200], at44.codes[300]);
}

TEST(LevelSpectrumTest, StereoRunsUseTheStereoTableForBothChannels) {
  const std::vector<float> twos(kResponseTableSize, 2.0f);
  const std::vector<float> ones(kResponseTableSize, 1.0f);
  LevelRunSettings s = OneRowPerBin();
  s.monoResponse = ones;
  s.stereoResponse = twos;
  s.channels = 2;
  LevelSpectrum stereo;
  ASSERT_TRUE(stereo.Create(s));
  EXPECT_NEAR(Process(stereo, Tone(100, kSixtyDbTone), 0).codes[100], 264, 1);
  EXPECT_NEAR(Process(stereo, Tone(100, kSixtyDbTone), 1).codes[100], 264, 1);
  s.channels = 1;
  LevelSpectrum mono;
  ASSERT_TRUE(mono.Create(s));
  EXPECT_NEAR(Process(mono, Tone(100, kSixtyDbTone)).codes[100], 240, 1);
}

TEST(LevelSpectrumTest, AllZeroTableMeansNoCorrection) {
  std::vector<float> zeros(kResponseTableSize, 0.0f);
  LevelRunSettings s = OneRowPerBin();
  s.monoResponse = zeros;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  EXPECT_NEAR(Process(levels, Tone(100, kSixtyDbTone)).codes[100], 240, 1);

  ReplaceAllZeroTableByOnes(zeros);
  EXPECT_EQ(zeros, std::vector<float>(kResponseTableSize, 1.0f));
  std::vector<float> partly(kResponseTableSize, 0.0f);
  partly[5] = 3.0f;
  ReplaceAllZeroTableByOnes(partly);
  EXPECT_EQ(partly[0], 0.0f);
}

TEST(LevelSpectrumTest, SplCalibrationScalesSamplesAndTiesSpectrumToTotalLevel) {
  // A constant c through the full window: bin 0 = c/2, bin 1 = c/4, so
  // Σ A² = (5/16)·c² while the total level is 20·log10 c. The rescaling
  // factor is 10^(−log10(5/16)) = 16/5.
  LevelRunSettings s = OneRowPerBin();
  s.splCalibrated = true;
  s.splGainDb = 0.0f;
  LevelSpectrum plain;
  ASSERT_TRUE(plain.Create(s));
  std::vector<float> frame(kN, 100.0f);
  std::vector<std::int16_t> codes(kHalf);
  const auto total = plain.ProcessFrame(0, frame, codes);
  ASSERT_TRUE(total.has_value());
  EXPECT_NEAR(*total, 40.0f, 1e-4);
  EXPECT_NEAR(plain.AveragedSpectrum(0)[0], 50.0 * 16.0 / 5.0, 1e-3);
  EXPECT_NEAR(frame[0], 50.0 * 16.0 / 5.0, 1e-3);  // the frame holds the spectrum

  s.splGainDb = 20.0f;  // samples × 10
  LevelSpectrum gained;
  ASSERT_TRUE(gained.Create(s));
  std::fill(frame.begin(), frame.end(), 100.0f);
  EXPECT_NEAR(*gained.ProcessFrame(0, frame, codes), 60.0f, 1e-4);
  EXPECT_NEAR(frame[kN - 1], 1000.0f, 1e-3);  // upper half: the scaled samples
  EXPECT_NEAR(gained.AveragedSpectrum(0)[0], 500.0 * 16.0 / 5.0, 1e-2);
}

TEST(LevelSpectrumTest, BinLevelIsRelativeWithoutCalibration) {
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(OneRowPerBin()));
  std::vector<float> frame = Tone(100, kSixtyDbTone);
  std::vector<std::int16_t> codes(kHalf);
  levels.ProcessFrame(0, frame, codes);
  EXPECT_EQ(levels.BinLevel(frame, 100), 60 - 90);
  EXPECT_EQ(levels.BinLevel(frame, kHalf), std::nullopt);
}

TEST(LevelSpectrumTest, RefusesBadChannelsAndShortBuffers) {
  LevelSpectrum levels;
  LevelRunSettings s = OneRowPerBin();
  s.channels = 3;
  EXPECT_FALSE(levels.Create(s));
  ASSERT_TRUE(levels.Create(OneRowPerBin()));
  std::vector<float> frame(kN, 1.0f);
  std::vector<std::int16_t> codes(kHalf, 7);
  EXPECT_EQ(levels.ProcessFrame(1, frame, codes), std::nullopt);
  std::vector<std::int16_t> fewCodes(kHalf - 1, 7);
  EXPECT_EQ(levels.ProcessFrame(0, frame, fewCodes), std::nullopt);
  EXPECT_EQ(frame, std::vector<float>(kN, 1.0f));
  EXPECT_EQ(codes, std::vector<std::int16_t>(kHalf, 7));
  EXPECT_EQ(levels.FrameIndex(0), 0);
}

// Frames of a sweep in noise, so that every row sees its level change.
std::vector<std::vector<float>> Frames(int count, int n, unsigned seed) {
  std::mt19937 generator(seed);
  std::normal_distribution<float> noise(0.0f, 300.0f);
  std::vector<std::vector<float>> frames;
  for (int f = 0; f < count; ++f) {
    std::vector<float> x(static_cast<std::size_t>(n));
    const double freq = 0.01 + 0.45 * f / count;
    for (int i = 0; i < n; ++i) {
      x[i] = static_cast<float>(9000.0 * std::sin(2.0 * std::numbers::pi * freq * i) + noise(generator));
    }
    frames.push_back(std::move(x));
  }
  if (count > 3) frames[3].assign(static_cast<std::size_t>(n), 0.0f);  // a silent frame among them
  return frames;
}

TEST(LevelSpectrumTest, ThePartsForOtherThreadsGiveExactlyWhatProcessFrameGives) {
  for (const auto scale : {FrequencyScale::Linear, FrequencyScale::Log, FrequencyScale::Oct3}) {
    for (const float averagingMs : {0.0f, 40.0f}) {
      LevelRunSettings s = OneRowPerBin();
      s.scale = scale;
      s.lowHz = 30.0f;
      s.rows = 200;
      s.columnStepMs = 10.0f;
      s.averagingMs = averagingMs;
      s.splCalibrated = averagingMs > 0.0f;  // the SPL steps on one of the runs
      s.splGainDb = 7.0f;
      LevelSpectrum whole;
      LevelSpectrum parts;
      ASSERT_TRUE(whole.Create(s));
      ASSERT_TRUE(parts.Create(s));
      EXPECT_EQ(parts.FramesStandAlone(), averagingMs == 0.0f);
      LevelScratch scratch;
      ASSERT_TRUE(parts.PrepareScratch(scratch));

      const int lanes = LevelSpectrum::BatchFrames();
      std::vector<std::vector<float>> frames = Frames(2 * lanes + 1, kN, 11);
      std::vector<std::vector<float>> batch = frames;
      for (std::size_t first = 0; first < batch.size(); first += static_cast<std::size_t>(lanes)) {
        const std::size_t count = std::min(batch.size() - first, static_cast<std::size_t>(lanes));
        std::vector<float*> pointers;
        for (std::size_t i = 0; i < count; ++i) pointers.push_back(batch[first + i].data());
        std::vector<std::optional<float>> totals(count);
        parts.FrameSpectra(0, pointers, totals, scratch);
        for (std::size_t i = 0; i < count; ++i) {
          const std::size_t f = first + i;
          std::vector<std::int16_t> expected(200, -1);
          const auto total = whole.ProcessFrame(0, frames[f], expected);
          EXPECT_EQ(totals[i], total) << f;
          const std::span<const float> spectrum(batch[f].data(), kHalf);
          EXPECT_TRUE(std::equal(spectrum.begin(), spectrum.end(), frames[f].begin())) << f;
          std::vector<std::int16_t> got(200, -2);
          if (parts.FramesStandAlone()) {
            parts.RowCodes(spectrum, got, scratch);
            parts.TakeLastSpectrum(0, spectrum, 1);
          } else {
            parts.FoldIntoAverage(0, spectrum);
            parts.RowCodes(parts.AveragedSpectrum(0), got, scratch);
          }
          EXPECT_EQ(got, expected) << "frame " << f << " scale " << static_cast<int>(scale);
        }
      }
      EXPECT_EQ(parts.FrameIndex(0), whole.FrameIndex(0));
      const auto a = parts.AveragedSpectrum(0);
      const auto b = whole.AveragedSpectrum(0);
      EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
    }
  }
}

TEST(LevelSpectrumTest, CodesAgreeWithTheDescribedTransformWithinOneCodeOnRareCells) {
  // The reference: the window in double, the recurrence transform, the
  // level formula row by row.
  LevelRunSettings s = OneRowPerBin();
  s.resolutionHz = 60.0f;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  const std::span<const double> window = levels.Frame().Window();
  int differing = 0;
  int cells = 0;
  for (const auto& x : Frames(200, kN, 23)) {
    std::vector<float> work(x.size());
    for (int k = 0; k < kN; ++k) work[k] = static_cast<float>(x[k] * window[k]);
    RealFft(work);
    std::vector<float> frame = x;
    std::vector<std::int16_t> codes(kHalf);
    levels.ProcessFrame(0, frame, codes);
    for (int row = 1; row < kHalf - 1; ++row) {  // one bin per row
      const double magnitude =
          std::sqrt(static_cast<double>(work[2 * row] * work[2 * row] + work[2 * row + 1] * work[2 * row + 1])) / kN;
      const double power = static_cast<double>(static_cast<float>(magnitude)) * static_cast<float>(magnitude);
      const int expected = LevelCode(power, kN, s.sampleRateHz, levels.WindowCorrection());
      ASSERT_LE(std::abs(codes[row] - expected), 1) << row;
      differing += codes[row] != expected ? 1 : 0;
      ++cells;
    }
  }
  EXPECT_LT(differing, cells / 1000);
}

}  // namespace
}  // namespace sonavue::dsp
