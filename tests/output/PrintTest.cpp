// Print Window: the page geometry, the rendering at the print scale, and
// real PDF pages of two sizes looked at as a viewer shows them.

#include "output/PrintWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "platform/Printer.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using platform::Point;
using platform::Rgb;
using platform::Size;
using sonavue::testing::WavBuilder;

TEST(PrintPageTest, AnA4PageAt600DpiTakesAWindowAtNinetyPercentOfItsWidth) {
  const PrintPlacement p = PlanPrintPage({800, 600}, {4960, 7016});
  EXPECT_FLOAT_EQ(p.scale, 5.58F);
  EXPECT_EQ(p.output, (Size{4464, 3348}));
  EXPECT_EQ(p.at, (Point{248, 1834}));
}

TEST(PrintPageTest, TheWidthIsAMultipleOfFourAndTheImageIsCentred) {
  // Letter at 300 dpi (2550 × 3300): k = 0.9 × 2550 / 873 = 2.6288…;
  // 873 k = 2295 → 2292; 541 k = 1422.2 → 1422.
  const PrintPlacement p = PlanPrintPage({873, 541}, {2550, 3300});
  EXPECT_EQ(p.output.w % 4, 0);
  EXPECT_EQ(p.output, (Size{2292, 1422}));
  EXPECT_EQ(p.at, (Point{(2550 - 2292) / 2, (3300 - 1422) / 2}));
  // A landscape page centres the picture vertically as well.
  // k = 0.9 × 3508 / 800 = 3.9465: 3157.2 → 3157 → 3156, 2367.9 → 2368.
  const PrintPlacement wide = PlanPrintPage({800, 600}, {3508, 2480});
  EXPECT_EQ(wide.output, (Size{3156, 2368}));
  EXPECT_EQ(wide.at, (Point{176, 56}));
}

TEST(ResampleTest, EqualSizesCopyAndLargerOnesInterpolateBetweenNeighbours) {
  platform::DisplayBitmap source;
  ASSERT_TRUE(source.Allocate(2, 2));
  source.SetPixel(0, 0, {0, 0, 0});
  source.SetPixel(1, 0, {200, 100, 50});
  source.SetPixel(0, 1, {100, 100, 100});
  source.SetPixel(1, 1, {255, 255, 255});
  platform::DisplayBitmap same;
  ASSERT_TRUE(same.Allocate(2, 2));
  ResampleBilinear(source, same);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(same.Pixel(x, y), source.Pixel(x, y));
  }
  platform::DisplayBitmap larger;
  ASSERT_TRUE(larger.Allocate(3, 3));
  ResampleBilinear(source, larger);
  EXPECT_EQ(larger.Pixel(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(larger.Pixel(2, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(larger.Pixel(1, 0), (Rgb{100, 50, 25}));
  EXPECT_EQ(larger.Pixel(0, 1), (Rgb{50, 50, 50}));
  // The centre: the mean of all four, truncated.
  EXPECT_EQ(larger.Pixel(1, 1), (Rgb{138, 113, 101}));
}

// A printer that keeps what it was given.
class RecordingPrinter final : public platform::Printer {
 public:
  explicit RecordingPrinter(Size page) : page_(page) {}
  bool ChoosePrinter() override {
    ++dialogs;
    return choose;
  }
  std::optional<Size> BeginDocument(const std::string& name) override {
    documentName = name;
    return page_;
  }
  bool DrawImage(const platform::DisplayBitmap& image, Point at) override {
    imageSize = image.Dimensions();
    position = at;
    centre = image.Pixel(image.Width() / 2, image.Height() / 2);
    return true;
  }
  bool EndDocument() override {
    ++ended;
    return true;
  }
  void AbortDocument() override { ++aborted; }

  bool choose = true;
  int dialogs = 0;
  int ended = 0;
  int aborted = 0;
  std::string documentName;
  Size imageSize;
  Point position{-1, -1};
  Rgb centre;

 private:
  Size page_;
};

class PrintWindowTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override { AppFixture::SetUp(); }
  void StartWith(platform::Printer* printer) {
    app_printer_ = printer;
    Start();
    App().printer = printer;
    Resize(900, 600);
    App().params.variables = app::IDM_VARIABLES_FREEZE;
    App().params.displayWidthS = 2.0F;
  }
  void AnalyseTone(int displayId = app::ID_DISPLAY_SCROLL1) {
    const auto path = *folders_ / "tone.wav";
    std::vector<std::int16_t> samples(48000 * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * 2000.0 * i / 48000.0)));
    }
    WavBuilder().Format(1, 1, 48000, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    App().params.displayId = displayId;
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }
  Size DisplayArea() { return {App().layout.displayWidth, App().layout.displayHeight}; }

  platform::Printer* app_printer_ = nullptr;
};

