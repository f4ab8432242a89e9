#include "output/ScreenImage.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QXmlStreamReader>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "JpegProbe.h"
#include "app/CommandTable.h"
#include "app/WayCommands.h"
#include "context/CommandIds.h"
#include "dialogs/ImageDialog.h"
#include "plans/LevelLegendPlan.h"
#include "render/Palette.h"
#include "support/AppFixture.h"
#include "support/FileSizeLimit.h"
#include "support/WavBuilder.h"

namespace sonavue::output {
namespace {

using sonavue::testing::ProbeJpeg;
using sonavue::testing::ReadFileBytes;
using sonavue::testing::WavBuilder;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A BMP file as the test reads it back.
struct Bmp {
  std::vector<std::uint8_t> bytes;
  int width() const { return static_cast<int>(U32(bytes, 18)); }
  int height() const { return static_cast<int>(U32(bytes, 22)); }
  std::size_t RowBytes() const { return (3 * static_cast<std::size_t>(width()) + 3) / 4 * 4; }
  // The pixel at x, y counted from the top, as red, green, blue.
  platform::Rgb At(int x, int y) const {
    const std::size_t at = 58 + static_cast<std::size_t>(height() - 1 - y) * RowBytes() + 3 * static_cast<std::size_t>(x);
    return {bytes[at + 2], bytes[at + 1], bytes[at]};
  }
};

class ScreenImageTest : public sonavue::testing::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartPictureWindow();
  }

  // A mono 48 kHz file: a tone that steps from 2 kHz to 6 kHz halfway.
  void AnalyzeTone(double seconds) {
    const int rate = 48000;
    const int count = static_cast<int>(rate * seconds);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const double f = i < count / 2 ? 2000.0 : 6000.0;
      samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * f * i / rate)));
    }
    const auto path = *folders_ / "tone.wav";
    WavBuilder().Format(1, 1, rate, 16).Data(WavBuilder::Pcm16(samples)).Write(path);
    prompts_.QueueFile({path.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    ASSERT_TRUE(App().analysis.valid);
  }

  // Answers the next "Image Characteristics" dialog: work on its model, then OK.
  void AnswerImageDialog(const std::function<void(dialogs::ImageDialogModel&)>& work, bool ok = true) {
    prompts_.QueueDialog([work, ok](platform::ModalDialog& shown) {
      auto& dialog = dynamic_cast<dialogs::ImageDialog&>(shown);
      if (work) work(dialog.Model());
      return ok;
    });
  }

  // Saves through the menu command into path, with the dialog worked by work.
  void Save(int command, const std::filesystem::path& path,
            const std::function<void(dialogs::ImageDialogModel&)>& work) {
    AnswerImageDialog(work);
    prompts_.QueueFile({path.string()});
    SendCommand(command);
  }

  static void Bitmap(dialogs::ImageDialogModel& m) { m.Click(app::ID_IMAGE_BITMAP); }

  int W() { return App().layout.displayWidth; }
  int H() { return App().layout.displayHeight; }
  int Mx() { return App().layout.leftMargin; }
  int PlotBottom() { return H() - 2 * App().layout.charHeight; }

  // Makes the display area exactly w × h pixels.
  bool SetDisplaySize(int w, int h) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (W() == w && H() == h) return true;
      const platform::Rect r = Window().WindowRect();
      Resize(r.w + (w - W()), r.h + (h - H()));
    }
    return W() == w && H() == h;
  }
};

