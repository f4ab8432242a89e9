#include "platform/DisplayBitmap.h"
#include "platform/QtFont.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace sonavue::platform {
namespace {

std::atomic<bool> keepSharpText{false};

// A text as drawn into an image: where, what, and the image's pixels inside
// rect (the pixels the drawing changed) before and after it.
struct SharpText {
  QRect rect;
  QImage before;
  QImage after;
  QPoint baseline;  // left end of the baseline
  QString text;
  QFont font;
  QColor color;
};

}  // namespace

void KeepSharpText(bool keep) { keepSharpText.store(keep, std::memory_order_relaxed); }
bool KeepsSharpText() { return keepSharpText.load(std::memory_order_relaxed); }

struct DisplayBitmap::Impl {
  QImage image;
  std::vector<SharpText> texts;
  // The image blown up to a screen's device pixels, kept between paints
  // so that painting allocates only when the size or the ratio changes.
  QImage screen;

  // Fills screen with image, each pixel a ratio × ratio block: a few
  // times faster than letting the painter scale a 3-byte image.
  const QImage& Enlarged(int ratio) {
    const QSize size = image.size() * ratio;
    if (screen.size() != size || screen.format() != QImage::Format_RGB32) {
      screen = QImage(size, QImage::Format_RGB32);
      if (screen.isNull()) return screen;
    }
    screen.setDevicePixelRatio(ratio);
    const auto rowBytes = static_cast<std::size_t>(screen.bytesPerLine());
    const int width = image.width();
    const int height = image.height();
    std::uint8_t* const bits = screen.bits();
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* in = image.constScanLine(y);
      std::uint8_t* const first = bits + rowBytes * static_cast<std::size_t>(ratio * y);
      auto* out = reinterpret_cast<QRgb*>(first);
      if (ratio == 2) {
        for (int x = 0; x < width; ++x, in += 3, out += 2) out[0] = out[1] = qRgb(in[0], in[1], in[2]);
      } else {
        for (int x = 0; x < width; ++x, in += 3) {
          const QRgb pixel = qRgb(in[0], in[1], in[2]);
          for (int k = 0; k < ratio; ++k) *out++ = pixel;
        }
      }
      for (int k = 1; k < ratio; ++k) std::memcpy(first + rowBytes * static_cast<std::size_t>(k), first, rowBytes);
    }
    return screen;
  }

  // True while the image holds, inside the text's rect, exactly the pixels
  // the text left there.
  bool Shows(const SharpText& text) const {
    if (!image.rect().contains(text.rect)) return false;
    const auto bytes = static_cast<std::size_t>(3 * text.rect.width());
    for (int y = 0; y < text.rect.height(); ++y) {
      if (std::memcmp(image.constScanLine(text.rect.top() + y) + 3 * text.rect.left(),
                      text.after.constScanLine(y), bytes) != 0) {
        return false;
      }
    }
    return true;
  }

  void Forget(const QRect& area) {
    std::erase_if(texts, [&](const SharpText& t) { return area.contains(t.rect); });
  }

  void Remember(SharpText text) {
    Forget(text.rect);
    if (texts.size() >= static_cast<std::size_t>(kMaxSharpTexts)) {
      std::erase_if(texts, [&](const SharpText& t) { return !Shows(t); });
    }
    if (texts.size() >= static_cast<std::size_t>(kMaxSharpTexts)) texts.erase(texts.begin());
    texts.push_back(std::move(text));
  }
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
  impl_->texts.clear();
  if (w <= 0 || h <= 0) return false;
  QImage image(w, h, QImage::Format_RGB888);
  if (image.isNull()) return false;
  image.fill(Qt::black);
  impl_->image = std::move(image);
  return true;
}

void DisplayBitmap::Release() {
  impl_->image = QImage();
  impl_->screen = QImage();
  impl_->texts.clear();
}
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
  if (!impl_->texts.empty()) impl_->Forget(area);
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
  const QFontMetrics metrics(qfont);
  const QPoint baseline(origin.x, origin.y + metrics.ascent());
  const QString string = QString::fromStdString(text);
  QImage& image = impl_->image;
  // Where the text may change pixels, with room for hinting and overhang.
  const QRect reach = KeepsSharpText()
                          ? metrics.boundingRect(string).translated(baseline).adjusted(-3, -3, 3, 3) &
                                image.rect()
                          : QRect();
  const QImage before = reach.isEmpty() ? QImage() : image.copy(reach);
  {
    QPainter painter(&image);
    painter.setFont(qfont);
    painter.setPen(ToQColor(color));
    painter.drawText(baseline, string);
  }
  if (reach.isEmpty()) return;

  // Remember the text over the pixels it actually changed.
  QRect changed;
  for (int y = 0; y < reach.height(); ++y) {
    const std::uint8_t* now = image.constScanLine(reach.top() + y) + 3 * reach.left();
    const std::uint8_t* was = before.constScanLine(y);
    for (int x = 0; x < reach.width(); ++x) {
      if (std::memcmp(now + 3 * x, was + 3 * x, 3) != 0) changed |= QRect(reach.left() + x, reach.top() + y, 1, 1);
    }
  }
  if (changed.isEmpty()) return;
  impl_->Remember({changed, before.copy(changed.translated(-reach.topLeft())), image.copy(changed), baseline,
                   string, qfont, ToQColor(color)});
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
  // Texts inside the area move with it; those moved out are gone.
  for (auto it = impl_->texts.begin(); it != impl_->texts.end();) {
    if (clip.contains(it->rect)) {
      it->rect.translate(dx, dy);
      it->baseline += QPoint(dx, dy);
      if (!clip.contains(it->rect)) {
        it = impl_->texts.erase(it);
        continue;
      }
    }
    ++it;
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
  // The source's texts that came over whole come along.
  if (this == &source) return;
  if (!impl_->texts.empty()) impl_->Forget(target);
  const QPoint shift = target.topLeft() - from.topLeft();
  for (const SharpText& text : source.impl_->texts) {
    if (!from.contains(text.rect)) continue;
    SharpText moved = text;
    moved.rect.translate(shift);
    moved.baseline += shift;
    impl_->Remember(std::move(moved));
  }
}

void* DisplayBitmap::NativeImage() { return &impl_->image; }
const void* DisplayBitmap::NativeImage() const { return &impl_->image; }

int DisplayBitmap::SharpTextCount() const { return static_cast<int>(impl_->texts.size()); }

void PaintBitmap(QPainter& painter, const DisplayBitmap& bitmap) {
  DisplayBitmap::Impl& impl = *bitmap.impl_;
  const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
  const int wholeRatio = qRound(ratio);
  painter.save();
  if (ratio > 1.0 && ratio == wholeRatio && !impl.image.isNull() && !impl.Enlarged(wholeRatio).isNull()) {
    painter.drawImage(QPoint(0, 0), impl.screen);
  } else {
    // Nearest neighbour: on a finer device each pixel becomes a solid block.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), impl.image);
  }
  if (ratio > 1.0) {
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const SharpText& text : impl.texts) {
      if (!impl.Shows(text)) continue;
      painter.drawImage(text.rect.topLeft(), text.before);
      painter.setFont(text.font);
      painter.setPen(text.color);
      painter.drawText(text.baseline, text.text);
    }
  }
  painter.restore();
}

}  // namespace sonavue::platform