TEST_F(PrintWindowTest, ThePagePlacesTheRenderedWindowAsPlanned) {
  RecordingPrinter printer({4960, 7016});
  StartWith(&printer);
  AnalyseTone();
  SendCommand(app::IDM_PRINT_WINDOW);
  EXPECT_EQ(printer.dialogs, 1);
  EXPECT_EQ(printer.documentName, "Zideduzive");
  EXPECT_EQ(printer.ended, 1);
  EXPECT_EQ(printer.aborted, 0);
  const PrintPlacement plan = PlanPrintPage(DisplayArea(), {4960, 7016});
  EXPECT_EQ(printer.imageSize, plan.output);
  EXPECT_EQ(printer.position, plan.at);
  EXPECT_NEAR(plan.output.w, 0.9 * 4960, 4.0);
}

TEST_F(PrintWindowTest, CancelOrNoPictureMeansNoPage) {
  RecordingPrinter printer({2480, 3508});
  StartWith(&printer);
  SendCommand(app::IDM_PRINT_WINDOW);  // nothing shown yet
  EXPECT_EQ(printer.dialogs, 0);
  AnalyseTone();
  printer.choose = false;
  SendCommand(app::IDM_PRINT_WINDOW);
  EXPECT_EQ(printer.dialogs, 1);
  EXPECT_TRUE(printer.documentName.empty());
  EXPECT_EQ(printer.ended, 0);
}