TEST_F(ScreenImageTest, TheWindowSavedAsBitmapHasTheHeaderAndTheDisplayPixels) {
  AnalyzeTone(1.5);
  const auto path = *folders_ / "window.bmp";
  Save(app::IDM_SAVE_IMAGE_WINDOW, path, &Bitmap);
  const Bmp bmp{ReadFileBytes(path)};
  ASSERT_GT(bmp.bytes.size(), 58U);
  const int w = W();
  const int h = H();
  const std::size_t pad = (4 - (3 * static_cast<std::size_t>(w)) % 4) % 4;
  EXPECT_EQ(bmp.bytes.size(), 58 + static_cast<std::size_t>(h) * (3 * static_cast<std::size_t>(w) + pad));
  EXPECT_EQ(bmp.bytes[0], 'B');
  EXPECT_EQ(bmp.bytes[1], 'M');
  EXPECT_EQ(U32(bmp.bytes, 2), bmp.bytes.size());
  EXPECT_EQ(U32(bmp.bytes, 10), 58U);
  EXPECT_EQ(U32(bmp.bytes, 14), 40U);
  EXPECT_EQ(bmp.width(), w);
  EXPECT_EQ(bmp.height(), h);
  EXPECT_EQ(U16(bmp.bytes, 26), 1);
  EXPECT_EQ(U16(bmp.bytes, 28), 24);
  for (std::size_t at = 30; at < 58; ++at) EXPECT_EQ(bmp.bytes[at], 0) << at;

  // At the window's own size the plot is the display image, pixel for pixel.
  const platform::DisplayBitmap& display = App().display;
  const int offset = App().render.view.horizontalOffset;
  int differing = 0;
  for (int y = 2; y < PlotBottom() - 2; ++y) {
    for (int x = Mx() + 2; x < w - 3; ++x) {
      if (bmp.At(x, y) != display.Pixel(x + offset, y)) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
  // The tone is in the picture, not only background.
  const platform::Rgb background = App().colors[render::kBackgroundIndex];
  int tone = 0;
  for (int y = 0; y < PlotBottom(); ++y) tone += bmp.At(Mx() + 20, y) != background ? 1 : 0;
  EXPECT_GT(tone, 0);
}

TEST_F(ScreenImageTest, APngNameGivesThePictureWithTheLevelLegendAtItsRight) {
  AnalyzeTone(1.5);
  const auto bmpPath = *folders_ / "same.bmp";
  Save(app::IDM_SAVE_IMAGE_WINDOW, bmpPath, &Bitmap);
  const Bmp bmp{ReadFileBytes(bmpPath)};
  const auto pngPath = *folders_ / "legend.PNG";
  Save(app::IDM_SAVE_IMAGE_WINDOW, pngPath, &Bitmap);
  const std::vector<std::uint8_t> bytes = ReadFileBytes(pngPath);
  ASSERT_GT(bytes.size(), 8U);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  QImage png;
  ASSERT_TRUE(png.load(QString::fromStdString(pngPath.string()), "PNG"));
  png = png.convertToFormat(QImage::Format_RGB888);
  const int w = bmp.width();
  ASSERT_EQ(png.height(), bmp.height());
  ASSERT_GT(png.width(), w + 40);
  const auto at = [&png](int x, int y) {
    const QRgb c = png.pixel(x, y);
    return platform::Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                         static_cast<std::uint8_t>(qBlue(c))};
  };
  // The picture itself is the bitmap's, pixel for pixel.
  int differing = 0;
  for (int y = 0; y < png.height(); y += 3) {
    for (int x = 0; x < w; x += 3) differing += at(x, y) != bmp.At(x, y) ? 1 : 0;
  }
  EXPECT_EQ(differing, 0);
  // The bar: some column of the strip runs from the lowest scale colour at
  // the bottom to the highest at the top, through the palette's colours.
  const platform::ColorTable& colors = App().colors;
  int barX = -1;
  for (int x = w; x < png.width() && barX < 0; ++x) {
    bool top = false;
    bool bottom = false;
    for (int y = 0; y < png.height(); ++y) {
      top = top || at(x, y) == colors[render::kLastScaleIndex];
      bottom = bottom || at(x, y) == colors[render::kFirstScaleIndex];
    }
    if (top && bottom) barX = x;
  }
  ASSERT_GE(barX, 0) << "no colour bar";
  int topY = -1;
  int bottomY = -1;
  for (int y = 0; y < png.height(); ++y) {
    if (topY < 0 && at(barX, y) == colors[render::kLastScaleIndex]) topY = y;
    if (at(barX, y) == colors[render::kFirstScaleIndex]) bottomY = y;
  }
  EXPECT_LT(topY, bottomY);
  EXPECT_EQ(at(barX, (topY + bottomY) / 2), colors[120]);
  // Labels beside it (antialiased text: anything but the Background).
  int text = 0;
  for (int y = 0; y < png.height(); ++y) {
    for (int x = barX + 20; x < png.width(); ++x) text += at(x, y) != colors[render::kBackgroundIndex] ? 1 : 0;
  }
  EXPECT_GT(text, 100);
  EXPECT_TRUE(TakeBoxes().empty());

  // Without the legend it is the picture alone.
  App().image.pngLegend = false;
  Save(app::IDM_SAVE_IMAGE_WINDOW, *folders_ / "plain.png", &Bitmap);
  QImage plain;
  ASSERT_TRUE(plain.load(QString::fromStdString((*folders_ / "plain.png").string()), "PNG"));
  EXPECT_EQ(plain.width(), w);
}

// An SVG file as the test reads it back.
struct Svg {
  bool parsed = false;
  int width = 0;
  int height = 0;
  int images = 0;
  QImage image;  // the embedded picture, decoded
  std::vector<std::string> texts;
  int lines = 0;
};

Svg ReadSvg(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  QXmlStreamReader xml(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  Svg svg;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QString name = xml.name().toString();
    if (name == "svg") {
      svg.width = xml.attributes().value("width").toInt();
      svg.height = xml.attributes().value("height").toInt();
    } else if (name == "image") {
      ++svg.images;
      const QString href = xml.attributes().value("http://www.w3.org/1999/xlink", "href").toString();
      const QString prefix = "data:image/png;base64,";
      if (href.startsWith(prefix)) {
        svg.image.loadFromData(QByteArray::fromBase64(href.mid(prefix.size()).toLatin1()), "PNG");
        svg.image = svg.image.convertToFormat(QImage::Format_RGB888);
      }
    } else if (name == "line") {
      ++svg.lines;
    } else if (name == "text") {
      svg.texts.push_back(xml.readElementText().toStdString());
    }
  }
  svg.parsed = !xml.hasError();
  return svg;
}

platform::Rgb PixelOf(const QImage& image, int x, int y) {
  const QRgb c = image.pixel(x, y);
  return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)), static_cast<std::uint8_t>(qBlue(c))};
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(ScreenImageTest, AnSvgNameKeepsTheTextAsTextAndThePictureAsItsPngPixels) {
  App().frame.grid = false;
  AnalyzeTone(1.5);
  const auto pngPath = *folders_ / "same.png";
  Save(app::IDM_SAVE_IMAGE_WINDOW, pngPath, &Bitmap);
  QImage png;
  ASSERT_TRUE(png.load(QString::fromStdString(pngPath.string()), "PNG"));
  png = png.convertToFormat(QImage::Format_RGB888);
  const auto svgPath = *folders_ / "legend.SVG";
  Save(app::IDM_SAVE_IMAGE_WINDOW, svgPath, &Bitmap);
  EXPECT_TRUE(TakeBoxes().empty());

  const Svg svg = ReadSvg(svgPath);
  ASSERT_TRUE(svg.parsed);
  EXPECT_EQ(svg.images, 1);
  EXPECT_EQ(svg.width, png.width());
  EXPECT_EQ(svg.height, png.height());
  ASSERT_EQ(svg.image.width(), png.width());
  ASSERT_EQ(svg.image.height(), png.height());
  // The sonogram is the PNG file's, pixel for pixel (the axes and the
  // legend's ticks are lines of the SVG, drawn over it).
  int differing = 0;
  for (int y = 2; y < PlotBottom() - 2; ++y) {
    for (int x = Mx() + 2; x < W() - 3; ++x) differing += PixelOf(svg.image, x, y) != PixelOf(png, x, y) ? 1 : 0;
  }
  EXPECT_EQ(differing, 0);
  // The margins hold no text pixels: the labels are <text> elements.
  const platform::Rgb background = App().colors[render::kBackgroundIndex];
  int marks = 0;
  for (int y = 0; y < PlotBottom(); ++y) {
    for (int x = 0; x < Mx() - 2; ++x) marks += PixelOf(svg.image, x, y) != background ? 1 : 0;
  }
  EXPECT_EQ(marks, 0);
  EXPECT_GT(svg.lines, 0);
  // The legend's Min and Max and the axes' numbers are text.
  const app::CurrentParameters& p = App().params;
  const std::vector<std::string> legend =
      render::LevelLegendTexts(p.sonogramLevelMin, p.sonogramLevelMax, p.splCalibrated);
  EXPECT_TRUE(Contains(svg.texts, legend.front())) << legend.front();
  EXPECT_TRUE(Contains(svg.texts, legend.back())) << legend.back();
  int numbers = 0;
  for (const std::string& text : svg.texts) numbers += !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) ? 1 : 0;
  EXPECT_GE(numbers, 4);

  // Without the legend: the picture alone, no legend text.
  App().image.pngLegend = false;
  const auto plainPath = *folders_ / "plain.svg";
  Save(app::IDM_SAVE_IMAGE_WINDOW, plainPath, &Bitmap);
  const Svg plain = ReadSvg(plainPath);
  ASSERT_TRUE(plain.parsed);
  EXPECT_EQ(plain.width, W());
  EXPECT_FALSE(Contains(plain.texts, legend.back()));
}

