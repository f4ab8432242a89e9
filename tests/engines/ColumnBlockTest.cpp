// Blocks of columns spread over the worker threads give exactly what the
// columns give one at a time: codes, totals and strip peaks, with and
// without averaging, mono and stereo, 16 and 24 bits, and from a part of the
// segment read on its own.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engines/ColumnAnalysis.h"

namespace sonavue::engines {
namespace {

// Interleaved samples of a sweep in noise, left louder than right.
std::vector<std::uint8_t> Samples(int frames, int channels, int bytesPerSample) {
  std::mt19937 generator(9);
  std::normal_distribution<double> noise(0.0, 200.0);
  std::vector<std::uint8_t> data;
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    phase += 2.0 * M_PI * (300.0 + 15000.0 * i / frames) / 48000.0;
    for (int c = 0; c < channels; ++c) {
      const double value = (c == 0 ? 12000.0 : 3000.0) * std::sin(phase) + noise(generator);
      const auto v = static_cast<std::int32_t>(std::lround(bytesPerSample == 3 ? value * 256.0 : value));
      for (int b = 0; b < bytesPerSample; ++b) data.push_back(static_cast<std::uint8_t>((v >> (8 * b)) & 0xFF));
    }
  }
  // A stretch of silence: frames there have no total level.
  std::fill(data.begin() + data.size() / 3, data.begin() + data.size() / 3 + 20000 * channels * bytesPerSample, 0);
  return data;
}

ColumnRun MakeRun(int channels, int bytesPerSample, std::int64_t samples, float averagingMs) {
  ColumnRun run;
  run.levels.fftSize = 1024;
  run.levels.sampleRateHz = 48000.0F;
  run.levels.resolutionHz = 60.0F;
  run.levels.highHz = 20000.0F;
  run.levels.rows = 150;
  run.levels.scale = dsp::FrequencyScale::Linear;
  run.levels.channels = channels;
  run.levels.columnStepMs = 3.0F;
  run.levels.averagingMs = averagingMs;
  run.frames = PlanFrames(channels, 3.0F, 48000, samples, 1024);
  run.channels = channels;
  run.bytesPerSample = bytesPerSample;
  run.gainFactor = 0.8F;
  run.stripPeaks = true;
  run.strip = StripWindowFor(1024, 48000, 60.0F, 3.0F);
  return run;
}

struct Column {
  std::vector<std::int16_t> codes;
  std::optional<float> total;
  StripPeaks peaks;
};

void Keep(const ColumnAnalysis& a, int i, std::vector<Column>& out) {
  for (int c = 0; c < a.Channels(); ++c) {
    const auto codes = a.Codes(c, i);
    out.push_back({std::vector<std::int16_t>(codes.begin(), codes.end()), a.TotalDb(c, i), a.Peaks(c, i)});
  }
}

void ExpectSame(const std::vector<Column>& a, const std::vector<Column>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].codes, b[i].codes) << i;
    ASSERT_EQ(a[i].total, b[i].total) << i;
    ASSERT_EQ(a[i].peaks.high, b[i].peaks.high) << i;
    ASSERT_EQ(a[i].peaks.low, b[i].peaks.low) << i;
  }
}

TEST(ColumnBlockTest, BlocksGiveWhatSingleColumnsGive) {
  for (const int channels : {1, 2}) {
    for (const int bytesPerSample : {2, 3}) {
      for (const float averagingMs : {0.0F, 12.0F}) {
        const std::vector<std::uint8_t> data = Samples(96000, channels, bytesPerSample);
        const ColumnRun run = MakeRun(channels, bytesPerSample, static_cast<std::int64_t>(data.size()) / bytesPerSample,
                                  averagingMs);
        const std::int64_t columns = run.frames.columns;
        ASSERT_GT(columns, 600);

        ColumnAnalysis single;
        ASSERT_TRUE(single.Start(run));
        std::vector<Column> expected;
        for (std::int64_t i = 0; i < columns; ++i) {
          single.Analyse(data, i);
          EXPECT_EQ(single.BlockCount(), 1);
          Keep(single, 0, expected);
        }

        ColumnAnalysis blocks;
        ASSERT_TRUE(blocks.Start(run));
        ASSERT_GE(blocks.BlockColumns(), 8);
        std::vector<Column> got;
        // Blocks of uneven sizes, the last one short.
        for (std::int64_t first = 0; first < columns;) {
          const int count = static_cast<int>(std::min<std::int64_t>(
              first % 3 == 0 ? blocks.BlockColumns() : blocks.BlockColumns() / 2 + 1, columns - first));
          blocks.AnalyseBlock(data, first, count);
          ASSERT_EQ(blocks.BlockCount(), count);
          for (int i = 0; i < count; ++i) Keep(blocks, i, got);
          first += count;
        }
        ExpectSame(got, expected);
        bool silent = false;
        for (const Column& c : expected) silent = silent || !c.total.has_value();
        EXPECT_TRUE(silent);  // the silent stretch was seen
      }
    }
  }
}

TEST(ColumnBlockTest, APartOfTheSegmentReadOnItsOwnGivesTheSameColumns) {
  const int channels = 2;
  const std::vector<std::uint8_t> data = Samples(60000, channels, 2);
  const ColumnRun run = MakeRun(channels, 2, static_cast<std::int64_t>(data.size()) / 2, 0.0F);
  ColumnAnalysis whole;
  ColumnAnalysis part;
  ASSERT_TRUE(whole.Start(run));
  ASSERT_TRUE(part.Start(run));
  const std::int64_t first = 100;
  const int count = std::min<int>(whole.BlockColumns(), static_cast<int>(run.frames.columns - first));
  whole.AnalyseBlock(data, first, count);
  // Only the samples the block's frames cover, and a little more.
  const std::int64_t begin = FrameStart(first, run.frames.hop, channels);
  const std::int64_t end = FrameStart(first + count - 1, run.frames.hop, channels) + 1024 * channels;
  const std::vector<std::uint8_t> slice(data.begin() + begin * 2, data.begin() + end * 2);
  part.AnalyseBlock(slice, first, count, begin);
  std::vector<Column> a;
  std::vector<Column> b;
  for (int i = 0; i < count; ++i) {
    Keep(whole, i, a);
    Keep(part, i, b);
  }
  ExpectSame(a, b);
}

TEST(ColumnBlockTest, NothingIsAnalysedBeforeStartOrBeyondABlock) {
  ColumnAnalysis a;
  const std::vector<std::uint8_t> data(40000, 1);
  a.AnalyseBlock(data, 0, 4);
  EXPECT_EQ(a.BlockCount(), 0);
  EXPECT_TRUE(a.Codes(0).empty());
  const ColumnRun run = MakeRun(1, 2, 20000, 0.0F);
  ASSERT_TRUE(a.Start(run));
  a.AnalyseBlock(data, 0, a.BlockColumns() + 1);
  EXPECT_EQ(a.BlockCount(), 0);
  a.AnalyseBlock(data, 0, 2);
  EXPECT_EQ(a.BlockCount(), 2);
  EXPECT_EQ(a.Codes(0, 1).size(), 150U);
  EXPECT_TRUE(a.Codes(0, 2).empty());
  EXPECT_TRUE(a.Codes(1, 0).empty());
}

}  // namespace
}  // namespace sonavue::engines
