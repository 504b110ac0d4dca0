#include "gui/display/kept_picture.h"

#include <QPaintEngine>
#include <QPainter>
#include <cstring>

namespace qv {
namespace {

// The window's own pixels under the widget a painter paints, when they are a plain 32-bit
// image at one device pixel per pixel; a null image otherwise (printing, scaled screens).
QImage WindowPixels(QPainter& painter, const QSize& size) {
  QPaintDevice* device = painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice()
                                                          : nullptr;
  if (device == nullptr || device->devType() != QInternal::Image) return QImage();
  auto* store = static_cast<QImage*>(device);
  const QTransform to_device = painter.deviceTransform();
  if (store->devicePixelRatio() != 1.0 || to_device.type() > QTransform::TxTranslate ||
      (store->format() != QImage::Format_RGB32 &&
       store->format() != QImage::Format_ARGB32_Premultiplied)) {
    return QImage();
  }
  const QPoint at(qRound(to_device.dx()), qRound(to_device.dy()));
  if (!store->rect().contains(QRect(at, size))) return QImage();
  return QImage(store->bits() + at.y() * store->bytesPerLine() + at.x() * 4, size.width(),
                size.height(), store->bytesPerLine(), store->format());
}

}  // namespace

bool KeptPicture::PaintIntoWindow(QPainter& window, const QSize& size, const QRegion& covered,
                                  const GraphScene& scene) {
  QImage pixels = WindowPixels(window, size);
  if (pixels.isNull()) return false;
  // Only the rows inside the tabs' masks are kept: a tab's box is mostly graph.
  covered_rects_.clear();
  covered_pixels_.clear();
  for (const QRect& part : covered) {
    covered_rects_.push_back(part);
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(pixels.constScanLine(y));
      covered_pixels_.insert(covered_pixels_.end(), row + part.left(), row + part.right() + 1);
    }
  }
  PaintGraph(pixels, scene);
  const uint32_t* from = covered_pixels_.data();
  for (const QRect& part : covered_rects_) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      std::memcpy(pixels.scanLine(y) + part.left() * 4, from,
                  static_cast<size_t>(part.width()) * 4);
      from += part.width();
    }
  }
  kept_ = false;
  return true;
}

bool KeptPicture::PaintThroughBuffer(QPainter& window, const QSize& size,
                                     const GraphScene& scene) {
  if (!PaintGraph(back_buffer_, scene)) {
    // No sweep mode: the last picture stays, as the window is opaque.
    if (back_buffer_.size() != size) {
      back_buffer_ = QImage(size, QImage::Format_RGB32);
      back_buffer_.fill(Qt::black);
    }
    window.drawImage(0, 0, back_buffer_);
    return false;
  }
  window.drawImage(0, 0, back_buffer_);
  kept_ = true;
  return true;
}

void KeptPicture::Keep(const GraphScene& scene) {
  kept_ = true;
  PaintGraph(back_buffer_, scene);
}

}  // namespace qv
