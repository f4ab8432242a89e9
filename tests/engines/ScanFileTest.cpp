// Scan File: a WAV file played through the (simulated) sound card while its
// sonogram or scope runs in step with the sound, the checks that refuse a
// run, the command line's ways of starting it, and the static picture a
// stopped sonogram leaves.

#include "engines/ScanFile.h"

#include <gtest/gtest.h>

#include <Qt>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dialogs/ParameterDialog.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

// Reproducible noise in ±12000, never the one value a 16-bit sample cannot
// be negated to.
std::vector<std::int16_t> Noise(std::size_t count, std::uint32_t seed) {
  std::vector<std::int16_t> samples(count);
  std::uint32_t state = seed;
  for (auto& s : samples) {
    state = state * 1664525U + 1013904223U;
    s = static_cast<std::int16_t>(static_cast<int>(state >> 16) % 24001 - 12000);
  }
  return samples;
}

// A tone that steps through frequencies of 1 … 7 kHz, 150 ms each; the
// small offsets make no stretch of it repeat another.
std::vector<std::int16_t> Steps(int rate, double seconds) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(rate * seconds));
  double phase = 0.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto step = static_cast<int>(static_cast<double>(i) / (0.15 * rate));
    phase += 2.0 * M_PI * (1000.0 + 1000.0 * (step % 7) + 37.0 * (step % 5)) / rate;
    samples[i] = static_cast<std::int16_t>(std::lround(10000.0 * std::sin(phase)));
  }
  return samples;
}

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first byte where two byte strings differ, or the shorter length.
std::size_t FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                            std::size_t bOffset = 0) {
  std::size_t i = 0;
  while (i < a.size() && bOffset + i < b.size() && a[i] == b[bOffset + i]) ++i;
  return i;
}

// A 900 × 600 window, "Scroll 1", 0 … 8000 Hz, N = 1024 at 100 Hz, 10 ms
// per column, stored as the scan parameter set a file scan starts from, and
// no dialog (Variables "Freeze").
class ScanFileTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(900, 600);
    app::CurrentParameters& p = App().params;
    p.displayId = app::ID_DISPLAY_SCROLL1;
    p.frequencyScaleId = app::ID_SCALE_LINEAR;
    p.scan = {0, 8000, 1024, 100.0F, static_cast<float>(PlotWidth()) * 0.01F};
    p.variables = app::IDM_VARIABLES_FREEZE;
  }

  int PlotWidth() { return App().layout.displayWidth - App().layout.leftMargin; }

  std::filesystem::path WriteMono(const std::string& name, int rate, const std::vector<std::int16_t>& samples) {
    const auto path = *folders_ / name;
    WavBuilder().Format(1, 1, static_cast<std::uint32_t>(rate), 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    return path;
  }

  // F2 on a file chosen in the chooser; the scan runs to its end (or the
  // stop a hook presses) inside the command.
  void Scan(const std::filesystem::path& path) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_SCAN_FILE);
    devices_.SetTickHook({});
  }

  // Nothing of the player is left once a scan has ended.
  void ExpectPlayerReleased() {
    EXPECT_FALSE(App().output.device);
    EXPECT_EQ(App().output.user, app::OutputUser::None);
    EXPECT_TRUE(App().output.loopBuffer.empty());
    EXPECT_FALSE(App().frame.scanFileRunning);
    EXPECT_FALSE(App().frame.engineLoop);
  }

  // The palette index of every pixel of the sonogram rows of columns
  // [first, first + count) of the display image.
  std::vector<int> SonogramIndices(int first, int count) {
    std::map<std::uint32_t, int> indexOf;
    for (int i = render::kBackgroundIndex; i < platform::kColorTableSize; ++i) {
      const platform::Rgb c = App().colors[static_cast<std::size_t>(i)];
      indexOf.emplace(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b), i);
    }
    const app::AnalysisRecord& a = App().analysis;
    std::vector<int> indices;
    for (int x = first; x < first + count; ++x) {
      for (int m = 0; m < a.rows; ++m) {
        const platform::Rgb c = App().display.Pixel(a.leftMargin + x, App().display.Height() - a.bottomStrip - m - 1);
        const auto found = indexOf.find(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
        indices.push_back(found == indexOf.end() ? -1 : found->second);
      }
    }
    return indices;
  }
};

