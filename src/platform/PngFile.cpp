#include "platform/PngFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "platform/DisplayBitmap.h"

namespace sonavue::platform {

bool EncodePng(const DisplayBitmap& image, std::vector<std::uint8_t>& out) {
  out.clear();
  if (image.IsNull()) return false;
  const auto* native = static_cast<const QImage*>(image.NativeImage());
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return false;
  QImageWriter writer(&buffer, "png");
  if (!writer.write(*native)) return false;
  out.assign(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
             reinterpret_cast<const std::uint8_t*>(bytes.constData()) + bytes.size());
  return true;
}

}  // namespace sonavue::platform