// Renders an SVG file with rsvg-convert into png; false when it failed.
bool RenderSvg(const std::filesystem::path& svg, const std::filesystem::path& png) {
  const std::string command = "rsvg-convert -o '" + png.string() + "' '" + svg.string() + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

TEST_F(ScreenImageTest, AnSvgRenderedByARealRendererShowsTheSamePicture) {
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "rsvg-convert is not installed";
  App().frame.grid = false;
  AnalyzeTone(1.5);
  const auto pngPath = *folders_ / "same.png";
  Save(app::IDM_SAVE_IMAGE_WINDOW, pngPath, [this](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(2 * W());
  });
  const auto svgPath = *folders_ / "same.svg";
  Save(app::IDM_SAVE_IMAGE_WINDOW, svgPath, [this](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(2 * W());
  });
  const auto renderedPath = *folders_ / "rendered.png";
  ASSERT_TRUE(RenderSvg(svgPath, renderedPath));
  QImage png;
  QImage rendered;
  ASSERT_TRUE(png.load(QString::fromStdString(pngPath.string()), "PNG"));
  ASSERT_TRUE(rendered.load(QString::fromStdString(renderedPath.string()), "PNG"));
  png = png.convertToFormat(QImage::Format_RGB888);
  rendered = rendered.convertToFormat(QImage::Format_RGB888);
  ASSERT_EQ(rendered.width(), png.width());
  ASSERT_EQ(rendered.height(), png.height());
  // The sonogram area, pixel for pixel: the picture is not smoothed.
  int differing = 0;
  int compared = 0;
  for (int y = 4; y < 2 * PlotBottom() - 4; ++y) {
    for (int x = 2 * Mx() + 4; x < 2 * W() - 6; ++x) {
      ++compared;
      differing += PixelOf(rendered, x, y) != PixelOf(png, x, y) ? 1 : 0;
    }
  }
  EXPECT_GT(compared, 100000);
  EXPECT_EQ(differing, 0);
  // The labels and the legend are drawn: the margin and the legend strip
  // are not only background.
  const platform::Rgb background = App().colors[render::kBackgroundIndex];
  int margin = 0;
  for (int y = 0; y < 2 * PlotBottom(); ++y) {
    for (int x = 0; x < 2 * Mx() - 8; ++x) margin += PixelOf(rendered, x, y) != background ? 1 : 0;
  }
  EXPECT_GT(margin, 100);
  int legend = 0;
  for (int y = 0; y < rendered.height(); ++y) {
    for (int x = 2 * W(); x < rendered.width(); ++x) legend += PixelOf(rendered, x, y) != background ? 1 : 0;
  }
  EXPECT_GT(legend, 1000);
}

TEST_F(ScreenImageTest, AnEightHundredBySixHundredDisplaySavedAsBitmapIsOneMillionFourHundredFortyThousandAndFiftyEightBytes) {
  ASSERT_TRUE(SetDisplaySize(800, 600));
  AnalyzeTone(1.0);
  const auto path = *folders_ / "w.bmp";
  Save(app::IDM_SAVE_IMAGE_WINDOW, path, [](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(800);
  });
  EXPECT_EQ(ReadFileBytes(path).size(), 1440058U);
}

TEST_F(ScreenImageTest, AJpegAtTwiceTheWidthDecodesToTwiceTheSizeWithItsDensityAndColours) {
  AnalyzeTone(1.5);
  const auto bmpPath = *folders_ / "twice.bmp";
  const auto jpgPath = *folders_ / "twice.jpg";
  // The JPEG first: "bitmap" would leave the unit at "Pixels".
  Save(app::IDM_SAVE_IMAGE_WINDOW, jpgPath, [this](dialogs::ImageDialogModel& m) { m.SetWidthPixels(2 * W()); });
  Save(app::IDM_SAVE_IMAGE_WINDOW, bmpPath, [this](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(2 * W());
  });
  const auto jpegBytes = ReadFileBytes(jpgPath);
  const auto headers = ProbeJpeg(jpegBytes);
  EXPECT_EQ(headers.width, 2 * W());
  EXPECT_EQ(headers.height, 2 * H());
  // The defaults: inches at 300 dots per inch.
  EXPECT_EQ(headers.densityUnit, 1);
  EXPECT_EQ(headers.xDensity, 300);
  EXPECT_EQ(headers.yDensity, 300);

  QImage jpeg;
  ASSERT_TRUE(jpeg.loadFromData(jpegBytes.data(), static_cast<int>(jpegBytes.size()), "JPEG"));
  const Bmp bmp{ReadFileBytes(bmpPath)};
  ASSERT_EQ(bmp.width(), jpeg.width());
  ASSERT_EQ(bmp.height(), jpeg.height());
  double total = 0.0;
  long count = 0;
  for (int y = 0; y < bmp.height(); y += 3) {
    for (int x = 0; x < bmp.width(); x += 3) {
      const platform::Rgb a = bmp.At(x, y);
      const QRgb b = jpeg.pixel(x, y);
      total += std::abs(a.r - qRed(b)) + std::abs(a.g - qGreen(b)) + std::abs(a.b - qBlue(b));
      count += 3;
    }
  }
  EXPECT_LT(total / static_cast<double>(count), 4.0);
}

TEST_F(ScreenImageTest, TheOutputKeepsTheSourceShapeAndIsNeverSmallerThanTheSource) {
  AnalyzeTone(1.0);
  const auto path = *folders_ / "size.bmp";
  Save(app::IDM_SAVE_IMAGE_WINDOW, path, [](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(100);
  });
  Bmp bmp{ReadFileBytes(path)};
  EXPECT_EQ(bmp.width(), W());
  EXPECT_EQ(bmp.height(), H());

  const int wide = W() * 3 / 2 + 1;
  Save(app::IDM_SAVE_IMAGE_WINDOW, path, [wide](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(wide);
  });
  bmp = Bmp{ReadFileBytes(path)};
  EXPECT_EQ(bmp.width(), wide);
  EXPECT_EQ(bmp.height(), static_cast<int>(static_cast<long long>(wide) * H() / W()));
  EXPECT_EQ(App().image.outputWidth, wide);
}

TEST_F(ScreenImageTest, TheAxesAreDrawnAgainAtTheOutputScale) {
  AnalyzeTone(1.0);
  const auto path = *folders_ / "scaled.bmp";
  Save(app::IDM_SAVE_IMAGE_WINDOW, path, [this](dialogs::ImageDialogModel& m) {
    m.Click(app::ID_IMAGE_BITMAP);
    m.SetWidthPixels(3 * W());
  });
  const Bmp bmp{ReadFileBytes(path)};
  ASSERT_EQ(bmp.width(), 3 * W());
  const platform::Rgb background = App().colors[render::kBackgroundIndex];
  const platform::Rgb text = App().colors[render::kTextIndex];
  // The frame of the plot is three pixels wide at three times the size and
  // ends in the text colour, as drawn, not blurred by the resampling.
  const int y = 3 * PlotBottom() / 2;
  int frame = 0;
  for (int x = 3 * Mx() - 8; x < 3 * Mx() + 4; ++x) frame += bmp.At(x, y) == text ? 1 : 0;
  EXPECT_EQ(frame, 3);
  // The margin of the source picture is empty: the labels in the output's
  // margin were drawn at its scale, as tall as three screen labels.
  int top = -1;
  int bottom = -1;
  for (int row = 0; row < 3 * PlotBottom(); ++row) {
    for (int x = 0; x < 3 * Mx() - 6; ++x) {
      if (bmp.At(x, row) != background) {
        if (top < 0) top = row;
        bottom = row;
      }
    }
  }
  ASSERT_GE(top, 0);
  EXPECT_GT(bottom, top);
}

TEST_F(ScreenImageTest, AStereoChannelIsSavedFromItsHalfOfThePicture) {
  // Left 2 kHz, right 6 kHz.
  const int rate = 48000;
  std::vector<std::int16_t> samples;
  for (int i = 0; i < rate; ++i) {
    samples.push_back(static_cast<std::int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 2000.0 * i / rate))));
    samples.push_back(static_cast<std::int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 6000.0 * i / rate))));
  }
  const auto wav = *folders_ / "stereo.wav";
  WavBuilder().Format(1, 2, rate, 16).Data(WavBuilder::Pcm16(samples)).Write(wav);
  for (const int channels : {app::ID_CHANNELS_LEFT, app::ID_CHANNELS_RIGHT}) {
    App().params.channelsId = channels;
    prompts_.QueueFile({wav.string()});
    SendCommand(app::IDM_ANALYZE_FILE);
    ASSERT_EQ(App().display.Height(), 2 * H());
    const auto path = *folders_ / "channel.bmp";
    Save(app::IDM_SAVE_IMAGE_WINDOW, path, &Bitmap);
    const Bmp bmp{ReadFileBytes(path)};
    ASSERT_EQ(bmp.height(), H());
    // The right channel is the upper half of the picture, the left the lower.
    const int top = channels == app::ID_CHANNELS_RIGHT ? 0 : H();
    int differing = 0;
    for (int y = 2; y < PlotBottom() - 2; ++y) {
      for (int x = Mx() + 2; x < W() - 3; x += 5) {
        if (bmp.At(x, y) != App().display.Pixel(x, top + y)) ++differing;
      }
    }
    EXPECT_EQ(differing, 0) << channels;
  }
}

