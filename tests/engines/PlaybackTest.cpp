// PLAY and PLAY WDW of an analysed picture through the simulated output on
// the virtual clock: what reaches the sound card, how the sound ends, and
// how the picture follows it.

#include <gtest/gtest.h>

#include <Qt>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/CommandTable.h"
#include "audio/Playback.h"
#include "audio/WaveFormat.h"
#include "context/CommandIds.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

// Deterministic noise, never −32768 (which the 16-bit refill holds at −32767).
std::vector<std::int16_t> Noise16(std::size_t count, std::uint32_t seed, int amplitude) {
  std::vector<std::int16_t> samples(count);
  for (auto& s : samples) {
    seed = seed * 1664525U + 1013904223U;
    s = static_cast<std::int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
  }
  return samples;
}

// A tone sweeping from f0 to f1 over the samples: every column of its
// picture differs from its neighbours.
std::vector<std::int16_t> Sweep(int rate, double seconds, double f0, double f1) {
  const auto count = static_cast<std::size_t>(rate * seconds);
  std::vector<std::int16_t> samples(count);
  double phase = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double f = f0 + (f1 - f0) * static_cast<double>(i) / static_cast<double>(count);
    phase += 2.0 * M_PI * f / rate;
    samples[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(phase)));
  }
  return samples;
}

std::vector<int> Read16(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> samples;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
  }
  return samples;
}

std::vector<int> Read24(const std::vector<std::uint8_t>& bytes) {
  std::vector<int> samples;
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
    samples.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[i]) << 8 |
                                                static_cast<std::uint32_t>(bytes[i + 1]) << 16 |
                                                static_cast<std::uint32_t>(bytes[i + 2]) << 24) /
                      256);
  }
  return samples;
}

class PlaybackTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
    App().params.channelsId = app::ID_CHANNELS_DUAL;
  }
  void TearDown() override {
    devices_.SetTickHook({});
    AppFixture::TearDown();
  }

  std::filesystem::path Write16(const std::string& name, int rate, int channels,
                                const std::vector<std::int16_t>& samples) {
    const auto path = *folders_ / name;
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate), 16)
        .Data(WavBuilder::Pcm16(samples))
        .Write(path);
    return path;
  }
  void Analyze(const std::filesystem::path& path) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
    ASSERT_TRUE(App().analysis.valid);
    devices_.ClearPlayed();
  }
  // The signal held in memory behind its working header.
  std::vector<std::uint8_t> Signal() {
    const app::AnalysisRecord& a = App().analysis;
    const auto begin = a.signal.begin() + static_cast<std::ptrdiff_t>(audio::kWorkingHeaderBytes);
    return {begin, begin + static_cast<std::ptrdiff_t>(a.dataLength)};
  }
  // Runs hook on every move of the clock while the next command runs.
  void Watch(std::function<void(std::uint32_t)> hook) { devices_.SetTickHook(std::move(hook)); }

  int PlotWidth() { return App().layout.displayWidth - App().layout.leftMargin; }
  int PlotRows() { return App().layout.displayHeight - 2 * App().layout.charHeight; }
  platform::Rgb Background() { return App().colors[render::kBackgroundIndex]; }
  // Whether window column x shows anything but the Background in the plot.
  bool ColumnShown(const platform::DisplayBitmap& window, int x) {
    for (int y = 0; y < PlotRows(); ++y) {
      if (window.Pixel(x, y) != Background()) return true;
    }
    return false;
  }
  // Whether window column x equals image column imageX over the plot rows.
  bool ColumnIs(const platform::DisplayBitmap& window, int x, int imageX, int imageTop = 0) {
    for (int y = 0; y < PlotRows(); ++y) {
      if (window.Pixel(x, y) != App().display.Pixel(imageX, imageTop + y)) return false;
    }
    return true;
  }
  bool CursorAt(const platform::DisplayBitmap& window, int x) {
    for (int y = 0; y < PlotRows(); ++y) {
      if (window.Pixel(x, y) != App().colors[render::kSignal1Index]) return false;
    }
    return true;
  }
  void ExpectPlayerReleasedAndControlsBack() {
    EXPECT_EQ(App().output.device, nullptr);
    EXPECT_TRUE(App().output.loopBuffer.empty());
    EXPECT_EQ(App().output.user, app::OutputUser::None);
    EXPECT_FALSE(App().frame.playbackActive);
    EXPECT_FALSE(App().frame.engineLoop);
    EXPECT_FALSE(ButtonEnabled(app::IDC_STOP));
    EXPECT_TRUE(ButtonEnabled(app::IDC_GRID));
    EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY_WINDOW));
    EXPECT_TRUE(MenuEnabled(app::IDM_ANALYZE_FILE));
    EXPECT_TRUE(MenuEnabled(app::IDM_SAVE_WAVE));
    EXPECT_TRUE(Window().IsMenuItemEnabled(app::IDM_EXIT));
  }
};