TEST_F(ScanFileTest, TheSoundCardGetsTheFileSampleForSampleUntil100MsBeforeItsEnd) {
  // 9 s: the first half of the loop buffer holds 4 s, so both halves are
  // refilled from the file while it plays.
  const std::vector<std::int16_t> samples = Noise(9 * 48000, 7);
  const auto path = WriteMono("noise.wav", 48000, samples);
  Scan(path);
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  const std::vector<std::uint8_t> file = WavBuilder::Pcm16(samples);
  EXPECT_EQ(devices_.PlayedFormat().sampleRate, 48000U);
  EXPECT_EQ(devices_.PlayedFormat().channels, 1);
  EXPECT_EQ(devices_.PlayedFormat().bitsPerSample, 16);
  // The scan ends at the first pass after 8900 ms; passes are at most
  // 10 ms apart.
  EXPECT_GT(played.size(), 8900U * 96U);
  EXPECT_LE(played.size(), 8911U * 96U);
  EXPECT_EQ(FirstDifference(played, file), played.size());
  ExpectPlayerReleased();
  EXPECT_FALSE(App().frame.running);
  EXPECT_TRUE(prompts_.Dialogs().empty());
  // The stopped sonogram became a static picture of what it showed.
  EXPECT_TRUE(App().analysis.valid);
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_FILE));
  EXPECT_TRUE(MenuEnabled(app::IDM_SAVE_WAVE));
}

TEST_F(ScanFileTest, TheDialogsSegmentPlaysFromItsBeginWithTheGainInTheSamples) {
  App().params.variables = app::IDM_VARIABLES_ADJUST;
  App().params.gainDb = 6;
  const std::vector<std::int16_t> samples = Noise(8 * 48000, 11);
  const auto path = WriteMono("segment.wav", 48000, samples);
  prompts_.QueueFile({path.string()});
  prompts_.QueueDialog([](platform::ModalDialog& dialog) {
    EXPECT_EQ(dialog.ResourceId(), 170);
    auto& model = dynamic_cast<dialogs::ParameterDialog&>(dialog).Model();
    // The whole file is offered.
    EXPECT_NEAR(model.Values().beginS, 0.0F, 1e-6F);
    EXPECT_NEAR(model.Values().endS, 8.0F, 1e-4F);
    model.SetText(1002, "2.5");
    model.SetText(1004, "7");
    return true;
  });
  SendCommand(app::IDM_SCAN_FILE);
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  // 4.5 s from 2.5 s, less the last tenth of a second.
  EXPECT_GT(played.size(), 4400U * 96U);
  EXPECT_LE(played.size(), 4411U * 96U);
  // Each sample × 10^(−6/20), truncated, as the device got it.
  // The gain factor as the program holds it, in single precision.
  const double gain = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i + 1 < played.size(); i += 2) {
    const auto heard = static_cast<std::int16_t>(static_cast<std::uint16_t>(played[i] | played[i + 1] << 8));
    const std::int16_t stored = samples[120000 + i / 2];
    if (heard != static_cast<std::int16_t>(stored * gain)) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0U);
  EXPECT_FLOAT_EQ(App().params.beginS, 0.0F);  // the static picture's own segment
  EXPECT_FLOAT_EQ(App().scanFile.beginS, 2.5F);
  EXPECT_FLOAT_EQ(App().scanFile.endS, 7.0F);
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, AStereo24BitFilePlaysFrameForFrame) {
  const std::vector<std::int16_t> left = Noise(5 * 44100, 3);
  const std::vector<std::int16_t> right = Noise(5 * 44100, 5);
  std::vector<std::uint8_t> data;
  for (std::size_t i = 0; i < left.size(); ++i) {
    for (std::int16_t v : {left[i], right[i]}) {
      const auto u = static_cast<std::uint32_t>(v * 256 + static_cast<int>(i % 256));
      data.push_back(static_cast<std::uint8_t>(u));
      data.push_back(static_cast<std::uint8_t>(u >> 8));
      data.push_back(static_cast<std::uint8_t>(u >> 16));
    }
  }
  const auto path = *folders_ / "stereo.wav";
  WavBuilder().Format(1, 2, 44100, 24).Data(data).Write(path);
  Scan(path);
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  EXPECT_EQ(devices_.PlayedFormat().channels, 2);
  EXPECT_EQ(devices_.PlayedFormat().bitsPerSample, 24);
  EXPECT_GT(played.size(), 4800U * 44100U * 6U / 1000U);
  EXPECT_EQ(played.size() % 6, 0U);
  EXPECT_EQ(FirstDifference(played, data), played.size());
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, TheColumnsKeepPaceWithTheClock) {
  const auto path = WriteMono("pace.wav", 48000, Noise(6 * 48000, 5));
  std::int64_t worst = 0;
  std::uint32_t startedAt = 0;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (!App().frame.scanFileRunning) return;
    if (startedAt == 0) startedAt = now;
    // The scan started one tick (1 ms) before the first tick seen.
    const std::int64_t expected = std::lround((now - startedAt + 1) / 10.0);
    if (now - startedAt > 100) worst = std::max(worst, std::abs(App().scanStats.drawnColumn - expected));
  });
  Scan(path);
  EXPECT_LE(worst, 2);
  const auto& stats = App().scanStats;
  // One column per 10 ms over the 5.9 s the scan ran.
  EXPECT_NEAR(static_cast<double>(stats.frames), stats.lastMs / 10.0, 3.0);
  EXPECT_EQ(stats.repeated, 0);
  EXPECT_NEAR(stats.measuredColumnMs, 10.0, 0.05);
  EXPECT_FALSE(App().frame.irregularColumns);
}