TEST_F(ScreenImageTest, TheEntireSonogramHoldsEveryColumn) {
  App().params.displayWidthS = 0.5F;  // the columns of 2 s do not fit the window
  AnalyzeTone(2.0);
  const int columns = static_cast<int>(App().analysis.columns);
  ASSERT_GT(columns, W() - Mx());
  const auto path = *folders_ / "entire.bmp";
  Save(app::IDM_SAVE_IMAGE_ENTIRE, path, &Bitmap);
  const Bmp bmp{ReadFileBytes(path)};
  EXPECT_EQ(bmp.width(), columns + Mx());
  EXPECT_EQ(bmp.height(), H());
  // First and last columns of the sonogram, whatever the window shows.
  const platform::DisplayBitmap& display = App().display;
  for (const int x : {Mx() + 1, Mx() + columns / 2, Mx() + columns - 3}) {
    for (int y = 2; y < PlotBottom() - 2; y += 7) {
      EXPECT_EQ(bmp.At(x, y), display.Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST_F(ScreenImageTest, CancellingTheDialogOrTheChooserWritesNothing) {
  AnalyzeTone(1.0);
  AnswerImageDialog(nullptr, false);
  SendCommand(app::IDM_SAVE_IMAGE_WINDOW);
  EXPECT_TRUE(prompts_.Choosers().empty() || prompts_.Choosers().back().title != "Save JPEG Image File");
  AnswerImageDialog(nullptr);
  prompts_.QueueFileCancel();
  SendCommand(app::IDM_SAVE_IMAGE_WINDOW);
  EXPECT_EQ(prompts_.Choosers().back().title, "Save JPEG Image File");
  std::size_t images = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folders_->Path())) {
    images += entry.path().extension() == ".jpg" ? 1 : 0;
  }
  EXPECT_EQ(images, 0U);
}

TEST_F(ScreenImageTest, WithoutAPictureThereIsNothingToSave) {
  SendCommand(app::IDM_SAVE_IMAGE_WINDOW);
  SendCommand(app::IDM_SAVE_IMAGE_ENTIRE);
  EXPECT_TRUE(prompts_.Dialogs().empty());
}

TEST_F(ScreenImageTest, TheChosenFolderIsWhereTheNextImageChooserStarts) {
  AnalyzeTone(1.0);
  std::filesystem::create_directory(*folders_ / "pictures");
  Save(app::IDM_SAVE_IMAGE_WINDOW, *folders_ / "pictures" / "a.bmp", &Bitmap);
  EXPECT_TRUE(std::filesystem::exists(*folders_ / "pictures" / "a.bmp"));
  Save(app::IDM_SAVE_IMAGE_WINDOW, *folders_ / "b.bmp", &Bitmap);
  EXPECT_EQ(prompts_.Choosers().back().title, "Save Bitmap");
  EXPECT_EQ(prompts_.Choosers().back().startFolder, (*folders_ / "pictures").string());
  EXPECT_EQ(prompts_.Choosers().back().defaultExtension, "bmp");
}

// The message of a failure, and that it left the earlier file alone.
class ScreenImageFailureTest : public ScreenImageTest {
 protected:
  void ExpectRefused(const std::filesystem::path& path, const std::string& text, platform::BoxIcon icon,
                     const std::string& caption) {
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].icon, icon);
    EXPECT_EQ(boxes[0].caption, caption);
    EXPECT_EQ(ReadFileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path.parent_path())) ++files;
    EXPECT_EQ(files, 1U) << "a partial file was left";
  }
  // Saves with memory limits, straight through the command's code.
  SaveResult SaveLimited(const std::filesystem::path& path, bool jpeg, const ImageMemoryLimits& limits) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "old";
    prompts_.QueueFile({path.string()});
    return SaveScreenImage(App(), ImageCommand::CurrentWindow, [jpeg](app::App& app, const ImageSource& source) {
      app.image.formatId = jpeg ? app::ID_IMAGE_JPEG : app::ID_IMAGE_BITMAP;
      app.image.outputWidth = 2 * source.width;
      return true;
    }, limits);
  }
};