TEST_F(PlaybackTest, PlayOfA16BitMonoFileBringsBackEverySampleUntilATenthBeforeTheEnd) {
  const std::vector<std::int16_t> samples = Noise16(48000 * 3 + 1234, 7, 30000);
  Analyze(Write16("noise.wav", 48000, 1, samples));
  ASSERT_EQ(App().analysis.dataLength, samples.size() * 2);
  bool busySeen = false;
  Watch([&](std::uint32_t) {
    if (busySeen) return;
    busySeen = true;
    EXPECT_TRUE(App().frame.running);
    EXPECT_TRUE(ButtonEnabled(app::IDC_STOP));
    EXPECT_FALSE(ButtonEnabled(app::IDC_PLAY));
    EXPECT_FALSE(ButtonEnabled(app::IDC_PLAY_WINDOW));
    EXPECT_FALSE(ButtonEnabled(app::IDC_GRID));
    EXPECT_FALSE(MenuEnabled(app::IDM_ANALYZE_FILE));
    EXPECT_TRUE(Window().IsMenuItemEnabled(app::IDM_COLOR_SCALE));
    // 3 s are more than one loop buffer of 2 s: two loops and a part.
    EXPECT_EQ(App().output.loops, 2);
  });
  SendKey(Qt::Key_P);
  ASSERT_TRUE(busySeen);

  EXPECT_EQ(devices_.PlayedFormat().sampleRate, 48000U);
  EXPECT_EQ(devices_.PlayedFormat().channels, 1);
  EXPECT_EQ(devices_.PlayedFormat().bitsPerSample, 16);
  const std::vector<int> played = Read16(devices_.PlayedBytes());
  // The sound ends a tenth of a second (4800 frames) before the last frame,
  // within one pass of the loop (10 ms, 480 frames).
  const std::size_t end = samples.size() - 4800;
  ASSERT_GE(played.size(), end);
  EXPECT_LE(played.size(), end + 480);
  for (std::size_t i = 0; i < played.size(); ++i) {
    ASSERT_EQ(played[i], samples[i]) << "sample " << i;
  }
  ExpectPlayerReleasedAndControlsBack();
  // The picture is wider than the window: PLAY is offered again.
  EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
}

