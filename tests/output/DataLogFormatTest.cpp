#include "output/DataLogFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sonavue::output {
namespace {

// Splits text at CR LF; fails the test on a bare LF or CR.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find("\r\n", from);
    EXPECT_NE(end, std::string::npos) << "text does not end with CR LF";
    if (end == std::string::npos) break;
    const std::string line = text.substr(from, end - from);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    lines.push_back(line);
    from = end + 2;
  }
  return lines;
}

TEST(DataLogFormatTest, TheCommonLinesNameTheProgramTheFileAndTheRate) {
  EXPECT_EQ(CommonLogLines("/data/birds.wav", 48000),
            "Sonavue 15 Data\r\n/data/birds.wav\r\n48000 Hz Sampling Rate\r\n");
}

TEST(DataLogFormatTest, AWholeBandAt48kHzRecordsBins0To128WithTheirCentres) {
  SpectrumLogHeader h;
  h.rateHz = 48000;
  h.fftSize = 1024;
  h.lowHz = 0;
  h.highHz = 6000;
  h.startMs = 1234.9;
  h.columnMs = 10.0F;
  const std::vector<std::string> lines = Lines(SpectrumHeaderLines(h));
  ASSERT_EQ(lines.size(), 8U);
  EXPECT_EQ(lines[0], "1024 Point FFT");
  EXPECT_EQ(lines[1], "FFT Points 0 to 128 Recorded");
  EXPECT_EQ(lines[2], "1234 msec Sample Start");  // truncated, not rounded
  EXPECT_EQ(lines[3], "10.00 msec Time Step");
  EXPECT_EQ(lines[4], "Comma Delimited Values");
  EXPECT_EQ(lines[5], "Relative Spectrum Level in Decibels/Hz vs. Time and Frequency");
  EXPECT_EQ(lines[6], "");
  // 128 bin centres of 46.875 Hz bins, each followed by ", ".
  const std::string& freq = lines[7];
  ASSERT_EQ(freq.rfind("Freq, 23.4 Hz, 70.3 Hz, 117.2 Hz, ", 0), 0U) << freq;
  EXPECT_TRUE(freq.ends_with(", 5929.7 Hz, 5976.6 Hz, ")) << freq;
  std::size_t fields = 0;
  for (std::size_t at = freq.find(" Hz, "); at != std::string::npos; at = freq.find(" Hz, ", at + 1)) ++fields;
  EXPECT_EQ(fields, 128U);
}

TEST(DataLogFormatTest, CalibratedLevelsSayCalibratedAndAShortTimeStepKeepsFourCharacters) {
  SpectrumLogHeader h;
  h.rateHz = 44100;
  h.fftSize = 2048;
  h.lowHz = 100;
  h.highHz = 200;
  h.columnMs = 0.5F;
  h.calibrated = true;
  const std::vector<std::string> lines = Lines(SpectrumHeaderLines(h));
  ASSERT_EQ(lines.size(), 8U);
  // 100 × 2048 ÷ 44100 = 4.64 → 5; 200 × 2048 ÷ 44100 = 9.29 → 9.
  EXPECT_EQ(lines[1], "FFT Points 5 to 9 Recorded");
  EXPECT_EQ(lines[2], "0 msec Sample Start");
  EXPECT_EQ(lines[3], "0.50 msec Time Step");
  EXPECT_EQ(lines[5], "Calibrated Spectrum Level in Decibels/Hz vs. Time and Frequency");
  // Bin width 21.533 Hz: bins 5 … 8 centred at 118.4, 140.0, 161.5, 183.0 Hz.
  EXPECT_EQ(lines[7], "Freq, 118.4 Hz, 140.0 Hz, 161.5 Hz, 183.0 Hz, ");
}

