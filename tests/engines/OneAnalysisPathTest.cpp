// The window's Analyze File and sonavue-cli levels run the same analysis:
// on the same file, with the window's rows, step, resolution and FFT size,
// every pixel of the window's picture is the colour of the code levels
// printed, and every total level agrees.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "context/CommandIds.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::engines {
namespace {

using sonavue::testing::WavBuilder;

// A sweep from 200 Hz to 15 kHz under a steady 5 kHz tone and a little
// noise, so that every scale sees levels change across its rows.
std::vector<std::int16_t> Sweep(int rate, double seconds, int channels) {
  std::vector<std::int16_t> samples;
  const int frames = static_cast<int>(rate * seconds);
  std::uint32_t noise = 1;
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    phase += 2 * M_PI * (200.0 + (15000.0 - 200.0) * t / seconds) / rate;
    noise = noise * 1664525U + 1013904223U;
    const double hiss = 300.0 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
    const double left = 9000.0 * std::sin(phase) + 3000.0 * std::sin(2 * M_PI * 5000.0 * t) + hiss;
    samples.push_back(static_cast<std::int16_t>(std::lround(left)));
    if (channels == 2) samples.push_back(static_cast<std::int16_t>(std::lround(left / 3.0)));
  }
  return samples;
}

struct LevelsRow {
  double totalDb = 0.0;
  bool hasTotal = false;
  std::vector<int> codes;
};

std::vector<LevelsRow> RunLevels(const std::string& arguments) {
  std::vector<LevelsRow> rows;
  FILE* pipe = popen((std::string(SONAVUE_CLI) + " levels " + arguments).c_str(), "r");
  if (pipe == nullptr) return rows;
  std::string text;
  char chunk[65536];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) text.append(chunk, n);
  if (pclose(pipe) != 0) return {};
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // heading
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    LevelsRow row;
    std::getline(fields, field, ',');  // column
    std::getline(fields, field, ',');  // time
    std::getline(fields, field, ',');
    row.hasTotal = !field.empty();
    if (row.hasTotal) row.totalDb = std::stod(field);
    while (std::getline(fields, field, ',')) row.codes.push_back(std::stoi(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

class OneAnalysisPathTest : public sonavue::testing::AppFixture,
                            public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
    Resize(700, 420);
    App().params.displayWidthS = 2.0F;
    App().params.displayId = app::ID_DISPLAY_SCROLL1;
    App().params.variables = app::IDM_VARIABLES_FREEZE;
  }

  // Analyses the file in the window and with levels, and compares channel
  // `channel` of the picture (stacked stereo: the left below, the right above).
  void Compare(const std::filesystem::path& path, int channel, const std::string& scale) {
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE, app::kReasonUser);
    const app::AnalysisRecord& a = App().analysis;
    ASSERT_TRUE(a.valid);
    ASSERT_GT(a.columns, 50);

    char options[256];
    std::snprintf(options, sizeof options,
                  " --rows %d --step %.9g --resolution %.9g --fft %d --scale %s --channel %s",
                  a.rows, static_cast<double>(a.columnMs), static_cast<double>(a.resolutionHz), a.fftSize,
                  scale.c_str(), channel == 0 ? "left" : "right");
    const std::vector<LevelsRow> levels = RunLevels(path.string() + options);
    ASSERT_EQ(static_cast<std::int64_t>(levels.size()), a.columns);

    const platform::DisplayBitmap& image = App().display;
    const int minDb = App().params.sonogramLevelMin;
    const int maxDb = App().params.sonogramLevelMax;
    const int half = a.channels == 2 && channel == 0 ? image.Height() / 2 : 0;
    const int channelBottom = a.channels == 2 ? image.Height() / 2 : image.Height();
    int differing = 0;
    int lit = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
      ASSERT_EQ(static_cast<int>(levels[i].codes.size()), a.rows);
      if (levels[i].hasTotal) {
        EXPECT_NEAR(levels[i].totalDb, a.totalLevels[static_cast<std::size_t>(channel)][i], 0.0006);
      }
      for (int m = 0; m < a.rows; ++m) {
        const int index = render::ClampToScale(render::LevelToColorIndex(
            static_cast<std::int16_t>(levels[i].codes[static_cast<std::size_t>(m)]), minDb, maxDb));
        const int y = half + channelBottom - a.bottomStrip - m - 1;
        const platform::Rgb expected = App().colors[static_cast<std::size_t>(index)];
        if (image.Pixel(a.leftMargin + static_cast<int>(i), y) != expected) ++differing;
        if (index > render::kBackgroundIndex) ++lit;
      }
    }
    EXPECT_EQ(differing, 0);
    // The comparison saw a picture, not an empty one.
    EXPECT_GT(lit, static_cast<int>(levels.size()) * a.rows / 50);
  }

  std::filesystem::path Make(const std::string& name, int channels) {
    const auto path = *folders_ / name;
    WavBuilder()
        .Format(1, static_cast<std::uint16_t>(channels), 48000, 16)
        .Data(WavBuilder::Pcm16(Sweep(48000, 1.5, channels)))
        .Write(path);
    return path;
  }
};

TEST_P(OneAnalysisPathTest, TheWindowAndLevelsGiveTheSameCodesOnEveryScale) {
  App().params.frequencyScaleId = GetParam();
  const std::string scale = GetParam() == app::ID_SCALE_LINEAR ? "linear"
                            : GetParam() == app::ID_SCALE_LOG  ? "log"
                                                               : "oct3";
  Compare(Make("sweep.wav", 1), 0, scale);
}

INSTANTIATE_TEST_SUITE_P(Scales, OneAnalysisPathTest,
                         ::testing::Values(app::ID_SCALE_LINEAR, app::ID_SCALE_LOG, app::ID_SCALE_OCT3));

TEST_F(OneAnalysisPathTest, TheRightChannelOfAStereoFileMatchesItsHalfOfThePicture) {
  App().params.channelsId = app::ID_CHANNELS_RIGHT;
  Compare(Make("stereo.wav", 2), 1, "linear");
}

}  // namespace
}  // namespace sonavue::engines