TEST_F(ScanFileTest, ASoundCardThatStartsLateHoldsThePictureBackAndIsHeardToTheEnd) {
  const std::vector<std::int16_t> samples = Noise(4 * 48000, 3);
  const auto path = WriteMono("late.wav", 48000, samples);
  devices_.SetOutputStartDelayMs(800);
  std::uint32_t startedAt = 0;
  std::int64_t drawnBeforeTheSound = -1;
  std::int64_t worst = 0;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (!App().frame.scanFileRunning) return;
    if (startedAt == 0) startedAt = now;
    const std::uint32_t since = now - startedAt;
    if (since == 790) drawnBeforeTheSound = App().scanStats.drawnColumn;
    // Once it sounds, one column per 10 ms of sound.
    if (since > 900) {
      const std::int64_t expected = std::lround((since - 800) / 10.0);
      worst = std::max(worst, std::abs(App().scanStats.drawnColumn - expected));
    }
  });
  Scan(path);
  EXPECT_LE(drawnBeforeTheSound, 1);
  EXPECT_LE(worst, 3);
  // The whole file up to the end margin was heard, not 800 ms less.
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  EXPECT_GT(played.size(), 3890U * 96U);
  EXPECT_EQ(FirstDifference(played, WavBuilder::Pcm16(samples)), played.size());
  EXPECT_NEAR(App().scanStats.measuredColumnMs, 10.0, 0.1);
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, OnAMachineTooSlowForTheStepColumnsRepeatAndThePictureKeepsPace) {
  const auto path = WriteMono("slow.wav", 48000, Noise(5 * 48000, 9));
  // Every wait of the engine costs three times as long as it asked for.
  bool inHook = false;
  devices_.SetTickHook([&](std::uint32_t) {
    if (inHook || !App().frame.scanFileRunning) return;
    inHook = true;
    clock_.Advance(20);
    inHook = false;
  });
  Scan(path);
  const auto& stats = App().scanStats;
  EXPECT_GE(stats.repeated, 1);
  const double expected = stats.lastMs / 10.0;
  EXPECT_NEAR(static_cast<double>(stats.drawnColumn), expected, 6.0);
  EXPECT_LT(static_cast<double>(stats.frames), expected);
  // The sound is the file's all the same, up to the end of the scan.
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  EXPECT_GT(played.size(), 4900U * 96U);
  EXPECT_EQ(FirstDifference(played, WavBuilder::Pcm16(Noise(5 * 48000, 9))), played.size());
}

