#include "dsp/ResponseCorrection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "dsp/LevelSpectrum.h"

namespace sonavue::dsp {
namespace {

TEST(ResponseCorrectionTest, EntriesFollowTheFrequencyWhateverTheFftSize) {
  // Entry i stands for i × 11.71875 Hz; bin b of N points for b × 48000 / N.
  for (int n : {512, 4096, 16384}) {
    for (int b = 0; b < n / 2; b += 7) {
      const double binHz = b * 48000.0 / n;
      const int entry = ResponseEntryOfBin(b, n);
      EXPECT_LE(entry * 11.71875, binHz + 1e-9) << n << " " << b;
      EXPECT_GT((entry + 1) * 11.71875, binHz) << n << " " << b;
    }
  }
  // At N = 16384 four bins share an entry; measurement feeds entry i from
  // the first of them.
  EXPECT_EQ(ResponseEntryOfBin(4, 16384), 1);
  EXPECT_EQ(ResponseEntryOfBin(7, 16384), 1);
  EXPECT_EQ(ResponseBinOfEntry(1, 16384), 4);
  EXPECT_EQ(ResponseBinOfEntry(2047, 16384), 8188);
  EXPECT_EQ(ResponseBinOfEntry(2047, 4096), 2047);
}

TEST(ResponseCorrectionTest, OnlyAMeasuredTableAtFortyEightKilohertzApplies) {
  std::vector<float> mono(kResponseTableSize, 2.0F);
  std::vector<float> stereo(kResponseTableSize, 3.0F);
  std::vector<float> zeros(kResponseTableSize, 0.0F);
  EXPECT_EQ(ResponseTableFor(48000.0F, 1, mono, stereo).data(), mono.data());
  EXPECT_EQ(ResponseTableFor(48000.0F, 2, mono, stereo).data(), stereo.data());
  EXPECT_TRUE(ResponseTableFor(44100.0F, 1, mono, stereo).empty());
  EXPECT_TRUE(ResponseTableFor(96000.0F, 2, mono, stereo).empty());
  EXPECT_TRUE(ResponseTableFor(48000.0F, 1, zeros, stereo).empty());
  EXPECT_TRUE(ResponseTableFor(48000.0F, 1, std::span<const float>(mono).first(100), stereo).empty());

  std::vector<float> spectrum(512, 1.0F);
  ApplyResponseCorrection(spectrum, 1024, 44100.0F, 1, mono, stereo);
  EXPECT_EQ(spectrum, std::vector<float>(512, 1.0F));
  ApplyResponseCorrection(spectrum, 1024, 48000.0F, 2, mono, stereo);
  EXPECT_EQ(spectrum, std::vector<float>(512, 3.0F));
}

TEST(ResponseCorrectionTest, EachBinIsMultipliedByTheEntryOfItsFrequency) {
  // A table that rises with the entry: bin b of N = 1024 takes entry 4b.
  std::vector<float> table(kResponseTableSize);
  for (int i = 0; i < kResponseTableSize; ++i) table[static_cast<std::size_t>(i)] = 1.0F + static_cast<float>(i);
  std::vector<float> spectrum(600, 1.0F);  // longer than N/2: the rest stays
  ApplyResponseCorrection(spectrum, 1024, table);
  EXPECT_FLOAT_EQ(spectrum[0], 1.0F);
  EXPECT_FLOAT_EQ(spectrum[1], 5.0F);
  EXPECT_FLOAT_EQ(spectrum[511], 1.0F + 4 * 511);
  EXPECT_FLOAT_EQ(spectrum[512], 1.0F);
}

TEST(ResponseCorrectionTest, AFlatMeasurementGivesFactorsOfOne) {
  std::vector<float> table(kResponseTableSize, 0.0F);
  const std::vector<float> flat(8192, 10.0F);
  for (int frame = 0; frame < 5; ++frame) AccumulateResponse(table, flat, 16384);
  FinishResponseTable(table, 5);
  for (float f : table) EXPECT_FLOAT_EQ(f, 1.0F);
}

TEST(ResponseCorrectionTest, WeakerFrequenciesAreLiftedToTheStrongestByAtMostFour) {
  std::vector<float> table(kResponseTableSize, 0.0F);
  std::vector<float> spectrum(8192, 10.0F);
  // Entries 100 … 199 measured 6.02 dB low, 300 … 399 20 dB low.
  for (int i = 100; i < 200; ++i) spectrum[static_cast<std::size_t>(ResponseBinOfEntry(i, 16384))] = 5.0F;
  for (int i = 300; i < 400; ++i) spectrum[static_cast<std::size_t>(ResponseBinOfEntry(i, 16384))] = 1.0F;
  spectrum[static_cast<std::size_t>(ResponseBinOfEntry(1000, 16384))] = 0.0F;
  for (int frame = 0; frame < 3; ++frame) AccumulateResponse(table, spectrum, 16384);
  FinishResponseTable(table, 3);
  EXPECT_FLOAT_EQ(table[50], 1.0F);
  EXPECT_FLOAT_EQ(table[150], 2.0F);
  EXPECT_FLOAT_EQ(table[350], 4.0F);   // a factor of 10 is limited to 4 (12 dB)
  EXPECT_FLOAT_EQ(table[1000], 1.0F);  // nothing measured there: no correction
}

TEST(ResponseCorrectionTest, APassWithoutFramesCorrectsNothing) {
  std::vector<float> table(kResponseTableSize, 123.0F);
  FinishResponseTable(table, 0);
  for (float f : table) EXPECT_FLOAT_EQ(f, 1.0F);
}

TEST(ResponseCorrectionTest, AMeasuringRunAccumulatesTheLeftChannelUncorrected) {
  constexpr int kN = 1024;
  LevelRunSettings s;
  s.fftSize = kN;
  s.resolutionHz = 46.875F;
  s.highHz = 24000.0F;
  s.rows = kN / 2;
  s.channels = 2;
  const std::vector<float> twos(kResponseTableSize, 2.0F);
  s.stereoResponse = twos;  // a correction that must not apply while measuring
  std::vector<float> measured(kResponseTableSize, 0.0F);
  s.responseMeasurement = measured;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  std::vector<std::int16_t> codes(kN / 2);
  // A tone on bin 64 (3 kHz): entry 256 takes it.
  std::vector<float> left(kN);
  for (int i = 0; i < kN; ++i) left[i] = static_cast<float>(1000.0 * std::cos(2.0 * std::numbers::pi * 64 * i / kN));
  std::vector<float> frame = left;
  levels.ProcessFrame(0, frame, codes);
  const float once = measured[256];
  EXPECT_NEAR(once, 1000.0F / 4.0F, 1.0F);  // Hann: half the amplitude over two
  EXPECT_FLOAT_EQ(frame[64], once);         // the spectrum itself is not corrected
  std::vector<float> right(kN, 500.0F);
  levels.ProcessFrame(1, right, codes);     // the right channel is not measured
  EXPECT_LT(std::abs(measured[0]), 1e-3F);  // the right constant (bin 0: 250) is not added
  frame = left;
  levels.ProcessFrame(0, frame, codes);
  EXPECT_NEAR(measured[256], 2.0F * once, 1e-3F);
}

TEST(ResponseCorrectionTest, TheSplGainMovesEveryLevelByItsDecibels) {
  constexpr int kN = 1024;
  LevelRunSettings s;
  s.fftSize = kN;
  s.resolutionHz = 46.875F;
  s.highHz = 24000.0F;
  s.rows = kN / 2;
  s.splCalibrated = true;
  LevelSpectrum levels;
  ASSERT_TRUE(levels.Create(s));
  std::vector<std::int16_t> codes(kN / 2);
  std::vector<float> tone(kN);
  for (int i = 0; i < kN; ++i) tone[i] = static_cast<float>(8000.0 * std::sin(2.0 * std::numbers::pi * 100 * i / kN));
  const auto level = [&](float gainDb) {
    levels.SetSplCalibration(true, gainDb);
    levels.ResetAverage();
    std::vector<float> frame = tone;
    const auto total = levels.ProcessFrame(0, frame, codes);
    return std::make_pair(*total, codes[100]);
  };
  const auto middle = level(0.0F);
  EXPECT_NEAR(middle.first, 20.0 * std::log10(8000.0 / std::sqrt(2.0)), 0.01);
  const auto up = level(20.0F);    // control 80
  const auto down = level(-60.0F); // control 0
  EXPECT_NEAR(up.first - middle.first, 20.0F, 1e-3F);
  EXPECT_NEAR(down.first - middle.first, -60.0F, 1e-3F);
  EXPECT_NEAR(up.second - middle.second, 80, 1);  // codes are quarter decibels
  EXPECT_NEAR(down.second - middle.second, -240, 1);
}

}  // namespace
}  // namespace sonavue::dsp