TEST_F(PlaybackTest, PlayOfA24BitStereoFileAppliesTheGainWithoutLimiting) {
  // 2.5 s at 44100 Hz, full-scale noise in both channels.
  const std::size_t frames = 110250;
  std::vector<int> values(2 * frames);
  std::uint32_t seed = 99;
  for (int& v : values) {
    seed = seed * 1664525U + 1013904223U;
    v = static_cast<int>(seed >> 8) - 8388608;
  }
  values[0] = 8388607;
  values[1] = -8388608;
  std::vector<std::uint8_t> bytes;
  for (int v : values) {
    for (int b = 0; b < 3; ++b) bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(v) >> (8 * b)));
  }
  const auto path = *folders_ / "loud24.wav";
  WavBuilder().Format(1, 2, 44100, 24).Data(bytes).Write(path);
  App().params.gainDb = 6;
  Analyze(path);
  ASSERT_EQ(App().analysis.bitsPerSample, 24);

  SendCommand(app::IDC_PLAY);
  EXPECT_EQ(devices_.PlayedFormat().bitsPerSample, 24);
  EXPECT_EQ(devices_.PlayedFormat().channels, 2);
  const std::vector<int> played = Read24(devices_.PlayedBytes());
  // Stereo ends two tenths before the end: 0.1 s × 2 channels × 44100.
  const std::size_t end = values.size() - 2 * 8820;
  ASSERT_GE(played.size(), end);
  EXPECT_LE(played.size(), end + 2 * 441);
  // × 10^(−6/20) to within the last bit (the factor is single precision;
  // the value is truncated, then its upper three bytes taken).
  for (std::size_t i = 0; i < played.size(); ++i) {
    ASSERT_NEAR(played[i], values[i] * 0.50118723, 1.5) << "sample " << i;
  }
  // Full scale comes out near half scale: nothing is held at a 16-bit limit.
  EXPECT_GT(played[0], 4204000);
  EXPECT_LT(played[1], -4204000);
  ExpectPlayerReleasedAndControlsBack();
}

TEST_F(PlaybackTest, AnAmplifyingGainHolds16BitSamplesAtFullScale) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < 48000; ++i) {
    const std::int16_t pattern[] = {20000, -20000, 10000, -10000};
    samples.push_back(pattern[i % 4]);
  }
  App().params.gainDb = -6;  // × 1.99526
  Analyze(Write16("loud16.wav", 48000, 1, samples));
  SendCommand(app::IDC_PLAY);
  const std::vector<int> played = Read16(devices_.PlayedBytes());
  ASSERT_GE(played.size(), 48000U - 4800U);
  for (std::size_t i = 0; i < played.size(); ++i) {
    const int expected[] = {32767, -32767, 19952, -19952};
    ASSERT_EQ(played[i], expected[i % 4]) << "sample " << i;
  }
}

TEST_F(PlaybackTest, ASignalShorterThanTheLoopBufferPlaysOnceWithSilenceBehindIt) {
  const std::vector<std::int16_t> samples = Noise16(24000, 3, 20000);  // 0.5 s
  Analyze(Write16("short.wav", 48000, 1, samples));
  bool checked = false;
  Watch([&](std::uint32_t) {
    if (checked) return;
    checked = true;
    const app::WaveOut& out = App().output;
    EXPECT_EQ(out.loops, 1);
    ASSERT_EQ(out.loopBuffer.size(), 192012U);
    // Half A holds the start of the signal; everything past the signal is silence.
    for (std::size_t i = 0; i < 100; ++i) {
      EXPECT_EQ(static_cast<std::int16_t>(out.loopBuffer[2 * i] | out.loopBuffer[2 * i + 1] << 8), samples[i]);
    }
    std::size_t nonZero = 0;
    for (std::size_t i = 48000; i < out.loopBuffer.size(); ++i) nonZero += out.loopBuffer[i] != 0 ? 1 : 0;
    EXPECT_EQ(nonZero, 0U);
  });
  SendCommand(app::IDC_PLAY);
  ASSERT_TRUE(checked);
  const std::vector<int> played = Read16(devices_.PlayedBytes());
  ASSERT_GE(played.size(), 24000U - 4800U);
  EXPECT_LE(played.size(), 24000U - 4800U + 480U);
  for (std::size_t i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], samples[i]) << "sample " << i;
  ExpectPlayerReleasedAndControlsBack();
  // The whole picture fits the window: PLAY WDW plays the same, PLAY is not offered again.
  EXPECT_FALSE(ButtonEnabled(app::IDC_PLAY));
}