TEST_F(ScanFileTest, TheStoppedPictureIsTheAnalysisOfTheSpanItShowed) {
  // A smaller window, so that the 8-s file fills the plot and scrolls.
  Resize(640, 480);
  App().params.scan.displayWidthS = static_cast<float>(PlotWidth()) * 0.01F;
  const std::vector<std::int16_t> samples = Steps(48000, 8.0);
  const auto path = WriteMono("steps.wav", 48000, samples);
  const int columns = PlotWidth();
  const int margin = App().layout.leftMargin;
  const int plotHeight = App().layout.displayHeight - 2 * App().layout.charHeight;
  // The live plot as the last ticks of the scan see it.
  std::vector<platform::Rgb> livePlot;
  std::uint32_t startedAt = 0;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (!App().frame.scanFileRunning) return;
    if (startedAt == 0) startedAt = now;
    if (now - startedAt < 7850) return;
    livePlot.clear();
    for (int y = 0; y < plotHeight; ++y) {
      for (int x = margin; x < margin + columns; ++x) livePlot.push_back(App().display.Pixel(x, y));
    }
  });
  Scan(path);
  ASSERT_GT(App().scanStats.frames, columns + 100);
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_FALSE(App().frame.irregularColumns);
  // The even columns keep the live picture on show: the same pixels, moved
  // right so that the newest column sits at the edge (by one to four
  // columns, as far as the last group of four had filled).
  ASSERT_EQ(livePlot.size(), static_cast<std::size_t>(columns * plotHeight));
  int keptShift = 0;
  for (int shift = 1; shift <= 4 && keptShift == 0; ++shift) {
    bool same = true;
    for (int y = 0; y < plotHeight && same; ++y) {
      for (int x = shift; x < columns && same; ++x) {
        same = App().display.Pixel(margin + x, y) == livePlot[static_cast<std::size_t>(y * columns + x - shift)];
      }
    }
    if (same) keptShift = shift;
  }
  EXPECT_NE(keptShift, 0);
  EXPECT_FLOAT_EQ(App().analysis.columnMs, App().scanColumnMs);
  EXPECT_NEAR(App().scanColumnMs, 10.0F, 0.01F);
  const auto& a = App().analysis;
  EXPECT_NEAR(static_cast<double>(a.columns), columns, 1.0);

  // temp.wav holds the span shown, read again from the file: the file's own
  // bytes, one frame of 1024 samples more at its start.
  const auto temp = App().workingFolder / "temp.wav";
  const std::vector<std::uint8_t> tempBytes = FileBytes(temp);
  ASSERT_GT(tempBytes.size(), 68U);
  const std::vector<std::uint8_t> tempData(tempBytes.begin() + 68, tempBytes.end());
  EXPECT_NEAR(static_cast<double>(tempData.size()), (columns * 480.0 + 1024.0) * 2.0, 12.0);
  const std::vector<std::uint8_t> fileData = WavBuilder::Pcm16(samples);
  const auto found = std::search(fileData.begin(), fileData.end(), tempData.begin(), tempData.begin() + 960);
  ASSERT_NE(found, fileData.end());
  const auto offset = static_cast<std::size_t>(found - fileData.begin());
  EXPECT_EQ(FirstDifference(tempData, fileData, offset), tempData.size());
  // It ends where the scan stopped, 100 ms before the end of the file.
  EXPECT_NEAR(static_cast<double>(offset + tempData.size()) / 96.0, 7900.0, 20.0);

  // The picture left on show is the live one; an analysis of the same span
  // (temp.wav analysed again, same band, at the same step) draws the same
  // sonogram.
  EXPECT_EQ(App().frame.fileName, temp.string());
  const int compared = static_cast<int>(a.columns) - 8;
  const std::vector<int> live = SonogramIndices(4, compared);
  const std::vector<float> liveLevels = a.totalLevels[0];
  const int rows = a.rows;
  App().params.displayWidthS = static_cast<float>(columns) * App().scanColumnMs / 1000.0F;
  SendCommand(app::IDM_ANALYZE_FILE, app::kReasonReanalysis);
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_EQ(App().analysis.rows, rows);
  EXPECT_EQ(App().analysis.highHz, 8000);
  const std::vector<int> analysed = SonogramIndices(4, compared);
  ASSERT_EQ(live.size(), analysed.size());
  std::size_t close = 0;
  double difference = 0.0;
  for (std::size_t i = 0; i < live.size(); ++i) {
    ASSERT_GE(live[i], 0);
    ASSERT_GE(analysed[i], 0);
    difference += std::abs(live[i] - analysed[i]);
    if (std::abs(live[i] - analysed[i]) <= 2) ++close;
  }
  EXPECT_GT(static_cast<double>(close), 0.99 * static_cast<double>(live.size()));
  EXPECT_LT(difference / static_cast<double>(live.size()), 0.5);
  // The steps land on the same columns: the loudest row of each column.
  int sameRow = 0;
  for (int x = 0; x < compared; ++x) {
    const auto liveColumn = live.begin() + x * rows;
    const auto analysedColumn = analysed.begin() + x * rows;
    const auto liveTop = std::max_element(liveColumn, liveColumn + rows) - liveColumn;
    const auto analysedTop = std::max_element(analysedColumn, analysedColumn + rows) - analysedColumn;
    if (std::abs(liveTop - analysedTop) <= 1) ++sameRow;
  }
  // (A column that straddles two steps holds both tones; its loudest row
  // may be either.)
  EXPECT_GE(sameRow, compared * 98 / 100);
  // And the per-column levels the readouts use agree.
  const std::vector<float>& analysedLevels = App().analysis.totalLevels[0];
  ASSERT_GE(analysedLevels.size(), static_cast<std::size_t>(compared + 4));
  for (int x = 4; x < compared; ++x) {
    EXPECT_NEAR(liveLevels[static_cast<std::size_t>(x)], analysedLevels[static_cast<std::size_t>(x)], 0.2F) << x;
  }
}