TEST_F(ScreenImageFailureTest, AFileThatCannotBeCreatedIsReported) {
  AnalyzeTone(1.0);
  AnswerImageDialog(&Bitmap);
  prompts_.QueueFile({(*folders_ / "no such folder" / "a.bmp").string()});
  SendCommand(app::IDM_SAVE_IMAGE_WINDOW);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Warning);
  EXPECT_EQ(boxes[0].caption, "Sonavue");
}

TEST_F(ScreenImageFailureTest, EachBufferThatCannotBeHadHasItsMessage) {
  AnalyzeTone(1.0);
  const auto path = *folders_ / "m" / "a.img";
  ImageMemoryLimits limits;
  limits.outputImage = 1000;
  EXPECT_EQ(SaveLimited(path, true, limits), SaveResult::Failed);
  ExpectRefused(path, "Not Enough Memory To Save Image", platform::BoxIcon::Error, "Sonavue");

  limits = {};
  limits.sourceImage = 1000;
  EXPECT_EQ(SaveLimited(path, true, limits), SaveResult::Failed);
  ExpectRefused(path, "Not Enough Memory For Bitmap", platform::BoxIcon::Error, "Sonavue");

  limits = {};
  limits.compressedImage = 5000;
  EXPECT_EQ(SaveLimited(path, true, limits), SaveResult::Failed);
  ExpectRefused(path, "Not Enough Memory", platform::BoxIcon::Warning, "KORV");

  limits = {};
  limits.bitmapBuffer = 5000;  // less than one row
  EXPECT_EQ(SaveLimited(path, false, limits), SaveResult::Failed);
  ExpectRefused(path, "Not Enough Memory", platform::BoxIcon::Warning, "KORV");

  // With room for everything the same save succeeds.
  EXPECT_EQ(SaveLimited(path, false, {}), SaveResult::Saved);
  EXPECT_EQ(ReadFileBytes(path).size(), 58 + static_cast<std::size_t>(2 * H()) * ((6 * static_cast<std::size_t>(W()) + 3) / 4 * 4));
}