TEST_F(PlaybackTest, PlayWindowStartsAtTheFirstVisibleColumnAndPlaysTheVisibleSpan) {
  const std::vector<std::int16_t> samples = Noise16(48000 * 8, 11, 25000);
  Analyze(Write16("long.wav", 48000, 1, samples));
  const app::AnalysisRecord& a = App().analysis;
  ASSERT_GT(a.columns, 1000 + PlotWidth());
  App().procedure->OnScroll(platform::ScrollBarId::Horizontal, platform::ScrollAction::ThumbPosition, 1000);
  ASSERT_EQ(a.horizontalScroll, 1000);

  // PLAY WDW holds the gain scroll bar while it plays.
  bool gainBarChecked = false;
  Watch([&](std::uint32_t) {
    if (gainBarChecked) return;
    gainBarChecked = true;
    EXPECT_FALSE(Window().IsScrollBarEnabled(platform::ScrollBarId::Vertical));
  });
  ASSERT_TRUE(Window().IsScrollBarEnabled(platform::ScrollBarId::Vertical));
  SendKey(Qt::Key_W);
  ASSERT_TRUE(gainBarChecked);
  EXPECT_TRUE(Window().IsScrollBarEnabled(platform::ScrollBarId::Vertical));
  const std::vector<int> played = Read16(devices_.PlayedBytes());
  ASSERT_GT(played.size(), 100U);
  // Find where the sound starts in the signal: a run of noise is unique.
  std::size_t start = 0;
  bool found = false;
  for (std::size_t s = 0; s + 64 <= samples.size() && !found; ++s) {
    found = std::equal(played.begin(), played.begin() + 64, samples.begin() + static_cast<std::ptrdiff_t>(s));
    if (found) start = s;
  }
  ASSERT_TRUE(found);
  // Column 1000 at 2000 ms ÷ plot width per column, to within a whole 12 bytes.
  const double bytesPerColumn = a.columnMs * 48000.0 * 2.0 / 1000.0;
  EXPECT_EQ(2 * start % 12, 0U);
  EXPECT_NEAR(2.0 * static_cast<double>(start), 1000.0 * bytesPerColumn, 12.0);
  // It plays at least what the window shows, from there on, sample for sample.
  const double visibleFrames = PlotWidth() * a.columnMs * 48.0;
  EXPECT_GE(static_cast<double>(played.size()), visibleFrames);
  for (std::size_t i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], samples[start + i]) << "sample " << i;
  ExpectPlayerReleasedAndControlsBack();
  EXPECT_TRUE(Window().IsMenuItemEnabled(app::IDM_ANALYZE_FILE));
}

TEST_F(PlaybackTest, StopEndsTheSoundAtOnceAndTheDoneReleasesTheDevice) {
  Analyze(Write16("stop.wav", 48000, 1, Noise16(48000 * 4, 5, 20000)));
  for (int key : {0, static_cast<int>(Qt::Key_Escape), static_cast<int>(Qt::Key_S)}) {
    SCOPED_TRACE(key);
    devices_.ClearPlayed();
    const std::uint32_t start = clock_.NowMs();
    bool pressed = false;
    Watch([&](std::uint32_t now) {
      if (pressed || now - start < 1000) return;
      pressed = true;
      if (key == 0) {
        app::PostCommand(App(), app::IDC_STOP);
      } else {
        Window().SendKey(key);
      }
    });
    SendCommand(app::IDC_PLAY_WINDOW);
    ASSERT_TRUE(pressed);
    // One second of sound and at most one more pass of 20 ms.
    const std::size_t frames = devices_.PlayedBytes().size() / 2;
    EXPECT_GE(frames, 48000U);
    EXPECT_LE(frames, 48000U + 960U);
    EXPECT_TRUE(App().frame.stopRequest);
    ExpectPlayerReleasedAndControlsBack();
  }
}