TEST(DataLogFormatTest, TheBinsRoundHalfUpAndStayWithinTheSpectrum) {
  // 1500 × 1024 ÷ 48000 = 32.0; 23.4375 × 1024 ÷ 48000 = 0.5 exactly rounds up.
  EXPECT_EQ(LoggedBinsFor(48000, 1024, 1500, 24000).first, 32);
  EXPECT_EQ(LoggedBinsFor(48000, 1024, 1500, 24000).end, 512);
  EXPECT_EQ(LoggedBinsFor(48000, 1024, 0, 30000).end, 512);
  EXPECT_EQ(LoggedBinsFor(48000, 1024, 500, 400).Count(), 0);
}

TEST(DataLogFormatTest, AColumnRowHasItsTimeAndEveryLevelWithATrailingComma) {
  std::string line;
  line.reserve(RowCapacity(3));
  const std::size_t capacity = line.capacity();
  const std::vector<int> levels{-35, 55, 0};
  FormatColumnRow(line, 1242, levels);
  EXPECT_EQ(line, "Time 1242 msec, -35, 55, 0, \r\n");
  // A row never outgrows the line reserved for its bins.
  const std::vector<int> widest{-2147483647 - 1, -2147483647 - 1, -2147483647 - 1};
  FormatColumnRow(line, 4294967295U, widest);
  EXPECT_EQ(line.capacity(), capacity);
}

TEST(DataLogFormatTest, ColumnTimesStepFromTheTruncatedStartAndRoundHalfUp) {
  EXPECT_EQ(ColumnTimeMs(1234, 0, 2.5F), 1234U);
  EXPECT_EQ(ColumnTimeMs(1234, 3, 2.5F), 1242U);  // 1241.5
  EXPECT_EQ(ColumnTimeMs(0, 1, 0.5F), 1U);        // 0.5
  EXPECT_EQ(ColumnTimeMs(0, 100, 10.0F), 1000U);
  EXPECT_EQ(LogStartMs(1999.99), 1999U);
  EXPECT_EQ(LogStartMs(-3.0), 0U);
}

TEST(DataLogFormatTest, ASilentBinPrintsTheLowestLevelOfTheScale) {
  EXPECT_EQ(SilentBinLevel(false), -90);
  EXPECT_EQ(SilentBinLevel(true), 0);
}

TEST(DataLogFormatTest, ALinearScopeListsEachBinWithThePointAtItsLowerEdge) {
  const std::vector<std::int16_t> codes{400, 200, -40, 0};
  ScopeLogInput in;
  in.scale = ScopeLogScale::Linear;
  in.rateHz = 48000;
  in.fftSize = 1024;
  in.lowHz = 0;
  in.highHz = 1000;
  in.totalLevelDb = 72.5;
  in.eventMs = 1500.9;
  in.codes = codes;
  const std::vector<std::string> lines = Lines(ScopeLogLines(in));
  // Header lines, then bins 0 … 20 (1000 × 1024 ÷ 48000 = 21.3 → 21).
  ASSERT_EQ(lines.size(), 7U + 21U);
  EXPECT_EQ(lines[0], "46.88 Hz Frequency Resolution");
  EXPECT_EQ(lines[1], "73 dB Total SPL");
  EXPECT_EQ(lines[2], "1500 msec Event Time");
  EXPECT_EQ(lines[3], "Relative Spectrum Level in Decibels/Hz");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "Num   Hz       dB");
  EXPECT_EQ(lines[6], "");
  // Bin 0: edge 0 Hz → point 0 (code 400 = 100 dB).
  EXPECT_EQ(lines[7], "0     23.44    100.0");
  // Bin 6: edge 281.25 Hz → 4 × 0.28125 = 1.125 → point 1.
  EXPECT_EQ(lines[13], "6     304.69   50.0");
  // Bin 20: edge 937.5 Hz → 3.75 → 4, limited to the last point, 3.
  EXPECT_EQ(lines[27], "20    960.94   0.0");
}

