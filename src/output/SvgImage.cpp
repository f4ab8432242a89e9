#include "output/SvgImage.h"

#include <cstdio>

namespace sonavue::output {
namespace {

using platform::Rgb;

std::string ColorText(Rgb color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", color.r, color.g, color.b);
  return text;
}

// The centre of pixel v: lines run through pixel centres.
std::string Centre(int v) {
  char text[24];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(v) + 0.5);
  return text;
}

}  // namespace

void SvgDrawing::FillRect(const platform::Rect& rect, Rgb color) {
  if (rect.w <= 0 || rect.h <= 0) return;
  elements_ += "<rect x=\"" + std::to_string(rect.x) + "\" y=\"" + std::to_string(rect.y) + "\" width=\"" +
               std::to_string(rect.w) + "\" height=\"" + std::to_string(rect.h) + "\" fill=\"" +
               ColorText(color) + "\"/>\n";
}

void SvgDrawing::Line(platform::Point from, platform::Point to, Rgb color, int width) {
  // Square caps reach half the pen past each end, so a hairline covers
  // both end pixels as the bitmap's lines do.
  elements_ += "<line x1=\"" + Centre(from.x) + "\" y1=\"" + Centre(from.y) + "\" x2=\"" + Centre(to.x) +
               "\" y2=\"" + Centre(to.y) + "\" stroke=\"" + ColorText(color) + "\" stroke-width=\"" +
               std::to_string(width) + "\" stroke-linecap=\"square\"/>\n";
}

void SvgDrawing::Text(platform::Point origin, int baseline, const std::string& text,
                      const platform::FontSpec& font, Rgb color) {
  if (text.empty()) return;
  elements_ += "<text x=\"" + std::to_string(origin.x) + "\" y=\"" + std::to_string(baseline) +
               "\" font-family=\"" + EscapeXml(font.family) + "\" font-size=\"" +
               std::to_string(font.pixelHeight) + "px\"" + (font.weight >= 700 ? " font-weight=\"bold\"" : "") +
               " fill=\"" + ColorText(color) + "\" xml:space=\"preserve\">" + EscapeXml(text) + "</text>\n";
}

std::string SvgDrawing::Document(int width, int height, std::span<const std::uint8_t> png) const {
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  std::string document;
  document.reserve(elements_.size() + png.size() * 4 / 3 + 1024);
  document += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  document += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
              "version=\"1.1\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
  document += "<image x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h +
              "\" preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
              "style=\"image-rendering:pixelated\" xlink:href=\"data:image/png;base64,";
  document += Base64(png);
  document += "\"/>\n<g shape-rendering=\"crispEdges\">\n";
  document += elements_;
  document += "</g>\n</svg>\n";
  return document;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
        break;
    }
  }
  return out;
}

std::string Base64(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    const std::uint32_t v = (std::uint32_t{bytes[i]} << 16) | (rest == 2 ? std::uint32_t{bytes[i + 1]} << 8 : 0U);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += rest == 2 ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace sonavue::output