TEST_F(PlaybackTest, ALateDoneOfAnEarlierPlayDoesNotEndTheNextOne) {
  const std::vector<std::int16_t> samples = Noise16(48000 * 2, 9, 20000);
  Analyze(Write16("twice.wav", 48000, 1, samples));
  SendCommand(app::IDC_PLAY_WINDOW);
  const int firstIndex = App().output.writes;
  devices_.ClearPlayed();
  bool posted = false;
  Watch([&](std::uint32_t) {
    if (posted) return;
    posted = true;
    App().pump.Post({platform::MessageKind::WaveOutDone, 0, firstIndex});
  });
  SendCommand(app::IDC_PLAY_WINDOW);
  ASSERT_TRUE(posted);
  EXPECT_GT(App().output.writes, firstIndex);
  EXPECT_GE(devices_.PlayedBytes().size() / 2, samples.size() - 4800);
}

TEST_F(PlaybackTest, TheWindowRevealsWhatHasSoundedAndThenScrollsWithIt) {
  // 4 s swept tone, 2 s across the window: the second half scrolls.
  Analyze(Write16("sweep.wav", 48000, 1, Sweep(48000, 4.0, 300.0, 20000.0)));
  const app::AnalysisRecord& a = App().analysis;
  const app::LayoutValues& v = App().layout;
  ASSERT_GT(a.columns, PlotWidth() + 100);
  const std::uint32_t start = clock_.NowMs();
  int revealChecks = 0;
  int scrollChecks = 0;
  Watch([&](std::uint32_t now) {
    if ((now - start) % 100 != 0) return;
    const platform::DisplayBitmap& window = WindowImage();
    // The loop brings the picture to the sound every 10 ms: before this move
    // of the clock it showed the sound of 10 ms ago, and nothing later.
    const auto heard = static_cast<int>((now - start) / a.columnMs);
    const auto drawn = static_cast<int>((now - start - 10) / a.columnMs);
    if (heard < PlotWidth()) {
      int last = -1;
      for (int c = 0; c < PlotWidth(); ++c) {
        if (ColumnShown(window, v.leftMargin + c)) {
          ASSERT_EQ(last, c - 1) << "a gap before column " << c;
          ASSERT_TRUE(ColumnIs(window, v.leftMargin + c, v.leftMargin + c)) << "column " << c;
          last = c;
        }
      }
      EXPECT_LE(last, heard);
      EXPECT_EQ(last, std::min(drawn, static_cast<int>(a.columns) - 1));
      ++revealChecks;
    } else if (drawn >= PlotWidth() && drawn < a.columns) {
      // The newest column heard is the last one shown.
      const int offset = App().render.view.horizontalOffset;
      EXPECT_EQ(offset + PlotWidth() - 1, drawn);
      EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Horizontal), offset);
      for (int c = 0; c < PlotWidth(); c += 7) {
        ASSERT_TRUE(ColumnIs(window, v.leftMargin + c, v.leftMargin + offset + c)) << "column " << c;
      }
      // The time strip is the one drawn for this view.
      platform::DisplayBitmap expected;
      ASSERT_TRUE(expected.Allocate(window.Width(), window.Height()));
      expected.Blit({0, 0}, window, {0, 0, window.Width(), window.Height()});
      expected.FillRect({0, PlotRows() + 1, v.displayWidth, v.displayHeight - PlotRows() - 1}, platform::Rgb{1, 2, 3});
      render::DrawAxes(App(), expected, {});
      for (int y = PlotRows() + 1; y < v.displayHeight; ++y) {
        for (int x = 0; x < v.displayWidth; ++x) ASSERT_EQ(window.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
      }
      ++scrollChecks;
    }
  });
  SendCommand(app::IDC_PLAY);
  EXPECT_GT(revealChecks, 10);
  EXPECT_GT(scrollChecks, 10);
  // Afterwards the window shows the whole picture at the view's offset.
  const platform::DisplayBitmap& window = WindowImage();
  const int offset = App().render.view.horizontalOffset;
  for (int c = 0; c < PlotWidth(); c += 5) {
    ASSERT_TRUE(ColumnIs(window, v.leftMargin + c, v.leftMargin + offset + c)) << "column " << c;
  }
}