TEST_F(ScreenImageFailureTest, AWriteCutShortIsAnErrorAndNotASave) {
  AnalyzeTone(1.0);
  const auto path = *folders_ / "full" / "a.img";
  {
    // Room for the header and some rows, as on a disk that fills up.
    const sonavue::testing::FileSizeLimit full(20000);
    EXPECT_EQ(SaveLimited(path, false, {}), SaveResult::Failed);
  }
  ExpectRefused(path, "Error Writing File", platform::BoxIcon::Error, "Sonavue");
}

TEST_F(ScreenImageFailureTest, AnSvgWriteCutShortLeavesTheEarlierFile) {
  AnalyzeTone(1.0);
  const auto path = *folders_ / "fullsvg" / "a.svg";
  {
    const sonavue::testing::FileSizeLimit full(20000);
    EXPECT_EQ(SaveLimited(path, false, {}), SaveResult::Failed);
  }
  ExpectRefused(path, "Error Writing File", platform::BoxIcon::Error, "Sonavue");
  // With room the same save is a whole SVG file.
  EXPECT_EQ(SaveLimited(path, false, {}), SaveResult::Saved);
  const Svg svg = ReadSvg(path);
  EXPECT_TRUE(svg.parsed);
  EXPECT_EQ(svg.images, 1);
}