TEST_F(ScanFileTest, ASonogramShowingMoreThanAMinuteKeepsItsLivePictureAndSaysWhy) {
  App().params.scan.displayWidthS = 70.0F;
  Scan(WriteMono("wide.wav", 48000, Noise(2 * 48000, 13)));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text,
            "       Signal capture for analysis and playback\n  is limited to time span of less than 60 seconds");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::None);
  EXPECT_FALSE(App().analysis.valid);
  EXPECT_FALSE(App().display.IsNull());
  EXPECT_FALSE(std::filesystem::exists(App().workingFolder / "temp.wav"));
  ExpectPlayerReleased();
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_FILE));
}

TEST_F(ScanFileTest, ASegmentOfOneSecondIsTooSmallAndOneOfASecondAndAMillisecondPlays) {
  const auto one = WriteMono("one.wav", 48000, Noise(48000, 1));
  Scan(one);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Sample Size Too Small");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_TRUE(devices_.PlayedBytes().empty());
  ExpectPlayerReleased();
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_FILE));

  const auto longer = WriteMono("longer.wav", 48000, Noise(48048, 1));
  Scan(longer);
  EXPECT_TRUE(TakeBoxes().empty());
  // It played up to 100 ms before its end.
  EXPECT_GT(devices_.PlayedBytes().size(), 900U * 96U);
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, RatesOutsideTheScanRangeAreRefused) {
  const auto low = WriteMono("low.wav", 3000, Noise(3 * 3000, 2));
  Scan(low);
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Sample Rate Out of Range");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);

  // Above 96 kHz the header reader refuses the file for Scan File.
  const auto high = WriteMono("high.wav", 96001, Noise(2 * 96001, 2));
  Scan(high);
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Sampling rate greater than 96 kHz. Use 'Analyze File' instead.");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_TRUE(devices_.PlayedBytes().empty());

  // 96 kHz itself plays.
  const auto top = WriteMono("top.wav", 96000, Noise(2 * 96000, 2));
  Scan(top);
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_GT(devices_.PlayedBytes().size(), 1800U * 192U);
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, UltrasoundControlsBecomeAutomaticControls) {
  App().params.analysisControls = app::IDM_CONTROLS_ULTRASOUND;
  App().params.frequencyMultiplier = 4;
  Scan(WriteMono("u.wav", 48000, Noise(2 * 48000, 2)));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text,
            "Ultrasound Controls only available for 'Analyze File'.\rConverting to Automatic Controls.");
  EXPECT_EQ(App().params.analysisControls, app::IDM_CONTROLS_AUTOMATIC);
  EXPECT_EQ(App().params.frequencyMultiplier, 1);
  EXPECT_TRUE(MenuChecked(app::IDM_CONTROLS_AUTOMATIC));
}

