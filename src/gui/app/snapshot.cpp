#include "gui/app/snapshot.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <vector>

#include "core/app/bmp_file.h"
#include "core/control/snapshot_print.h"
#include "gui/display/display.h"

namespace qv {
namespace {

DisplayState WithoutPointer(DisplayState state) {
  state.mouse_inside = false;
  return state;
}

}  // namespace

StillScene::StillScene(const GraphScene& live)
    : state(WithoutPointer(live.state)),
      scene{live.trace, state, live.window, live.area, live.low_battery_countdown,
            live.trigger_threshold} {}

QImage GraphSnapshot(CDisplay& display) {
  if (display.size().isEmpty()) return QImage();
  const StillScene still(display.Scene());
  QImage image;
  if (!PaintGraph(image, still.scene)) {
    // The window itself, without the side panels it holds.
    image = QImage(display.size(), QImage::Format_RGB32);
    display.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
  }
  QPainter painter(&image);
  PaintMarkerGlyphs(painter, still.scene);
  return image;
}

bool SaveSnapshotImage(const QImage& image, const QString& path, std::string* error) {
  const PictureFormat format = PictureFormatOf(path.toStdString());
  if (format != PictureFormat::kBmp) {
    QImageWriter writer(path, format == PictureFormat::kPng ? "png" : "jpg");
    if (writer.write(image)) return true;
    *error = (path + QStringLiteral(": ") + writer.errorString()).toStdString();
    return false;
  }
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  std::vector<uint32_t> pixels(static_cast<size_t>(rgb.width()) * static_cast<size_t>(rgb.height()));
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      pixels[static_cast<size_t>(y) * rgb.width() + x] = row[x] & 0xFFFFFFu;
    }
  }
  const std::vector<uint8_t> bytes = EncodeBmp24(pixels.data(), rgb.width(), rgb.height());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()) ||
      !file.flush()) {
    *error = (path + QStringLiteral(": ") + file.errorString()).toStdString();
    return false;
  }
  return true;
}

}  // namespace qv
