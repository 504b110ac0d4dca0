#include "gui/app/snapshot.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "core/app/bmp_file.h"

namespace qv {

QImage GrabScreenArea(QWidget& widget) {
  QScreen* screen = widget.screen() != nullptr ? widget.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr || widget.size().isEmpty()) return QImage();
  const QRect on_screen(widget.mapToGlobal(QPoint(0, 0)), widget.size());
  const QRect visible = on_screen & screen->geometry();
  if (visible.isEmpty()) return QImage();
  const QPixmap shot = screen->grabWindow(0, visible.x() - screen->geometry().x(),
                                          visible.y() - screen->geometry().y(), visible.width(),
                                          visible.height());
  if (!shot.isNull() && shot.size() == visible.size()) return shot.toImage();
  // No screen pixels to be had: the widget draws itself, cut to what the screen shows of it.
  return widget.grab(QRect(visible.topLeft() - on_screen.topLeft(), visible.size())).toImage();
}

bool SaveSnapshotImage(const QImage& image, const QString& path, std::string* error) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
      suffix == QLatin1String("png")) {
    QImageWriter writer(path, suffix == QLatin1String("png") ? "png" : "jpg");
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