TEST_F(PrintWindowTest, ARenderingThatFailsPrintsNothing) {
  RecordingPrinter printer({2480, 3508});
  StartWith(&printer);
  AnalyseTone();
  int calls = 0;
  PrintWindow(App(), [&calls](app::App&, Size, platform::DisplayBitmap&) {
    ++calls;
    return false;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(printer.aborted, 1);
  EXPECT_EQ(printer.ended, 0);
  EXPECT_EQ(printer.position, (Point{-1, -1}));
}

TEST_F(PrintWindowTest, TheSonogramIsResampledAndItsAxesDrawnAtThePrintScale) {
  RecordingPrinter printer({2480, 3508});
  StartWith(&printer);
  AnalyseTone();
  const PrintPlacement plan = PlanPrintPage(DisplayArea(), {2480, 3508});
  platform::DisplayBitmap image;
  ASSERT_TRUE(RenderWindowImage(App(), plan.output, image));
  ASSERT_EQ(image.Dimensions(), plan.output);
  // The tone's row: at 2000 Hz of 0 … 6000 Hz, a third of the plot height
  // up from the time axis; in the print it lies at the same fraction.
  const app::LayoutValues& v = App().layout;
  const int plotBottom = v.displayHeight - 2 * v.charHeight;
  const int screenRow = plotBottom - 1 - static_cast<int>(std::lround((plotBottom) * 2000.0 / 6000.0));
  const int x = v.leftMargin + (v.displayWidth - v.leftMargin) / 2;
  const Rgb onScreen = App().window->Surface().Pixel(x, screenRow);
  const Rgb printed = image.Pixel(static_cast<int>(x * plan.scale), static_cast<int>(screenRow * plan.scale));
  EXPECT_NEAR(printed.r, onScreen.r, 40);
  EXPECT_NEAR(printed.g, onScreen.g, 40);
  EXPECT_NEAR(printed.b, onScreen.b, 40);
  // Axis text drawn at the print scale: the left margin holds text pixels
  // in the Text colour, far more of them than a 1:1 copy would have.
  const Rgb text = App().colors[0];
  int textPixels = 0;
  const int margin = static_cast<int>(v.leftMargin * plan.scale);
  for (int y = 0; y < image.Height(); ++y) {
    for (int xx = 0; xx < margin; ++xx) {
      if (image.Pixel(xx, y) == text) ++textPixels;
    }
  }
  EXPECT_GT(textPixels, 1000);
}

TEST_F(PrintWindowTest, AScopeIsRedrawnAtThePrintScale) {
  RecordingPrinter printer({2480, 3508});
  StartWith(&printer);
  devices_.SetSource({platform::SignalSource::Kind::Tone, 1000.0, 8000.0, -1.0, {}});
  app::CurrentParameters& p = App().params;
  p.displayId = app::ID_DISPLAY_SCOPE1;
  p.sampleRateHz = 48000;
  p.lowBandHz = 0;
  p.highBandHz = 8000;
  p.fftSize = 1024;
  p.resolutionHz = 100.0F;
  app::StoreScanParameters(p);
  devices_.SetTickHook([this](std::uint32_t now) {
    if (now > 1500) app::PostCommand(App(), app::IDC_STOP);
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(MenuEnabled(app::IDM_PRINT_WINDOW));
  SendCommand(app::IDM_PRINT_WINDOW);
  const PrintPlacement plan = PlanPrintPage(DisplayArea(), {2480, 3508});
  EXPECT_EQ(printer.imageSize, plan.output);
  EXPECT_EQ(printer.position, plan.at);
}

// A PDF page as a viewer shows it: rendered by Ghostscript at the page's own
// resolution; the bounding box of everything that is not white.
struct Box {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
};

std::optional<Box> InkBox(const std::filesystem::path& pdf, int dpi, const std::filesystem::path& work) {
  if (std::system("command -v gs >/dev/null 2>&1") != 0) return std::nullopt;
  const auto ppm = work / "page.ppm";
  const std::string command = "gs -q -dNOPAUSE -dBATCH -sDEVICE=ppmraw -r" + std::to_string(dpi) +
                              " -sOutputFile=" + ppm.string() + " " + pdf.string() + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream file(ppm, std::ios::binary);
  // "P6", then width, height and the largest value, with comment lines
  // ("# Image generated by …") anywhere between them.
  std::string magic;
  std::array<int, 3> fields{};
  file >> magic;
  for (int& field : fields) {
    while (file >> std::ws && file.peek() == '#') file.ignore(1 << 16, '\n');
    file >> field;
  }
  file.get();
  const int w = fields[0];
  const int h = fields[1];
  if (magic != "P6" || w <= 0 || h <= 0) return std::nullopt;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 3);
  file.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  Box box{w, h, -1, -1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 3];
      if (p[0] > 240 && p[1] > 240 && p[2] > 240) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

struct PdfCase {
  const char* name;
  platform::PdfPageSetup page;
};

class PdfPrintTest : public PrintWindowTest, public ::testing::WithParamInterface<PdfCase> {};

TEST_P(PdfPrintTest, ThePrintedPictureFillsNinetyPercentOfThePageWidthCentred) {
  const PdfCase& c = GetParam();
  const auto pdf = *folders_ / (std::string(c.name) + ".pdf");
  auto printer = platform::MakePdfPrinter(pdf, c.page);
  StartWith(printer.get());
  AnalyseTone();
  SendCommand(app::IDM_PRINT_WINDOW);
  printer.reset();
  ASSERT_TRUE(std::filesystem::exists(pdf));
  ASSERT_GT(std::filesystem::file_size(pdf), 1000U);

  // The printable area inside the margins, in pixels at the page's dpi.
  const double perMm = c.page.dotsPerInch / 25.4;
  const Size area{static_cast<int>(std::lround((c.page.widthMm - 2 * c.page.marginMm) * perMm)),
                  static_cast<int>(std::lround((c.page.heightMm - 2 * c.page.marginMm) * perMm))};
  const PrintPlacement plan = PlanPrintPage(DisplayArea(), area);
  const auto box = InkBox(pdf, c.page.dotsPerInch, pdf.parent_path());
  if (!box) GTEST_SKIP() << "Ghostscript is not available to look at the page";
  const int margin = static_cast<int>(std::lround(c.page.marginMm * perMm));
  EXPECT_NEAR(box->left, margin + plan.at.x, 2);
  EXPECT_NEAR(box->top, margin + plan.at.y, 2);
  EXPECT_NEAR(box->right - box->left + 1, plan.output.w, 3);
  EXPECT_NEAR(box->bottom - box->top + 1, plan.output.h, 3);
  // 90 % of the printable width, and centred: equal white on either side.
  EXPECT_NEAR(box->right - box->left + 1, 0.9 * area.w, 4.0);
  EXPECT_NEAR(box->left - margin, area.w - 1 - (box->right - margin), 3);
}

INSTANTIATE_TEST_SUITE_P(Pages, PdfPrintTest,
                         ::testing::Values(PdfCase{"a4", {210.0, 297.0, 150, 0.0}},
                                           PdfCase{"letter", {215.9, 279.4, 120, 25.4}}),
                         [](const ::testing::TestParamInfo<PdfCase>& testInfo) {
                           return std::string(testInfo.param.name);
                         });

}  // namespace
}  // namespace sonavue::output
