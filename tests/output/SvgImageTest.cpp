#include "output/SvgImage.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QXmlStreamReader>
#include <string>
#include <vector>

#include "platform/PngFile.h"

namespace sonavue::output {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(SvgImageTest, Base64FollowsTheStandardVectorsWithPadding) {
  EXPECT_EQ(Base64(Bytes("")), "");
  EXPECT_EQ(Base64(Bytes("f")), "Zg==");
  EXPECT_EQ(Base64(Bytes("fo")), "Zm8=");
  EXPECT_EQ(Base64(Bytes("foo")), "Zm9v");
  EXPECT_EQ(Base64(Bytes("foob")), "Zm9vYg==");
  EXPECT_EQ(Base64(Bytes("fooba")), "Zm9vYmE=");
  EXPECT_EQ(Base64(Bytes("foobar")), "Zm9vYmFy");
  // Every byte value round-trips through Qt's decoder.
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 256 * 3 + 1; ++i) all.push_back(static_cast<std::uint8_t>(i * 7 + 3));
  const QByteArray decoded = QByteArray::fromBase64(QByteArray::fromStdString(Base64(all)));
  EXPECT_EQ(std::vector<std::uint8_t>(decoded.begin(), decoded.end()), all);
}

TEST(SvgImageTest, EscapingKeepsMarkupCharactersAsText) {
  EXPECT_EQ(EscapeXml("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&apos;f");
  EXPECT_EQ(EscapeXml(std::string("x\x01y\tz", 5)), "xy\tz");
  EXPECT_EQ(EscapeXml("-90.00 dB"), "-90.00 dB");
}

// The recorded drawing as a document a reader parses back: the text and
// the font family exactly as drawn, and the picture's pixels in its image.
TEST(SvgImageTest, ARecordedDrawingParsesBackWithItsTextAndPixels) {
  platform::DisplayBitmap picture;
  ASSERT_TRUE(picture.Allocate(13, 7));
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) {
      picture.SetPixel(x, y, {static_cast<std::uint8_t>(x * 19), static_cast<std::uint8_t>(y * 31), 77});
    }
  }
  SvgDrawing drawing;
  picture.BindRecorder(&drawing);
  // Drawn through the recorder, nothing reaches the pixels.
  picture.FillRect({0, 0, 13, 7}, {1, 2, 3});
  picture.Line({0, 0}, {12, 6}, {4, 5, 6}, 2);
  const std::string awkward = "<Max> & \"Min\" 'dB'";
  picture.Text({2, 1}, awkward, {"Liberation \"Sans\" & <Co>", 11, 700}, {7, 8, 9});
  picture.BindRecorder(nullptr);
  EXPECT_EQ(picture.Pixel(0, 0), (platform::Rgb{0, 0, 77}));
  EXPECT_EQ(picture.Pixel(12, 6), (platform::Rgb{228, 186, 77}));

  std::vector<std::uint8_t> png;
  ASSERT_TRUE(platform::EncodePng(picture, png));
  const std::string document = drawing.Document(13, 7, png);
  QXmlStreamReader xml(QByteArray::fromStdString(document));
  int images = 0;
  int rects = 0;
  int lines = 0;
  std::vector<std::string> texts;
  std::vector<std::string> families;
  QImage embedded;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto name = xml.name().toString();
    if (name == "svg") {
      EXPECT_EQ(xml.attributes().value("width").toString(), "13");
      EXPECT_EQ(xml.attributes().value("height").toString(), "7");
    } else if (name == "image") {
      ++images;
      const QString href = xml.attributes().value("http://www.w3.org/1999/xlink", "href").toString();
      ASSERT_TRUE(href.startsWith("data:image/png;base64,"));
      EXPECT_TRUE(xml.attributes().value("style").toString().contains("pixelated"));
      embedded.loadFromData(QByteArray::fromBase64(href.mid(22).toLatin1()), "PNG");
    } else if (name == "rect") {
      ++rects;
      EXPECT_EQ(xml.attributes().value("fill").toString(), "#010203");
    } else if (name == "line") {
      ++lines;
      EXPECT_EQ(xml.attributes().value("stroke-width").toString(), "2");
      EXPECT_EQ(xml.attributes().value("x2").toString(), "12.5");
    } else if (name == "text") {
      EXPECT_EQ(xml.attributes().value("font-weight").toString(), "bold");
      EXPECT_EQ(xml.attributes().value("font-size").toString(), "11px");
      families.push_back(xml.attributes().value("font-family").toString().toStdString());
      texts.push_back(xml.readElementText().toStdString());
    }
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(images, 1);
  EXPECT_EQ(rects, 1);
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(texts, std::vector<std::string>{awkward});
  EXPECT_EQ(families, std::vector<std::string>{"Liberation \"Sans\" & <Co>"});
  ASSERT_EQ(embedded.width(), 13);
  ASSERT_EQ(embedded.height(), 7);
  int differing = 0;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) {
      const QRgb c = embedded.pixel(x, y);
      const platform::Rgb p = picture.Pixel(x, y);
      differing += qRed(c) != p.r || qGreen(c) != p.g || qBlue(c) != p.b ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace sonavue::output