TEST_F(ScanFileTest, AnOutputThatCannotOpenIsReportedAndTheMenusStayUsable) {
  devices_.RefuseOutput(true);
  Scan(WriteMono("busy.wav", 48000, Noise(3 * 48000, 4)));
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open Audio Device");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
  EXPECT_EQ(boxes[0].caption, "Sonavue");
  ExpectPlayerReleased();
  EXPECT_TRUE(App().display.IsNull());
  EXPECT_FALSE(App().frame.running);
  for (int id : {app::IDM_SCAN_FILE, app::IDM_SCAN_INPUT, app::IDM_ANALYZE_FILE, app::IDM_EXIT}) {
    EXPECT_TRUE(MenuEnabled(id)) << id;
  }
  EXPECT_FALSE(ButtonEnabled(app::IDC_STOP));
  // Once the device is free again, the same command plays.
  devices_.RefuseOutput(false);
  Scan(*folders_ / "busy.wav");
  EXPECT_FALSE(devices_.PlayedBytes().empty());
}

TEST_F(ScanFileTest, StopEndsTheSoundAndLeavesThePictureOfWhatWasShown) {
  const std::vector<std::int16_t> samples = Noise(6 * 48000, 8);
  const auto path = WriteMono("stop.wav", 48000, samples);
  bool runningSeen = false;
  devices_.SetTickHook([this, &runningSeen](std::uint32_t now) {
    if (App().frame.scanFileRunning) {
      runningSeen = true;
      EXPECT_FALSE(MenuEnabled(app::IDM_SCAN_FILE));
      EXPECT_FALSE(MenuEnabled(app::IDM_ANALYZE_FILE));
      EXPECT_TRUE(ButtonEnabled(app::IDC_STOP));
      EXPECT_FALSE(ButtonEnabled(app::IDC_GRID));
      if (now >= 1500) app::PostCommand(App(), app::IDC_STOP);
    }
  });
  prompts_.QueueFile({path.string()});
  SendCommand(app::IDM_SCAN_FILE);
  devices_.SetTickHook({});
  ASSERT_TRUE(runningSeen);
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  EXPECT_GE(played.size(), 1500U * 96U);
  EXPECT_LE(played.size(), 1520U * 96U);
  EXPECT_EQ(FirstDifference(played, WavBuilder::Pcm16(samples)), played.size());
  ExpectPlayerReleased();
  // The 1.5 s shown (the plot spans more) become the static picture.
  ASSERT_TRUE(App().analysis.valid);
  EXPECT_NEAR(static_cast<double>(App().analysis.columns), 150.0, 4.0);
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_FILE));
  EXPECT_TRUE(MenuEnabled(app::IDM_CHANGE_PARAMETERS));
  EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
}

