#include "platform/DisplayBitmap.h"
#include "platform/QtFont.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace sonavue::platform {

struct DisplayBitmap::Impl {
  QImage image;
};

namespace {

QColor ToQColor(Rgb color) { return QColor(color.r, color.g, color.b); }

// Intersects rect with the image area.
QRect Clip(const QImage& image, const Rect& rect) {
  return QRect(rect.x, rect.y, rect.w, rect.h).intersected(image.rect());
}

}  // namespace

QFont ToQFont(const FontSpec& font) {
  QFont qfont(QString::fromStdString(font.family));
  qfont.setPixelSize(std::max(1, font.pixelHeight));
  qfont.setWeight(font.weight >= 700 ? QFont::Bold : QFont::Normal);
  qfont.setStyleStrategy(QFont::PreferQuality);
  return qfont;
}

FontMetrics MeasureFont(const FontSpec& font) {
  const QFontMetrics metrics(ToQFont(font));
  return {metrics.averageCharWidth(), metrics.height()};
}

int TextWidth(const FontSpec& font, const std::string& text) {
  return QFontMetrics(ToQFont(font)).horizontalAdvance(QString::fromStdString(text));
}

DisplayBitmap::DisplayBitmap() : impl_(std::make_unique<Impl>()) {}
DisplayBitmap::~DisplayBitmap() = default;
DisplayBitmap::DisplayBitmap(DisplayBitmap&&) noexcept = default;
DisplayBitmap& DisplayBitmap::operator=(DisplayBitmap&&) noexcept = default;

bool DisplayBitmap::Allocate(int w, int h) {
  impl_->image = QImage();
  if (w <= 0 || h <= 0) return false;
  QImage image(w, h, QImage::Format_RGB888);
  if (image.isNull()) return false;
  image.fill(Qt::black);
  impl_->image = std::move(image);
  return true;
}

void DisplayBitmap::Release() { impl_->image = QImage(); }
bool DisplayBitmap::IsNull() const { return impl_->image.isNull(); }
int DisplayBitmap::Width() const { return impl_->image.width(); }
int DisplayBitmap::Height() const { return impl_->image.height(); }
std::uint8_t* DisplayBitmap::Row(int y) { return impl_->image.scanLine(y); }
const std::uint8_t* DisplayBitmap::Row(int y) const { return impl_->image.constScanLine(y); }
std::size_t DisplayBitmap::Stride() const {
  return static_cast<std::size_t>(impl_->image.bytesPerLine());
}

Rgb DisplayBitmap::Color(int index) const {
  if (colors_ == nullptr || index < 0 || index >= kColorTableSize) return {};
  return (*colors_)[static_cast<std::size_t>(index)];
}

Rgb DisplayBitmap::Pixel(int x, int y) const {
  if (!impl_->image.valid(x, y)) return {};
  const std::uint8_t* p = Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

void DisplayBitmap::SetPixel(int x, int y, Rgb color) {
  if (!impl_->image.valid(x, y)) return;
  std::uint8_t* p = Row(y) + 3 * x;
  p[0] = color.r;
  p[1] = color.g;
  p[2] = color.b;
}

void DisplayBitmap::FillRect(const Rect& rect, Rgb color) {
  if (recorder_ != nullptr) {
    recorder_->FillRect(rect, color);
    return;
  }
  QImage& image = impl_->image;
  const QRect area = Clip(image, rect);
  if (area.isEmpty()) return;
  // The first row pixel by pixel, every other row a copy of it.
  std::uint8_t* const first = image.scanLine(area.top()) + 3 * area.left();
  std::uint8_t* p = first;
  for (int x = 0; x < area.width(); ++x, p += 3) {
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
  }
  const auto rowBytes = static_cast<std::size_t>(3 * area.width());
  for (int y = area.top() + 1; y <= area.bottom(); ++y) {
    std::memcpy(image.scanLine(y) + 3 * area.left(), first, rowBytes);
  }
}

void DisplayBitmap::Line(Point from, Point to, Rgb color, int width) {
  if (IsNull()) return;
  if (recorder_ != nullptr) {
    recorder_->Line(from, to, color, std::max(1, width));
    return;
  }
  if (width <= 1 && (from.x == to.x || from.y == to.y)) {
    // Axis-parallel hairlines are the common case: fill them directly.
    FillRect({std::min(from.x, to.x), std::min(from.y, to.y), std::abs(to.x - from.x) + 1,
              std::abs(to.y - from.y) + 1},
             color);
    return;
  }
  QPainter painter(&impl_->image);
  painter.setPen(QPen(ToQColor(color), std::max(1, width)));
  painter.drawLine(from.x, from.y, to.x, to.y);
}

void DisplayBitmap::Text(Point origin, const std::string& text, const FontSpec& font, Rgb color) {
  if (IsNull() || text.empty()) return;
  const QFont qfont = ToQFont(font);
  if (recorder_ != nullptr) {
    recorder_->Text(origin, origin.y + QFontMetrics(qfont).ascent(), text, font, color);
    return;
  }
  QPainter painter(&impl_->image);
  painter.setFont(qfont);
  painter.setPen(ToQColor(color));
  painter.drawText(origin.x, origin.y + QFontMetrics(qfont).ascent(),
                   QString::fromStdString(text));
}

void DisplayBitmap::Invert(const Rect& rect) {
  QImage& image = impl_->image;
  const QRect area = Clip(image, rect);
  if (area.isEmpty()) return;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::uint8_t* p = image.scanLine(y) + 3 * area.left();
    for (int i = 0; i < 3 * area.width(); ++i) p[i] = static_cast<std::uint8_t>(~p[i]);
  }
}

void DisplayBitmap::Scroll(const Rect& area, int dx, int dy) {
  QImage& image = impl_->image;
  const QRect clip = Clip(image, area);
  if (clip.isEmpty()) return;
  // Source rows and columns that land inside the clip after the move.
  const QRect source = clip.translated(-dx, -dy).intersected(clip);
  if (source.isEmpty()) return;
  const int bytes = 3 * source.width();
  const auto copyRow = [&](int y) {
    std::memmove(image.scanLine(y + dy) + 3 * (source.left() + dx),
                 image.constScanLine(y) + 3 * source.left(), static_cast<std::size_t>(bytes));
  };
  if (dy > 0) {
    for (int y = source.bottom(); y >= source.top(); --y) copyRow(y);
  } else {
    for (int y = source.top(); y <= source.bottom(); ++y) copyRow(y);
  }
}

void DisplayBitmap::Blit(Point destination, const DisplayBitmap& source, const Rect& srcRect) {
  if (IsNull() || source.IsNull()) return;
  QRect from = Clip(source.impl_->image, srcRect);
  // Shift the destination by what clipping the source removed.
  Point to{destination.x + (from.left() - srcRect.x), destination.y + (from.top() - srcRect.y)};
  QRect target = QRect(to.x, to.y, from.width(), from.height()).intersected(impl_->image.rect());
  if (target.isEmpty()) return;
  from = QRect(from.left() + (target.left() - to.x), from.top() + (target.top() - to.y),
               target.width(), target.height());
  for (int y = 0; y < target.height(); ++y) {
    std::memmove(impl_->image.scanLine(target.top() + y) + 3 * target.left(),
                 source.impl_->image.constScanLine(from.top() + y) + 3 * from.left(),
                 static_cast<std::size_t>(3 * target.width()));
  }
}

void* DisplayBitmap::NativeImage() { return &impl_->image; }
const void* DisplayBitmap::NativeImage() const { return &impl_->image; }

}  // namespace sonavue::platform