TEST_F(ScreenImageFailureTest, EveryFailureHasItsOwnBox) {
  struct Expected {
    ImageFailure failure;
    const char* text;
    platform::BoxIcon icon;
    const char* caption;
  };
  const Expected table[] = {
      {ImageFailure::CannotOpen, "Cannot Open File", platform::BoxIcon::Warning, "Sonavue"},
      {ImageFailure::NoOutputMemory, "Not Enough Memory To Save Image", platform::BoxIcon::Error, "Sonavue"},
      {ImageFailure::NoSourceMemory, "Not Enough Memory For Bitmap", platform::BoxIcon::Error, "Sonavue"},
      {ImageFailure::NoBufferMemory, "Not Enough Memory", platform::BoxIcon::Warning, "KORV"},
      {ImageFailure::PixelsUnreadable, "Bitmap Error", platform::BoxIcon::Error, "Sonavue"},
      {ImageFailure::WriteFailed, "Error Writing File", platform::BoxIcon::Error, "Sonavue"},
  };
  for (const Expected& e : table) {
    ReportImageFailure(App(), e.failure);
    const auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, e.text);
    EXPECT_EQ(boxes[0].icon, e.icon);
    EXPECT_EQ(boxes[0].caption, e.caption);
  }
}

}  // namespace
}  // namespace sonavue::output