TEST(DataLogFormatTest, ALinearScopeAboveZeroNumbersItsBinsWithTheBandOffsetAdded) {
  const std::vector<std::int16_t> codes{40, 80};
  ScopeLogInput in;
  in.rateHz = 48000;
  in.fftSize = 1024;
  in.lowHz = 1000;
  in.highHz = 1100;
  in.calibrated = true;
  in.codes = codes;
  const std::vector<std::string> lines = Lines(ScopeLogLines(in));
  EXPECT_EQ(lines[3], "Calibrated Spectrum Level in Decibels/Hz");
  // Bins 21 and 22 (1000 → 21.3 → 21, 1100 → 23.5 → 23); offset trunc(21.33) = 21.
  ASSERT_EQ(lines.size(), 9U);
  EXPECT_EQ(lines[7], "42    1007.81  10.0");
  EXPECT_EQ(lines[8], "43    1054.69  20.0");
}

TEST(DataLogFormatTest, ALogScopeWritesAFrequencyThatNeighboursRoundToOnlyOnce) {
  const std::vector<std::int16_t> codes{400, 0, -40, 8};
  ScopeLogInput in;
  in.scale = ScopeLogScale::Log;
  in.lowHz = 100;
  in.highHz = 101;
  in.codes = codes;
  const std::vector<std::string> lines = Lines(ScopeLogLines(in));
  ASSERT_EQ(lines.size(), 7U + 2U);
  EXPECT_EQ(lines[0], "Log Frequency Scale");
  EXPECT_EQ(lines[5], "Hz        dB");
  // Points at 100, 100.33, 100.66 and 101 Hz: 100 from point 0, 101 from point 2.
  EXPECT_EQ(lines[7], "100       100.0");
  EXPECT_EQ(lines[8], "101       -10.0");
}

TEST(DataLogFormatTest, AThirdOctaveScopeWritesEachBandAboveTheLowLimitOnce) {
  const std::vector<std::int16_t> codes{4, 8, 12, 16};
  ScopeLogInput in;
  in.scale = ScopeLogScale::ThirdOctave;
  in.lowHz = 100;
  in.highHz = 1000;
  in.codes = codes;
  const std::vector<std::string> lines = Lines(ScopeLogLines(in));
  EXPECT_EQ(lines[0], "1/3 Octave Frequency Scale");
  // Points at 100, 215, 464 and 1000 Hz fall in bands 19, 23, 26 and 29;
  // band 19 (80.6 Hz) lies below the low limit.
  ASSERT_EQ(lines.size(), 7U + 3U);
  EXPECT_EQ(lines[7], "203       2.0");
  EXPECT_EQ(lines[8], "406       3.0");
  EXPECT_EQ(lines[9], "813       4.0");
}

TEST(DataLogFormatTest, ALogScopeFromZeroHertzHasNoRows) {
  const std::vector<std::int16_t> codes{4, 8, 12};
  ScopeLogInput in;
  in.scale = ScopeLogScale::Log;
  in.lowHz = 0;
  in.highHz = 1000;
  in.codes = codes;
  EXPECT_EQ(Lines(ScopeLogLines(in)).size(), 7U);
  in.scale = ScopeLogScale::ThirdOctave;
  EXPECT_EQ(Lines(ScopeLogLines(in)).size(), 7U);
}

TEST(DataLogFormatTest, ThePointLogHasItsHeadsAndFourteenCharacterFields) {
  EXPECT_EQ(PointLogHeaderLines("f.wav", 48000, 1024),
            "Sonavue 15 Data\r\nf.wav\r\n48000 Hz Sampling Rate\r\n1024 Point FFT\r\n\r\n"
            "Time (msec),  Freq (Hz),    Level (dB)\r\n\r\n");
  EXPECT_EQ(PointLogRow(1500, 3000, "-35 "), "1500          3000          -35           \r\n");
  EXPECT_EQ(PointLogRow(-2, 12345678, "5   "), "-2            12345678      5             \r\n");
  EXPECT_EQ(PointLogTimeText(1500), "1500");
  EXPECT_EQ(PointLogFrequencyText(-4), "-4");
}

}  // namespace
}  // namespace sonavue::output