TEST_F(ScanFileTest, AResizeStopsTheScanAndPlaysTheSameSegmentAgainInTheNewSize) {
  const std::vector<std::int16_t> samples = Noise(3 * 48000, 12);
  const auto path = WriteMono("again.wav", 48000, samples);
  const app::LayoutValues before = App().layout;
  int step = 0;
  int liveWidthAfter = 0;
  devices_.SetTickHook([&](std::uint32_t now) {
    if (step == 0 && App().frame.scanFileRunning && now >= 800) {
      step = 1;
      const platform::Rect r = Window().WindowRect();
      Window().SetWindowRect({r.x, r.y, r.w + 120, r.h + 60});
    } else if (step == 1 && App().frame.scanFileRunning && now >= 1500) {
      step = 2;
      liveWidthAfter = App().display.Width();
    }
  });
  prompts_.QueueFile({path.string()});
  SendCommand(app::IDM_SCAN_FILE);
  devices_.SetTickHook({});
  ASSERT_EQ(step, 2);
  EXPECT_NE(App().layout.displayWidth, before.displayWidth);
  EXPECT_GE(liveWidthAfter, App().layout.displayWidth);
  EXPECT_LT(liveWidthAfter, App().layout.displayWidth + 4);
  // The sound started again from the segment's start: 0.8 s, then the
  // whole file less its last tenth of a second.
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  const std::vector<std::uint8_t> file = WavBuilder::Pcm16(samples);
  const std::size_t first = FirstDifference(played, file);
  EXPECT_NEAR(static_cast<double>(first) / 96.0, 800.0, 11.0);
  const std::vector<std::uint8_t> second(played.begin() + static_cast<std::ptrdiff_t>(first), played.end());
  EXPECT_EQ(FirstDifference(second, file), second.size());
  EXPECT_GT(second.size(), 2890U * 96U);
  // Only one chooser: the repeat reopened the same file by itself.
  EXPECT_EQ(prompts_.Choosers().size(), 1U);
  ExpectPlayerReleased();
}

TEST_F(ScanFileTest, AScopeDrawsAFrameEveryTwentyMillisecondsWithPeakHoldForOneCurve) {
  App().params.displayId = app::ID_DISPLAY_SCOPE1;
  const auto path = WriteMono("scope.wav", 48000, Noise(3 * 48000, 6));
  bool checked = false;
  devices_.SetTickHook([&](std::uint32_t) {
    if (!checked && App().frame.scanFileRunning && App().scanStats.frames > 10) {
      checked = true;
      EXPECT_TRUE(ButtonEnabled(app::IDC_PEAK_HOLD));
      EXPECT_TRUE(ButtonEnabled(app::IDC_GRID));
      EXPECT_EQ(ButtonCaption(app::IDC_PLAY), "&CAPTURE");
      EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
    }
  });
  Scan(path);
  ASSERT_TRUE(checked);
  const auto& stats = App().scanStats;
  EXPECT_NEAR(static_cast<double>(stats.frames), stats.lastMs / 20.0, 3.0);
  // A scope keeps its last plot: no static analysis follows.
  EXPECT_FALSE(App().analysis.valid);
  EXPECT_FALSE(App().display.IsNull());
  ExpectPlayerReleased();

  // A stereo file shown as two curves: no peak hold.
  std::vector<std::int16_t> stereo = Noise(2 * 2 * 48000, 6);
  const auto both = *folders_ / "both.wav";
  WavBuilder().Format(1, 2, 48000, 16).Data(WavBuilder::Pcm16(stereo)).Write(both);
  App().params.channelsId = app::ID_CHANNELS_DUAL;
  bool stereoChecked = false;
  devices_.SetTickHook([&](std::uint32_t) {
    if (!stereoChecked && App().frame.scanFileRunning && App().scanStats.frames > 10) {
      stereoChecked = true;
      EXPECT_FALSE(ButtonEnabled(app::IDC_PEAK_HOLD));
    }
  });
  Scan(both);
  EXPECT_TRUE(stereoChecked);
}