TEST_F(PlaybackTest, PlayWindowMovesAOnePixelCursorAndPutsBackWhatWasUnderIt) {
  App().params.channelsId = app::ID_CHANNELS_DUAL;
  std::vector<std::int16_t> stereo;
  const std::vector<std::int16_t> left = Sweep(48000, 3.0, 500.0, 15000.0);
  for (std::int16_t s : left) {
    stereo.push_back(s);
    stereo.push_back(static_cast<std::int16_t>(s / 2));
  }
  Analyze(Write16("dual.wav", 48000, 2, stereo));
  const app::AnalysisRecord& a = App().analysis;
  const app::LayoutValues& v = App().layout;
  ASSERT_TRUE(a.dual);
  App().procedure->OnScroll(platform::ScrollBarId::Horizontal, platform::ScrollAction::ThumbPosition, 0);
  const int half = v.displayWidth / 2;
  const int visible = half - v.leftMargin;
  const int lowerTop = App().display.Height() / 2;  // the left channel's picture
  const std::uint32_t start = clock_.NowMs();
  int checks = 0;
  Watch([&](std::uint32_t now) {
    if ((now - start) % 100 != 0) return;
    const platform::DisplayBitmap& window = WindowImage();
    const auto heard = static_cast<int>((now - start) / a.columnMs);
    const auto drawn = static_cast<int>((now - start - 20) / a.columnMs);
    if (drawn < 1 || heard >= visible) return;
    int cursors = 0;
    for (int c = 0; c < visible; ++c) {
      const int x = v.leftMargin + c;
      if (CursorAt(window, x)) {
        ++cursors;
        EXPECT_EQ(c, drawn);  // where the sound was at the last pass, 20 ms ago
        // The right half has the same cursor.
        EXPECT_TRUE(CursorAt(window, half + x));
      } else {
        // Everywhere else the picture as it is: what the cursor passed over is back.
        ASSERT_TRUE(ColumnIs(window, x, x, lowerTop)) << "column " << c;
        ASSERT_TRUE(ColumnIs(window, half + x, x, 0)) << "right column " << c;
      }
    }
    EXPECT_EQ(cursors, 1);
    ++checks;
  });
  SendCommand(app::IDC_PLAY_WINDOW);
  EXPECT_GT(checks, 5);
  // No cursor is left behind.
  const platform::DisplayBitmap& window = WindowImage();
  for (int c = 0; c < visible; ++c) {
    ASSERT_TRUE(ColumnIs(window, v.leftMargin + c, v.leftMargin + c, lowerTop)) << "column " << c;
  }
  ExpectPlayerReleasedAndControlsBack();
}

TEST_F(PlaybackTest, ARefusedOutputSaysSoAndLeavesEverythingUsable) {
  Analyze(Write16("refused.wav", 48000, 1, Noise16(48000 * 3, 1, 20000)));
  const platform::DisplayBitmap& before = WindowImage();
  std::vector<platform::Rgb> pixels;
  for (int x = 0; x < before.Width(); x += 3) pixels.push_back(before.Pixel(x, PlotRows() / 2));
  devices_.RefuseOutput(true);
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW}) {
    SendCommand(id);
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "Drag Select a Smaller Time Segment");
    EXPECT_EQ(boxes[0].caption, "Sonavue");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Error);
    EXPECT_TRUE(devices_.PlayedBytes().empty());
    EXPECT_EQ(App().output.device, nullptr);
    EXPECT_TRUE(App().output.loopBuffer.empty());
    EXPECT_FALSE(App().frame.running);
    EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY));
    EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY_WINDOW));
    EXPECT_TRUE(MenuEnabled(app::IDM_ANALYZE_FILE));
    // The picture stays on show.
    const platform::DisplayBitmap& after = WindowImage();
    std::size_t i = 0;
    for (int x = 0; x < after.Width(); x += 3) ASSERT_EQ(after.Pixel(x, PlotRows() / 2), pixels[i++]) << x;
  }
  // Once the device is free again, it plays.
  devices_.RefuseOutput(false);
  SendCommand(app::IDC_PLAY);
  EXPECT_FALSE(devices_.PlayedBytes().empty());
}