TEST_F(ScanFileTest, TheF2KeyOpensTheChooserAndACancelChangesNothing) {
  prompts_.QueueFileCancel();
  SendKey(Qt::Key_F2);
  ASSERT_EQ(prompts_.Choosers().size(), 1U);
  EXPECT_TRUE(devices_.PlayedBytes().empty());
  EXPECT_TRUE(App().display.IsNull());
  // A file that cannot be opened says so.
  prompts_.QueueFile({(*folders_ / "missing.wav").string()});
  SendKey(Qt::Key_F2);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
}

// The command line starts a file scan at once, without a dialog.
class ScanFileCommandLineTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    path_ = *folders_ / "cl.wav";
    WavBuilder().Format(1, 1, 44100, 16).Data(WavBuilder::Pcm16(Noise(3 * 44100, 21))).Write(path_);
  }
  std::filesystem::path path_;
};

TEST_F(ScanFileCommandLineTest, ABareFileNameScansTheWholeFileOverTheWholeBand) {
  Start({path_.string()});
  EXPECT_TRUE(prompts_.Dialogs().empty());
  EXPECT_TRUE(prompts_.Choosers().empty());
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  EXPECT_GT(played.size(), 2890U * 88U);
  EXPECT_EQ(devices_.PlayedFormat().sampleRate, 44100U);
  EXPECT_EQ(App().params.lowBandHz, 0);
  EXPECT_EQ(App().params.highBandHz, 22050);
  EXPECT_EQ(App().scanFile.path, path_);
  EXPECT_FALSE(App().commandLine.fileForm);
}

TEST_F(ScanFileCommandLineTest, WayThreeScansTheBandAndSpanGivenWithGridOff) {
  Start({"3", "0", "8000", "10", path_.string()});
  EXPECT_TRUE(prompts_.Dialogs().empty());
  EXPECT_FALSE(devices_.PlayedBytes().empty());
  EXPECT_EQ(App().params.highBandHz, 8000);
  EXPECT_FLOAT_EQ(App().params.scan.displayWidthS, 10.0F);
  EXPECT_EQ(App().params.scan.highBandHz, 8000);
  EXPECT_FALSE(App().frame.grid);
  EXPECT_FALSE(App().commandLine.started);
}

TEST_F(ScanFileCommandLineTest, WayFiveScansAScopeWithGridOn) {
  Start({"5", "100", "5000", "2", path_.string()});
  EXPECT_FALSE(devices_.PlayedBytes().empty());
  EXPECT_TRUE(App().params.IsScopeDisplay());
  EXPECT_EQ(App().params.wayOfWorking, 5);
  EXPECT_TRUE(App().frame.grid);
  EXPECT_EQ(App().params.lowBandHz, 100);
  EXPECT_EQ(App().params.highBandHz, 5000);
}

TEST_F(ScanFileCommandLineTest, AHighLimitAboveHalfTheRateIsLimitedAndTheRunGoesOn) {
  Start({"4", "0", "30000", "5", path_.string()});
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Highest Frequency Limited to 1/2 Sampling Rate");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_EQ(App().params.scan.highBandHz, 22050);
  EXPECT_FALSE(devices_.PlayedBytes().empty());
}

TEST_F(ScanFileCommandLineTest, ANarrowBandOrAShortSpanStartsNothing) {
  Start({"3", "100", "105", "10", path_.string()});
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Frequency Limits");
  EXPECT_TRUE(devices_.PlayedBytes().empty());
  Restart({"3", "0", "8000", "0", path_.string()});
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Time Span");
  EXPECT_TRUE(devices_.PlayedBytes().empty());
  EXPECT_TRUE(MenuEnabled(app::IDM_SCAN_FILE));
}

}  // namespace
}  // namespace sonavue::engines