TEST_F(PlaybackTest, AResizeWhilePlayingStopsTheSoundAndAnalysesAgainInTheNewSize) {
  Analyze(Write16("resize.wav", 48000, 1, Noise16(48000 * 3, 2, 20000)));
  const int oldWidth = App().display.Width();
  const std::uint32_t start = clock_.NowMs();
  bool resized = false;
  Watch([&](std::uint32_t now) {
    if (resized || now - start < 500) return;
    resized = true;
    const platform::Rect r = Window().WindowRect();
    Window().SetWindowRect({r.x, r.y, 700, 500});
  });
  SendCommand(app::IDC_PLAY);
  ASSERT_TRUE(resized);
  SettleResize();
  ProcessEvents();
  EXPECT_LE(devices_.PlayedBytes().size() / 2, 48000U * 600U / 1000U);
  EXPECT_EQ(App().output.device, nullptr);
  EXPECT_TRUE(App().analysis.valid);
  EXPECT_NE(App().display.Width(), oldWidth);
  EXPECT_EQ(App().layout.clientWidth, Window().ClientSize().w);
  EXPECT_TRUE(ButtonEnabled(app::IDC_PLAY_WINDOW));
}

TEST_F(PlaybackTest, TheDoneOfAFileScanStopsItAndACalibrationSoundIsOnlyMarked) {
  app::WaveOut& out = App().output;
  out.loopBuffer.assign(4800, 0);
  out.header.data = std::span<std::uint8_t>(out.loopBuffer);
  out.header.index = ++out.writes;
  out.user = app::OutputUser::ScanFile;
  out.device = devices_.MakeOutput(App().pump);
  ASSERT_EQ(out.device->Open({48000, 1, 16}), platform::WaveResult::Ok);
  ASSERT_EQ(out.device->Write(out.header, 1), platform::WaveResult::Ok);
  out.playing = true;
  App().frame.scanFileRunning = true;
  App().frame.stopRequest = false;
  clock_.Advance(100);  // the single loop of 50 ms has played out
  ProcessEvents();
  EXPECT_EQ(out.device, nullptr);
  EXPECT_TRUE(out.loopBuffer.empty());
  EXPECT_TRUE(App().frame.stopRequest);
  EXPECT_FALSE(App().frame.scanFileRunning);

  out.user = app::OutputUser::CalibrationSound;
  out.playing = true;
  audio::HandleWaveOutDone(App(), 0);
  EXPECT_FALSE(out.playing);
  out.user = app::OutputUser::None;
}

class PlayScannedPictureTest : public sonavue::testing::LiveScanFixture {};

TEST_F(PlayScannedPictureTest, ThePictureAStoppedScanLeavesPlaysItsCapture) {
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  RunScan(3000);
  ASSERT_TRUE(App().analysis.valid);
  ASSERT_TRUE(ButtonEnabled(app::IDC_PLAY));
  const app::AnalysisRecord& a = App().analysis;
  const std::vector<std::uint8_t> signal(a.signal.begin() + 68, a.signal.begin() + 68 + a.dataLength);
  devices_.ClearPlayed();
  SendCommand(app::IDC_PLAY);
  const std::vector<std::uint8_t> played = devices_.PlayedBytes();
  ASSERT_GE(played.size(), signal.size() - 2 * 4800);
  ASSERT_LE(played.size(), signal.size());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), signal.begin()));
  EXPECT_EQ(App().output.device, nullptr);
}

}  // namespace
}  // namespace sonavue::engines
